#include "qvx/archive_reader.h"

#include <new>
#include <stdexcept>

#include "qvx/archive.h"
#include "qvx/failure.h"
#include "qvx/names.h"
#include "qvx/source.h"
#include "qvx/unpack.h"

namespace qvx {

namespace {

// Ends the decoding once the decode limit is reached: not a failure.
struct DecodeLimitReached {};

class MemorySink final : public EntrySink {
 public:
  MemorySink(ReadResult& result, const ReadOptions& options)
      : result_(result), keep_data_(options.keep_data), left_(options.decode_limit) {}

  void begin(std::uint32_t entry) override {
    current_ = entry;
    active_ = true;
  }
  void write(std::span<const std::uint8_t> data) override {
    if (data.size() > left_) throw DecodeLimitReached{};
    left_ -= data.size();
    if (keep_data_) {
      std::vector<std::uint8_t>& kept = result_.entries[current_].data;
      kept.insert(kept.end(), data.begin(), data.end());
    }
  }
  void complete(std::uint32_t entry) override {
    result_.entries[entry].complete = true;
    active_ = false;
  }
  void abandon() noexcept override {
    if (!active_) return;
    result_.entries[current_].data.clear();
    active_ = false;
  }
  void directory(std::uint32_t entry) override { result_.entries[entry].complete = true; }

 private:
  ReadResult& result_;
  bool keep_data_;
  std::uint64_t left_;
  std::uint32_t current_ = 0;
  bool active_ = false;
};

void list(const Archive& archive, ReadResult& result) {
  std::vector<bool> encrypted(archive.folder_count(), false);
  for (std::uint32_t f = 0; f < archive.folder_count(); ++f) {
    try {
      encrypted[f] = archive.folder_layout(f).encrypted();
    } catch (const Failure&) {
      // A block this library cannot decode still lists; decoding reports it.
    }
  }
  result.entries.resize(archive.count());
  for (std::uint32_t e = 0; e < archive.count(); ++e) {
    ReadEntry& entry = result.entries[e];
    entry.name = archive.name(e);
    entry.size = archive.size(e);
    entry.directory = archive.is_directory(e);
    const std::uint32_t block = archive.folder(e);
    entry.encrypted = block != kNoFolder && block < encrypted.size() && encrypted[block];
  }
}

void read(std::span<const std::uint8_t> bytes, const ReadOptions& options, ReadResult& result) {
  Passwords passwords(options.password, nullptr);
  Keys keys(passwords, options.limits.key_cycles_power, options.key_cache);
  const MemorySource source(bytes);
  const Archive archive(source, keys, options.limits);
  list(archive, result);
  if (options.check_names) {
    for (const ReadEntry& entry : result.entries) safe_parts(entry.name);
  }
  if (!options.decode) return;
  MemorySink sink(result, options);
  try {
    unpack_entries(archive, keys, std::vector<bool>(archive.count(), true), sink);
    result.decoded_all = true;
  } catch (const DecodeLimitReached&) {
    // The rest stays undecoded, as the caller asked.
  }
}

}  // namespace

int read_archive(std::span<const std::uint8_t> bytes, const ReadOptions& options, ReadResult* result) noexcept {
  ReadResult local;
  ReadResult& out = result != nullptr ? *result : local;
  try {
    out = ReadResult{};
    read(bytes, options, out);
    return QVX_OK;
  } catch (const Failure& failure) {
    return failure.code();
  } catch (const std::bad_alloc&) {
    return QVX_ERROR_MEMORY;
  } catch (const std::length_error&) {
    return QVX_ERROR_MEMORY;
  } catch (...) {
    return QVX_ERROR_INTERNAL;
  }
}

}  // namespace qvx
