#pragma once
// One block ("folder") of a 7z archive: its coders, how their streams are
// bound, where its packed streams lie, and the decoding pipeline built from
// that description.

#include <cstdint>
#include <memory>
#include <vector>

#include "qvx/keys.h"
#include "qvx/sevenzip.h"
#include "qvx/source.h"
#include "qvx/streams.h"

namespace qvx {

struct CoderLayout {
  std::uint64_t method = 0;
  std::vector<std::uint8_t> props;
  std::uint32_t first_input = 0;  // index of its first input stream in the folder
  std::uint32_t inputs = 1;
  std::uint64_t output_size = 0;
};

struct FolderLayout {
  std::vector<CoderLayout> coders;
  // Input stream index -> coder whose output feeds it, or -1.
  std::vector<std::int32_t> bound_to;
  // Input stream index -> packed stream that feeds it, or -1.
  std::vector<std::int32_t> packed_by;
  // Packed streams: absolute offset in the archive file and size.
  std::vector<std::uint64_t> pack_offsets;
  std::vector<std::uint64_t> pack_sizes;
  std::uint32_t main_coder = 0;
  std::uint64_t output_size = 0;

  bool encrypted() const;
};

// Reads folder `folder` of `archive`; `data_offset` is where the archive's
// packed streams start in the file. Throws QVX_ERROR_CANNOT_OPEN for
// structures this library does not decode, QVX_ERROR_DATA for inconsistent ones.
FolderLayout read_folder(const CSzAr& archive, std::uint32_t folder, std::uint64_t data_offset);

class FolderDecoder {
 public:
  // `layout` must outlive the decoder; `keys` may be null when the folder is
  // known not to be encrypted. The decoders take at most `memory_limit`
  // bytes together (QVX_ERROR_MEMORY otherwise).
  FolderDecoder(const Source& source, const FolderLayout& layout, Keys* keys, std::uint64_t memory_limit);

  // The block's data, layout.output_size bytes.
  Stream& output() { return *output_; }

 private:
  Stream& build_coder(std::uint32_t coder, unsigned depth);
  Stream& build_input(std::uint32_t input, unsigned depth);

  const Source& source_;
  const FolderLayout& layout_;
  Keys* keys_;
  MemoryBudget budget_;
  std::vector<std::unique_ptr<Stream>> streams_;
  std::vector<bool> built_;
  Stream* output_ = nullptr;
};

}  // namespace qvx
