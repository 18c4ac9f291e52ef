#include "qvx/unpack.h"

#include "qvx/failure.h"
#include "qvx/folder.h"
#include "qvx/streams.h"

namespace qvx {

namespace {

void pass_over(Stream& stream, std::uint64_t count) {
  while (count > 0) {
    const std::span<const std::uint8_t> in = stream.look();
    if (in.empty()) data_error("block data ends early");
    const std::size_t take = count < in.size() ? static_cast<std::size_t>(count) : in.size();
    stream.skip(take);
    count -= take;
  }
}

void check_crc(const Archive& archive, std::uint32_t entry, std::uint32_t crc) {
  if (archive.has_crc(entry) && CRC_GET_DIGEST(crc) != archive.crc(entry)) data_error("CRC mismatch");
}

// One entry's data from the block's output into the sink.
void unpack_entry(const Archive& archive, std::uint32_t entry, Stream& data, EntrySink& sink) {
  sink.begin(entry);
  std::uint32_t crc = CRC_INIT_VAL;
  std::uint64_t remaining = archive.size(entry);
  while (remaining > 0) {
    const std::span<const std::uint8_t> in = data.look();
    if (in.empty()) data_error("block data ends early");
    const std::size_t take = remaining < in.size() ? static_cast<std::size_t>(remaining) : in.size();
    crc = CrcUpdate(crc, in.data(), take);
    sink.write(in.first(take));
    data.skip(take);
    remaining -= take;
  }
  check_crc(archive, entry, crc);
  sink.complete(entry);
}

}  // namespace

std::vector<std::vector<std::uint32_t>> entries_by_block(const Archive& archive, const std::vector<bool>& selected) {
  std::vector<std::vector<std::uint32_t>> result(archive.folder_count());
  for (std::uint32_t e = 0; e < archive.count(); ++e) {
    if (!selected[e] || archive.is_directory(e)) continue;
    const std::uint32_t block = archive.folder(e);
    if (block == kNoFolder) continue;
    if (block >= result.size()) data_error("an entry's block does not exist");
    result[block].push_back(e);
  }
  return result;
}

void unpack_block(const Archive& archive, Keys& keys, std::uint32_t block, const std::vector<std::uint32_t>& entries,
                  EntrySink& sink) {
  const FolderLayout layout = archive.folder_layout(block);
  sink.begin_block(block);
  for (bool first = true;; first = false) {
    if (!first) sink.restart_block();
    keys.reset_used();
    std::size_t completed = 0;
    try {
      FolderDecoder decoder(archive.source(), layout, &keys, archive.limits().memory);
      Stream& output = decoder.output();
      std::uint64_t position = 0;
      for (std::uint32_t entry : entries) {
        const std::uint64_t offset = archive.offset_in_folder(entry);
        if (offset < position) data_error("entries of a block overlap");
        pass_over(output, offset - position);
        unpack_entry(archive, entry, output, sink);
        position = offset + archive.size(entry);
        ++completed;
      }
      // When the whole block was read, its end is checked too.
      if (position == output.size()) finish_input(output);
      return;
    } catch (const Failure& failure) {
      sink.abandon();
      if (failure.code() != QVX_ERROR_DATA || !keys.used() || completed != 0) throw;
      if (!keys.passwords().next()) fail(QVX_ERROR_CANNOT_OPEN, "the password is incorrect");
    } catch (...) {
      sink.abandon();
      throw;
    }
  }
}

void unpack_empty(const Archive& archive, std::uint32_t entry, EntrySink& sink) {
  if (archive.size(entry) != 0) data_error("an entry has data but no block");
  try {
    sink.begin(entry);
    check_crc(archive, entry, CRC_INIT_VAL);
    sink.complete(entry);
  } catch (...) {
    sink.abandon();
    throw;
  }
}

void unpack_entries(const Archive& archive, Keys& keys, const std::vector<bool>& selected, EntrySink& sink) {
  const std::vector<std::vector<std::uint32_t>> blocks = entries_by_block(archive, selected);
  std::vector<bool> block_done(blocks.size(), false);
  for (std::uint32_t e = 0; e < archive.count(); ++e) {
    if (!selected[e]) continue;
    if (archive.is_directory(e)) {
      sink.directory(e);
      continue;
    }
    const std::uint32_t block = archive.folder(e);
    if (block == kNoFolder) {
      unpack_empty(archive, e, sink);
      continue;
    }
    if (block_done[block]) continue;
    block_done[block] = true;
    unpack_block(archive, keys, block, blocks[block], sink);
  }
}

}  // namespace qvx
