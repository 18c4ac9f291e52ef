// BMP files: every header version from the OS/2 core header to the version 5
// header, 1/4/8/16/24/32 bits per pixel, bit-field masks and RLE4/RLE8.
// Own code rather than GDI, so that it can be fuzzed and so that no field of
// a hostile header ever reaches an allocation or a copy unchecked.

#include <algorithm>
#include <bit>
#include <optional>
#include <span>
#include <vector>

#include "platform/picture_decoders.h"

namespace qm::platform::picture_decoders {

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kOs2HeaderSize = 64;

enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

struct Colour {
  std::uint8_t blue = 0, green = 0, red = 0;
};

struct Layout {
  std::int64_t width = 0;
  std::int64_t height = 0;
  bool top_down = false;
  unsigned bits = 0;
  std::uint32_t compression = kRgb;
  std::uint32_t masks[4] = {};  // red, green, blue, alpha
  std::vector<Colour> palette;
  std::size_t pixel_offset = 0;
};

std::uint16_t u16(Bytes data, std::size_t at) { return static_cast<std::uint16_t>(data[at] | data[at + 1] << 8); }

std::uint32_t u32(Bytes data, std::size_t at) {
  return static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
         static_cast<std::uint32_t>(data[at + 2]) << 16 | static_cast<std::uint32_t>(data[at + 3]) << 24;
}

bool header_size_known(std::uint32_t size) {
  // 40 = BITMAPINFOHEADER, 52/56 = its Adobe variants with masks, 64 = OS/2 2.x,
  // 108/124 = BITMAPV4HEADER/BITMAPV5HEADER.
  return size == kCoreHeaderSize || size == kInfoHeaderSize || size == 52 || size == 56 || size == kOs2HeaderSize ||
         size == 108 || size == 124;
}

bool compression_fits(const Layout& layout, std::uint32_t header_size) {
  switch (layout.compression) {
    case kRgb: return true;
    case kRle8: return layout.bits == 8 && !layout.top_down;
    case kRle4: return layout.bits == 4 && !layout.top_down;
    // OS/2 2.x uses 3 for Huffman coding, which is not read.
    case kBitFields:
    case kAlphaBitFields: return (layout.bits == 16 || layout.bits == 32) && header_size != kOs2HeaderSize;
    default: return false;
  }
}

void set_default_masks(Layout& layout) {
  if (layout.bits == 16) {
    layout.masks[0] = 0x7C00;
    layout.masks[1] = 0x03E0;
    layout.masks[2] = 0x001F;
  } else if (layout.bits == 32) {
    layout.masks[0] = 0x00FF0000;
    layout.masks[1] = 0x0000FF00;
    layout.masks[2] = 0x000000FF;
    // The fourth byte of a plain 32-bit bitmap is alpha only when some pixel
    // uses it (see has_alpha below).
    layout.masks[3] = 0xFF000000;
  }
}

// Reads the masks of a bit-field bitmap: inside headers of 52 bytes and more,
// after the 40-byte header otherwise. Returns where the masks end.
std::optional<std::size_t> read_masks(Bytes data, Layout& layout, std::uint32_t header_size) {
  const std::size_t header_end = kFileHeaderSize + header_size;
  if (layout.compression != kBitFields && layout.compression != kAlphaBitFields) {
    set_default_masks(layout);
    return header_end;
  }
  const bool masks_inside = header_size > kInfoHeaderSize;
  const std::size_t count = layout.compression == kAlphaBitFields || header_size >= 56 ? 4 : 3;
  const std::size_t at = kFileHeaderSize + kInfoHeaderSize;
  if (at + count * 4 > data.size()) return std::nullopt;
  for (std::size_t i = 0; i < count; ++i) layout.masks[i] = u32(data, at + i * 4);
  return masks_inside ? header_end : at + count * 4;
}

// The palette lies between the headers and the pixels; writers that store
// fewer colours than the depth allows say so in the header or only by where
// the pixels begin.
bool read_palette(Bytes data, Layout& layout, std::size_t at, std::size_t entry_size, std::uint32_t colours_used) {
  if (layout.bits > 8) return true;
  const std::size_t most = std::size_t{1} << layout.bits;
  std::size_t count = colours_used == 0 || colours_used > most ? most : colours_used;
  if (layout.pixel_offset > at) count = std::min(count, (layout.pixel_offset - at) / entry_size);
  if (at > data.size() || count * entry_size > data.size() - at) return false;
  layout.palette.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = at + i * entry_size;
    layout.palette[i] = {data[entry], data[entry + 1], data[entry + 2]};
  }
  return true;
}

