#include "qvx/folder.h"

#include "qvx/failure.h"
#include "qvx/wipe.h"

namespace qvx {

namespace {

constexpr std::uint64_t kCopy = 0x00;
constexpr std::uint64_t kLzma2 = 0x21;
constexpr std::uint64_t kLzma = 0x030101;
constexpr std::uint64_t kPpmd = 0x030401;
constexpr std::uint64_t kBcj2 = 0x0303011B;
constexpr std::uint64_t kAes = 0x06F10701;

// Folders as 7-Zip writes them have at most 8 coders (BCJ2 with four AES
// coders); these limits leave room and keep hostile headers small.
constexpr std::uint32_t kMaxCoders = 32;
constexpr std::uint32_t kMaxStreams = 64;

// Packed streams are read in pieces of at most this size.
constexpr std::size_t kPackBuffer = std::size_t{1} << 20;

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), end_(data + size) {}

  std::uint8_t byte() {
    if (data_ == end_) data_error("folder description truncated");
    return *data_++;
  }

  // 7z's variable-length number: the leading one bits of the first byte
  // tell how many bytes follow.
  std::uint64_t number() {
    const std::uint8_t first = byte();
    std::uint8_t mask = 0x80;
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i) {
      if ((first & mask) == 0) {
        const std::uint64_t high = first & (mask - 1u);
        return value | (high << (8 * i));
      }
      value |= static_cast<std::uint64_t>(byte()) << (8 * i);
      mask = static_cast<std::uint8_t>(mask >> 1);
    }
    return value;
  }

  std::uint32_t small_number(std::uint32_t limit) {
    const std::uint64_t value = number();
    if (value >= limit) unsupported("folder description out of range");
    return static_cast<std::uint32_t>(value);
  }

  bool at_end() const { return data_ == end_; }

 private:
  const std::uint8_t* data_;
  const std::uint8_t* end_;
};

}  // namespace

bool FolderLayout::encrypted() const {
  for (const CoderLayout& coder : coders) {
    if (coder.method == kAes) return true;
  }
  return false;
}

FolderLayout read_folder(const CSzAr& archive, std::uint32_t folder, std::uint64_t data_offset) {
  if (folder >= archive.NumFolders) data_error("no such folder");
  FolderLayout layout;
  const std::size_t begin = archive.FoCodersOffsets[folder];
  const std::size_t end = archive.FoCodersOffsets[folder + 1];
  if (end < begin) data_error("folder description malformed");
  Reader reader(archive.CodersData + begin, end - begin);

  const std::uint32_t coder_count = reader.small_number(kMaxCoders + 1);
  if (coder_count == 0) data_error("folder without coders");
  std::uint32_t input_count = 0;
  for (std::uint32_t c = 0; c < coder_count; ++c) {
    CoderLayout coder;
    const std::uint8_t main = reader.byte();
    if ((main & 0xC0) != 0) unsupported("alternative coder methods");
    const unsigned id_size = main & 0x0F;
    if (id_size > 8) unsupported("coder id too long");
    for (unsigned i = 0; i < id_size; ++i) coder.method = (coder.method << 8) | reader.byte();
    if ((main & 0x10) != 0) {
      coder.inputs = reader.small_number(kMaxStreams + 1);
      if (reader.number() != 1) unsupported("coder with several outputs");
    }
    if ((main & 0x20) != 0) {
      const std::uint32_t props_size = reader.small_number(0x10000);
      for (std::uint32_t i = 0; i < props_size; ++i) coder.props.push_back(reader.byte());
    }
    coder.first_input = input_count;
    input_count += coder.inputs;
    if (input_count > kMaxStreams) unsupported("too many coder streams");
    layout.coders.push_back(std::move(coder));
  }

  layout.bound_to.assign(input_count, -1);
  layout.packed_by.assign(input_count, -1);
  std::vector<bool> output_bound(coder_count, false);
  const std::uint32_t bond_count = coder_count - 1;
  if (input_count < bond_count) data_error("folder with too few streams");
  for (std::uint32_t b = 0; b < bond_count; ++b) {
    const std::uint32_t input = reader.small_number(input_count);
    const std::uint32_t output = reader.small_number(coder_count);
    if (layout.bound_to[input] >= 0 || output_bound[output]) data_error("folder streams bound twice");
    layout.bound_to[input] = static_cast<std::int32_t>(output);
    output_bound[output] = true;
  }
  const std::uint32_t pack_count = input_count - bond_count;
  if (pack_count == 1) {
    for (std::uint32_t i = 0; i < input_count; ++i) {
      if (layout.bound_to[i] < 0) {
        layout.packed_by[i] = 0;
        break;
      }
    }
  } else {
    for (std::uint32_t p = 0; p < pack_count; ++p) {
      const std::uint32_t input = reader.small_number(input_count);
      if (layout.bound_to[input] >= 0 || layout.packed_by[input] >= 0) data_error("folder streams bound twice");
      layout.packed_by[input] = static_cast<std::int32_t>(p);
    }
  }
  if (!reader.at_end()) data_error("folder description too long");
  for (std::uint32_t i = 0; i < input_count; ++i) {
    if ((layout.bound_to[i] < 0) == (layout.packed_by[i] < 0)) data_error("folder stream without source");
  }
  std::uint32_t unbound = coder_count;
  for (std::uint32_t c = 0; c < coder_count; ++c) {
    if (!output_bound[c]) {
      unbound = c;
      break;
    }
  }
  if (unbound == coder_count) data_error("folder without output");
  layout.main_coder = unbound;

  // Sizes and places, from the tables the header parser made.
  const std::uint32_t first_pack = archive.FoStartPackStreamIndex[folder];
  if (archive.FoStartPackStreamIndex[folder + 1] - first_pack != pack_count) data_error("packed streams miscounted");
  if (archive.FoToCoderUnpackSizes[folder + 1] - archive.FoToCoderUnpackSizes[folder] != coder_count) {
    data_error("coder sizes miscounted");
  }
  if (archive.FoToMainUnpackSizeIndex[folder] != layout.main_coder) data_error("folder output mismatch");
  for (std::uint32_t p = 0; p < pack_count; ++p) {
    const std::uint64_t start = archive.PackPositions[first_pack + p];
    const std::uint64_t stop = archive.PackPositions[first_pack + p + 1];
    if (stop < start) data_error("packed stream positions malformed");
    layout.pack_offsets.push_back(data_offset + start);
    layout.pack_sizes.push_back(stop - start);
  }
  for (std::uint32_t c = 0; c < coder_count; ++c) {
    layout.coders[c].output_size = archive.CoderUnpackSizes[archive.FoToCoderUnpackSizes[folder] + c];
  }
  layout.output_size = layout.coders[layout.main_coder].output_size;
  return layout;
}

