#pragma once
// Small picture files written the way their formats' own writers lay them
// out, for the decoder tests (and for seeding the decoders' fuzz target).
// PNG files are compressed by zlib, JPEG files by libjpeg's own compressor.

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <jpeglib.h>

namespace qm::test::pictures {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void put32(Bytes& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}
inline void put32_big(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// ---- BMP ----

struct BmpFixture {
  int width = 0;
  int height = 0;
  unsigned bits = 24;
  std::uint32_t header_size = 40;
  std::uint32_t compression = 0;
  bool top_down = false;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  std::vector<std::uint32_t> masks;    // red, green, blue[, alpha] for bit fields
  // The stored value of a pixel (x, y counted from the top row).
  std::function<std::uint32_t(int x, int y)> value;
  Bytes rle;  // the run-length coded pixels, for compression 1 and 2
};

inline Bytes bmp_file(const BmpFixture& fixture) {
  Bytes header;
  if (fixture.header_size == 12) {
    put32(header, 12);
    put16(header, fixture.width);
    put16(header, fixture.height);
    put16(header, 1);
    put16(header, fixture.bits);
  } else {
    put32(header, fixture.header_size);
    put32(header, static_cast<std::uint32_t>(fixture.width));
    put32(header, static_cast<std::uint32_t>(fixture.top_down ? -fixture.height : fixture.height));
    put16(header, 1);
    put16(header, fixture.bits);
    put32(header, fixture.compression);
    put32(header, 0);  // image size: may be 0 when uncompressed
    put32(header, 2835);
    put32(header, 2835);
    put32(header, static_cast<std::uint32_t>(fixture.palette.size()));
    put32(header, 0);
    if (fixture.header_size > 40) {
      for (std::size_t i = 0; i < 4; ++i) put32(header, i < fixture.masks.size() ? fixture.masks[i] : 0);
      header.resize(fixture.header_size, 0);
    } else {
      for (auto mask : fixture.masks) put32(header, mask);  // after the header
    }
  }
  for (auto colour : fixture.palette) {
    header.push_back(static_cast<std::uint8_t>(colour));
    header.push_back(static_cast<std::uint8_t>(colour >> 8));
    header.push_back(static_cast<std::uint8_t>(colour >> 16));
    if (fixture.header_size != 12) header.push_back(0);
  }
  Bytes pixels = fixture.rle;
  if (fixture.compression == 0 || fixture.compression == 3 || fixture.compression == 6) {
    const std::size_t stride = (static_cast<std::size_t>(fixture.width) * fixture.bits + 31) / 32 * 4;
    for (int row = 0; row < fixture.height; ++row) {
      const int y = fixture.top_down ? row : fixture.height - 1 - row;
      Bytes line(stride, 0);
      for (int x = 0; x < fixture.width; ++x) {
        const std::uint32_t value = fixture.value(x, y);
        if (fixture.bits < 8) {
          const std::size_t bit = static_cast<std::size_t>(x) * fixture.bits;
          line[bit / 8] |= static_cast<std::uint8_t>(value << (8 - fixture.bits - bit % 8));
        } else {
          for (unsigned byte = 0; byte < fixture.bits / 8; ++byte)
            line[x * (fixture.bits / 8) + byte] = static_cast<std::uint8_t>(value >> (8 * byte));
        }
      }
      pixels.insert(pixels.end(), line.begin(), line.end());
    }
  }
  Bytes file{'B', 'M'};
  put32(file, static_cast<std::uint32_t>(14 + header.size() + pixels.size()));
  put32(file, 0);
  put32(file, static_cast<std::uint32_t>(14 + header.size()));
  file.insert(file.end(), header.begin(), header.end());
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

// ---- GIF ----

struct GifFixture {
  int screen_width = 0;
  int screen_height = 0;
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB, a power of two entries
  int transparent_index = -1;
  bool interlaced = false;
  bool local_palette = false;
  int min_code_size = 2;
  std::vector<std::pair<int, int>> codes;  // (code, bits)
};

inline unsigned table_size_bits(std::size_t entries) {
  unsigned bits = 0;
  while ((std::size_t{2} << bits) < entries) ++bits;
  return bits;
}

inline Bytes gif_file(const GifFixture& fixture) {
  Bytes file{'G', 'I', 'F', '8', '9', 'a'};
  put16(file, fixture.screen_width);
  put16(file, fixture.screen_height);
  const unsigned size_bits = table_size_bits(fixture.palette.size());
  file.push_back(static_cast<std::uint8_t>(fixture.local_palette ? 0 : 0x80 | size_bits));
  file.push_back(0);
  file.push_back(0);
  auto colour_table = [&] {
    for (auto colour : fixture.palette) {
      file.push_back(static_cast<std::uint8_t>(colour >> 16));
      file.push_back(static_cast<std::uint8_t>(colour >> 8));
      file.push_back(static_cast<std::uint8_t>(colour));
    }
  };
  if (!fixture.local_palette) colour_table();
  // A comment extension first: readers must step over what they do not use.
  for (int byte : {0x21, 0xFE, 0x03, int{'q'}, int{'m'}, int{'!'}, 0x00}) file.push_back(static_cast<std::uint8_t>(byte));
  if (fixture.transparent_index >= 0) {
    for (int byte : {0x21, 0xF9, 0x04, 0x01, 0x00, 0x00}) file.push_back(static_cast<std::uint8_t>(byte));
    file.push_back(static_cast<std::uint8_t>(fixture.transparent_index));
    file.push_back(0);
  }
  file.push_back(0x2C);
  put16(file, fixture.left);
  put16(file, fixture.top);
  put16(file, fixture.width);
  put16(file, fixture.height);
  file.push_back(static_cast<std::uint8_t>((fixture.interlaced ? 0x40 : 0) | (fixture.local_palette ? 0x80 | size_bits : 0)));
  if (fixture.local_palette) colour_table();
  file.push_back(static_cast<std::uint8_t>(fixture.min_code_size));
  Bytes packed;
  std::uint32_t accumulator = 0;
  int filled = 0;
  for (const auto& [code, bits] : fixture.codes) {
    accumulator |= static_cast<std::uint32_t>(code) << filled;
    filled += bits;
    while (filled >= 8) {
      packed.push_back(static_cast<std::uint8_t>(accumulator));
      accumulator >>= 8;
      filled -= 8;
    }
  }
  if (filled > 0) packed.push_back(static_cast<std::uint8_t>(accumulator));
  // Sub-blocks of at most 255 bytes; small ones here, so that joining them is tested.
  for (std::size_t at = 0; at < packed.size(); at += 3) {
    const std::size_t size = std::min<std::size_t>(3, packed.size() - at);
    file.push_back(static_cast<std::uint8_t>(size));
    file.insert(file.end(), packed.begin() + static_cast<std::ptrdiff_t>(at),
                packed.begin() + static_cast<std::ptrdiff_t>(at + size));
  }
  file.push_back(0);
  file.push_back(0x3B);
  return file;
}

// Codes that store each index literally: a clear code before every second
// index keeps the table, and so the code width, from growing.
inline std::vector<std::pair<int, int>> literal_codes(const std::vector<int>& indices, int min_code_size) {
  const int clear = 1 << min_code_size;
  const int bits = min_code_size + 1;
  std::vector<std::pair<int, int>> codes;
  for (std::size_t i = 0; i < indices.size(); ++i) {
    if (i % 2 == 0) codes.emplace_back(clear, bits);
    codes.emplace_back(indices[i], bits);
  }
  codes.emplace_back(clear + 1, bits);
  return codes;
}

// ---- PNG ----

inline void png_chunk(Bytes& file, const char* type, const Bytes& data) {
  put32_big(file, static_cast<std::uint32_t>(data.size()));
  const std::size_t type_at = file.size();
  file.insert(file.end(), type, type + 4);
  file.insert(file.end(), data.begin(), data.end());
  put32_big(file, static_cast<std::uint32_t>(crc32(0, file.data() + type_at, static_cast<uInt>(file.size() - type_at))));
}

struct PngFixture {
  int width = 0;
  int height = 0;
  int bit_depth = 8;
  int colour_type = 2;        // 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
  std::vector<Bytes> rows;    // unfiltered sample bytes of each row
  Bytes palette;              // PLTE: RGB triples
  Bytes transparency;         // tRNS
};

inline PngFixture png_fixture(int width, int height, int bit_depth, int colour_type, std::vector<Bytes> rows) {
  PngFixture fixture;
  fixture.width = width;
  fixture.height = height;
  fixture.bit_depth = bit_depth;
  fixture.colour_type = colour_type;
  fixture.rows = std::move(rows);
  return fixture;
}

inline Bytes png_file(const PngFixture& fixture) {
  Bytes file{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Bytes header;
  put32_big(header, static_cast<std::uint32_t>(fixture.width));
  put32_big(header, static_cast<std::uint32_t>(fixture.height));
  for (int byte : {fixture.bit_depth, fixture.colour_type, 0, 0, 0}) header.push_back(static_cast<std::uint8_t>(byte));
  png_chunk(file, "IHDR", header);
  if (!fixture.palette.empty()) png_chunk(file, "PLTE", fixture.palette);
  if (!fixture.transparency.empty()) png_chunk(file, "tRNS", fixture.transparency);
  Bytes raw;
  for (const auto& row : fixture.rows) {
    raw.push_back(0);  // filter: none
    raw.insert(raw.end(), row.begin(), row.end());
  }
  uLongf compressed_size = compressBound(static_cast<uLong>(raw.size()));
  Bytes compressed(compressed_size);
  compress(compressed.data(), &compressed_size, raw.data(), static_cast<uLong>(raw.size()));
  compressed.resize(compressed_size);
  png_chunk(file, "IDAT", compressed);
  png_chunk(file, "IEND", {});
  return file;
}

// ---- JPEG ----

// A JPEG of width × height pixels whose colour (R, G, B) comes from `colour`;
// `components` 3 for colour, 1 for grey (the red value then).
inline Bytes jpeg_file(int width, int height, int components,
                       const std::function<std::uint32_t(int x, int y)>& colour, bool progressive = false) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = components;
  info.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  if (progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * components);
  while (info.next_scanline < info.image_height) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t rgb = colour(x, static_cast<int>(info.next_scanline));
      for (int c = 0; c < components; ++c) row[x * components + c] = static_cast<JSAMPLE>(rgb >> (16 - 8 * c));
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  Bytes file(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return file;
}

}  // namespace qm::test::pictures
