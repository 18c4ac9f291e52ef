#pragma once
// Where an archive's bytes come from: the archive file (archive_file.h) or,
// for the in-memory reader, a buffer. Read at explicit offsets so that several
// streams of one block (BCJ2 has four) can be read side by side.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace qvx {

class Source {
 public:
  Source() = default;
  virtual ~Source() = default;
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;

  virtual std::uint64_t size() const = 0;

  // Reads up to `count` bytes at `offset`; fewer only at the end. Throws
  // QVX_ERROR_READ on an I/O error.
  virtual std::size_t read_at(std::uint64_t offset, void* buffer, std::size_t count) const = 0;
};

// An archive held in memory; the bytes must outlive it.
class MemorySource final : public Source {
 public:
  explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::uint64_t size() const override { return bytes_.size(); }

  std::size_t read_at(std::uint64_t offset, void* buffer, std::size_t count) const override {
    if (offset >= bytes_.size()) return 0;
    const std::size_t available = bytes_.size() - static_cast<std::size_t>(offset);
    const std::size_t take = count < available ? count : available;
    if (take != 0) std::memcpy(buffer, bytes_.data() + offset, take);
    return take;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace qvx