std::optional<Layout> read_layout(Bytes data) {
  if (data.size() < kFileHeaderSize + 4) return std::nullopt;
  const std::uint32_t header_size = u32(data, kFileHeaderSize);
  if (!header_size_known(header_size) || kFileHeaderSize + header_size > data.size()) return std::nullopt;
  const std::size_t h = kFileHeaderSize;
  Layout layout;
  std::uint32_t colours_used = 0;
  if (header_size == kCoreHeaderSize) {
    layout.width = u16(data, h + 4);
    layout.height = u16(data, h + 6);
    layout.bits = u16(data, h + 10);
  } else {
    layout.width = static_cast<std::int32_t>(u32(data, h + 4));
    const std::int64_t height = static_cast<std::int32_t>(u32(data, h + 8));
    layout.top_down = height < 0;
    layout.height = height < 0 ? -height : height;
    layout.bits = u16(data, h + 14);
    layout.compression = u32(data, h + 16);
    colours_used = u32(data, h + 32);
  }
  if (layout.bits != 1 && layout.bits != 4 && layout.bits != 8 && layout.bits != 16 && layout.bits != 24 &&
      layout.bits != 32)
    return std::nullopt;
  if (!compression_fits(layout, header_size)) return std::nullopt;
  if (!picture_dimensions_allowed(layout.width, layout.height)) return std::nullopt;

  layout.pixel_offset = u32(data, 10);
  if (layout.pixel_offset < kFileHeaderSize + header_size || layout.pixel_offset >= data.size()) return std::nullopt;

  const auto palette_at = read_masks(data, layout, header_size);
  if (!palette_at) return std::nullopt;
  const std::size_t entry_size = header_size == kCoreHeaderSize ? 3 : 4;
  if (!read_palette(data, layout, *palette_at, entry_size, colours_used)) return std::nullopt;
  return layout;
}

// One colour channel of a bit-field pixel, scaled to 8 bits.
std::uint8_t channel(std::uint32_t pixel, std::uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const std::uint64_t most = mask >> shift;
  const std::uint64_t value = (pixel & mask) >> shift;
  return static_cast<std::uint8_t>(value * 255 / most);
}

void put(Picture& picture, std::size_t pixel, Colour colour, std::uint8_t alpha = 255) {
  std::uint8_t* out = picture.pixels.data() + pixel * 4;
  out[0] = colour.blue;
  out[1] = colour.green;
  out[2] = colour.red;
  out[3] = alpha;
}

Colour palette_colour(const Layout& layout, unsigned index) {
  // An index past a short palette shows black, as GDI draws it.
  return index < layout.palette.size() ? layout.palette[index] : Colour{};
}

std::size_t output_row(const Layout& layout, std::int64_t stored_row) {
  return static_cast<std::size_t>(layout.top_down ? stored_row : layout.height - 1 - stored_row);
}

