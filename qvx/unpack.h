#pragma once
// Decoding the entries of an archive: each selected entry's data, in the
// order of its block, checked against its size and CRC and handed to a sink
// (the file writer of the extraction, or memory). Nothing here touches the
// file system.

#include <cstdint>
#include <span>
#include <vector>

#include "qvx/archive.h"
#include "qvx/keys.h"

namespace qvx {

class EntrySink {
 public:
  virtual ~EntrySink() = default;

  // The data of `entry` follows through write().
  virtual void begin(std::uint32_t entry) = 0;
  virtual void write(std::span<const std::uint8_t> data) = 0;
  // All of the entry's data was written and its CRC matches.
  virtual void complete(std::uint32_t entry) = 0;
  // The entry begun last will not complete (its data is bad, or a callback
  // stopped): drop what was written of it. Nothing when every entry begun
  // was completed.
  virtual void abandon() noexcept = 0;
  // Block `block` is decoded next; restart_block(): again from its start,
  // with the next password.
  virtual void begin_block(std::uint32_t block) { (void)block; }
  virtual void restart_block() {}
  // A folder entry (it has no data).
  virtual void directory(std::uint32_t entry) = 0;
};

// The selected entries with data, by block, in the order of their data.
// Throws QVX_ERROR_DATA for an entry whose block does not exist.
std::vector<std::vector<std::uint32_t>> entries_by_block(const Archive& archive, const std::vector<bool>& selected);

// Decodes block `block` and hands the data of `entries` (entries_by_block)
// to `sink`. When the block's data fails to decode before its first entry is
// complete, and a key was used, the password was most likely wrong: the
// block is decoded again with the next one; with none left the call fails
// with QVX_ERROR_CANNOT_OPEN.
void unpack_block(const Archive& archive, Keys& keys, std::uint32_t block, const std::vector<std::uint32_t>& entries,
                  EntrySink& sink);

// An entry without a block: an empty file (QVX_ERROR_DATA when the archive
// gives it a size or a CRC that empty data does not have).
void unpack_empty(const Archive& archive, std::uint32_t entry, EntrySink& sink);

// Every selected entry, in the order of the archive: a folder entry goes to
// sink.directory(), an empty file to unpack_empty(), and a block is decoded
// whole (unpack_block) when its first selected entry comes.
void unpack_entries(const Archive& archive, Keys& keys, const std::vector<bool>& selected, EntrySink& sink);

}  // namespace qvx
