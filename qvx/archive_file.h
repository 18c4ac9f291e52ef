#pragma once
// The archive file, read at explicit offsets so that several streams of one
// block (BCJ2 has four) can be read side by side.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace qvx {

class ArchiveFile {
 public:
  // Throws QVX_ERROR_NOT_FOUND when there is no such file, QVX_ERROR_READ
  // when it exists but cannot be opened.
  explicit ArchiveFile(const std::wstring& path);
  ~ArchiveFile();
  ArchiveFile(const ArchiveFile&) = delete;
  ArchiveFile& operator=(const ArchiveFile&) = delete;

  std::uint64_t size() const { return size_; }

  // Reads up to `count` bytes at `offset`; fewer only at the end of the file.
  // Throws QVX_ERROR_READ on an I/O error.
  std::size_t read_at(std::uint64_t offset, void* buffer, std::size_t count) const;

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::uint64_t size_ = 0;
};

}  // namespace qvx