unsigned indexed_pixel(const std::uint8_t* row, std::int64_t x, unsigned bits) {
  const std::uint64_t bit = static_cast<std::uint64_t>(x) * bits;
  const unsigned byte = row[bit / 8];
  return (byte >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

std::uint32_t packed_pixel(const std::uint8_t* row, std::int64_t x, unsigned bits) {
  const std::uint8_t* p = row + static_cast<std::size_t>(x) * (bits / 8);
  if (bits == 16) return static_cast<std::uint32_t>(p[0] | p[1] << 8);
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void decode_row(const Layout& layout, const std::uint8_t* row, Picture& picture, std::size_t first_pixel) {
  for (std::int64_t x = 0; x < layout.width; ++x) {
    const std::size_t pixel = first_pixel + static_cast<std::size_t>(x);
    if (layout.bits <= 8) {
      put(picture, pixel, palette_colour(layout, indexed_pixel(row, x, layout.bits)));
    } else if (layout.bits == 24) {
      const std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
      put(picture, pixel, {p[0], p[1], p[2]});
    } else {
      const std::uint32_t value = packed_pixel(row, x, layout.bits);
      put(picture, pixel,
          {channel(value, layout.masks[2]), channel(value, layout.masks[1]), channel(value, layout.masks[0])},
          layout.masks[3] ? channel(value, layout.masks[3]) : 255);
    }
  }
}

// Many writers leave the alpha bits of 32-bit bitmaps zero while meaning an
// opaque picture; only a picture that uses alpha somewhere has it.
void make_opaque_unless_alpha_used(Picture& picture) {
  for (std::size_t i = 3; i < picture.pixels.size(); i += 4) {
    if (picture.pixels[i] != 0) return;
  }
  for (std::size_t i = 3; i < picture.pixels.size(); i += 4) picture.pixels[i] = 255;
}

std::optional<Picture> decode_uncompressed(Bytes data, const Layout& layout) {
  const std::uint64_t row_bits = static_cast<std::uint64_t>(layout.width) * layout.bits;
  const std::uint64_t stride = (row_bits + 31) / 32 * 4;
  // The last row may lack its padding.
  const std::uint64_t needed = stride * static_cast<std::uint64_t>(layout.height - 1) + (row_bits + 7) / 8;
  if (needed > data.size() - layout.pixel_offset) return std::nullopt;
  auto picture = blank_picture(layout.width, layout.height);
  if (!picture) return std::nullopt;
  for (std::int64_t y = 0; y < layout.height; ++y) {
    const std::uint8_t* row = data.data() + layout.pixel_offset + static_cast<std::size_t>(y) * stride;
    decode_row(layout, row, *picture, output_row(layout, y) * static_cast<std::size_t>(layout.width));
  }
  if (layout.bits >= 16 && layout.masks[3] != 0) make_opaque_unless_alpha_used(*picture);
  return picture;
}

// Run-length coded pixels; pixels the runs skip (by a delta or an early end
// of line) stay transparent: GDI leaves the background under them.
class RunLengthDecoder {
 public:
  RunLengthDecoder(Bytes data, const Layout& layout, Picture& picture)
      : data_(data), at_(layout.pixel_offset), layout_(layout), picture_(picture) {}

  // False when the data ends before the bitmap does.
  bool run() {
    for (;;) {
      if (y_ >= layout_.height) return true;
      if (!available(2)) return false;
      const unsigned count = data_[at_];
      const unsigned value = data_[at_ + 1];
      at_ += 2;
      if (count > 0) {
        repeat(count, value);
      } else if (value == 0) {
        x_ = 0;
        ++y_;
      } else if (value == 1) {
        return true;
      } else if (value == 2) {
        if (!available(2)) return false;
        x_ += data_[at_];
        y_ += data_[at_ + 1];
        at_ += 2;
      } else if (!literal(value)) {
        return false;
      }
    }
  }

 private:
  bool available(std::size_t bytes) const { return at_ <= data_.size() && bytes <= data_.size() - at_; }

  void emit(unsigned index) {
    if (x_ < layout_.width && y_ < layout_.height) {
      const std::size_t pixel = output_row(layout_, y_) * static_cast<std::size_t>(layout_.width) +
                                static_cast<std::size_t>(x_);
      put(picture_, pixel, palette_colour(layout_, index));
    }
    ++x_;
  }

  void repeat(unsigned count, unsigned value) {
    for (unsigned i = 0; i < count; ++i) emit(layout_.bits == 8 ? value : (i % 2 == 0 ? value >> 4 : value & 0x0F));
  }

  // `count` pixels stored one by one, padded to a whole number of words.
  bool literal(unsigned count) {
    const std::size_t bytes = layout_.bits == 8 ? count : (count + 1) / 2;
    if (!available(bytes)) return false;
    for (unsigned i = 0; i < count; ++i) {
      const unsigned byte = data_[at_ + (layout_.bits == 8 ? i : i / 2)];
      emit(layout_.bits == 8 ? byte : (i % 2 == 0 ? byte >> 4 : byte & 0x0F));
    }
    at_ += bytes + bytes % 2;
    return true;
  }

  Bytes data_;
  std::size_t at_;
  const Layout& layout_;
  Picture& picture_;
  std::int64_t x_ = 0;
  std::int64_t y_ = 0;
};

std::optional<Picture> decode_run_length(Bytes data, const Layout& layout) {
  auto picture = blank_picture(layout.width, layout.height);
  if (!picture) return std::nullopt;
  RunLengthDecoder decoder(data, layout, *picture);
  if (!decoder.run()) return std::nullopt;
  return picture;
}

}  // namespace

std::optional<Picture> decode_bmp(Bytes data) {
  if (data.size() < 2 || data[0] != 'B' || data[1] != 'M') return std::nullopt;
  const auto layout = read_layout(data);
  if (!layout) return std::nullopt;
  if (layout->compression == kRle8 || layout->compression == kRle4) return decode_run_length(data, *layout);
  return decode_uncompressed(data, *layout);
}

}  // namespace qm::platform::picture_decoders