FolderDecoder::FolderDecoder(const Source& source, const FolderLayout& layout, Keys* keys, std::uint64_t memory_limit)
    : source_(source), layout_(layout), keys_(keys), budget_(memory_limit), built_(layout.coders.size(), false) {
  output_ = &build_coder(layout.main_coder, 0);
}

Stream& FolderDecoder::build_input(std::uint32_t input, unsigned depth) {
  if (layout_.packed_by[input] >= 0) {
    const auto p = static_cast<std::size_t>(layout_.packed_by[input]);
    streams_.push_back(make_pack_stream(source_, layout_.pack_offsets[p], layout_.pack_sizes[p], kPackBuffer, budget_));
    return *streams_.back();
  }
  return build_coder(static_cast<std::uint32_t>(layout_.bound_to[input]), depth + 1);
}

Stream& FolderDecoder::build_coder(std::uint32_t index, unsigned depth) {
  if (depth > layout_.coders.size() || built_[index]) data_error("folder coders bound in a circle");
  built_[index] = true;
  const CoderLayout& coder = layout_.coders[index];
  const std::span<const std::uint8_t> props(coder.props);
  const std::uint64_t size = coder.output_size;

  if (coder.method == kBcj2) {
    if (coder.inputs != 4) unsupported("BCJ2 needs four streams");
    Stream* in[4];
    for (std::uint32_t i = 0; i < 4; ++i) in[i] = &build_input(coder.first_input + i, depth);
    streams_.push_back(make_bcj2(*in[0], *in[1], *in[2], *in[3], size, budget_));
    return *streams_.back();
  }
  if (coder.inputs != 1) unsupported("coder with an unexpected number of streams");
  Stream& input = build_input(coder.first_input, depth);
  switch (coder.method) {
    case kCopy:
      streams_.push_back(make_copy(input, size));
      break;
    case kLzma:
      streams_.push_back(make_lzma(input, props, size, budget_));
      break;
    case kLzma2:
      streams_.push_back(make_lzma2(input, props, size, budget_));
      break;
    case kPpmd:
      streams_.push_back(make_ppmd(input, props, size, budget_));
      break;
    case kAes: {
      if (keys_ == nullptr) unsupported("encrypted data where none is expected");
      const AesProperties properties = parse_aes_properties(props);
      AesKey key = keys_->key_for(properties);
      try {
        streams_.push_back(make_aes(input, properties, key, size, budget_));
      } catch (...) {
        wipe(key.data(), key.size());
        throw;
      }
      wipe(key.data(), key.size());
      break;
    }
    default:
      if (!is_filter_method(coder.method)) unsupported("compression method not supported");
      streams_.push_back(make_filter(input, coder.method, props, size, budget_));
      break;
  }
  return *streams_.back();
}

}  // namespace qvx
