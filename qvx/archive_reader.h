#pragma once
// Reading an archive held in memory, without the file system: its header,
// its entry names (checked as an extraction checks them) and, on request,
// its data, decoded and checked against every CRC. The same code as
// ExtractArchive runs, short of writing files; it builds natively on any
// system, for fuzzing.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "qvx/keys.h"
#include "qvx/limits.h"

namespace qvx {

struct ReadOptions {
  std::u16string password;  // empty: none
  // QVX_ERROR_ILLEGAL_PATH for a name that an extraction would refuse.
  bool check_names = true;
  // Decode the data of every entry.
  bool decode = true;
  // Decode no more than this many bytes of entry data in all; the rest of
  // the archive is not decoded (ReadResult::decoded_all tells).
  std::uint64_t decode_limit = std::uint64_t{64} << 20;
  // Keep each entry's data in ReadEntry::data.
  bool keep_data = false;
  Limits limits;
  // Keys derived by earlier calls (a reader of many variants of one
  // encrypted archive); null: none.
  KeyCache* key_cache = nullptr;
};

struct ReadEntry {
  std::u16string name;
  std::uint64_t size = 0;
  bool directory = false;
  bool encrypted = false;
  bool complete = false;  // its data was decoded and its CRC matched
  std::vector<std::uint8_t> data;
};

struct ReadResult {
  std::vector<ReadEntry> entries;
  bool decoded_all = false;
};

// Reads the archive in `bytes`. Answers QVX_OK or the QVX_ERROR_* code an
// extraction of the whole archive would fail with; never throws. `result`
// may be null.
int read_archive(std::span<const std::uint8_t> bytes, const ReadOptions& options, ReadResult* result = nullptr) noexcept;

}  // namespace qvx
