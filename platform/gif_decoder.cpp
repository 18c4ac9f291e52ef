// GIF files: the first image only (a dialog shows a still picture), drawn
// onto the logical screen with its transparent colour left transparent.

#include <array>
#include <optional>
#include <span>
#include <vector>

#include "platform/picture_decoders.h"

namespace qm::platform::picture_decoders {

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::size_t kHeaderSize = 6 + 7;  // signature and version, logical screen
constexpr std::size_t kImageDescriptorSize = 9;
constexpr int kMaxCodes = 4096;
constexpr int kMaxCodeBits = 12;

struct Rgb {
  std::uint8_t red = 0, green = 0, blue = 0;
};

struct Frame {
  std::int64_t left = 0, top = 0, width = 0, height = 0;
  bool interlaced = false;
  std::vector<Rgb> colours;
  int transparent_index = -1;
  int min_code_size = 0;
  std::vector<std::uint8_t> code_bytes;  // the image's data sub-blocks joined
};

class Cursor {
 public:
  explicit Cursor(Bytes data) : data_(data) {}
  bool has(std::size_t bytes) const { return bytes <= data_.size() - at_; }
  std::uint8_t byte() { return data_[at_++]; }
  std::uint16_t u16() {
    const auto value = static_cast<std::uint16_t>(data_[at_] | data_[at_ + 1] << 8);
    at_ += 2;
    return value;
  }
  Bytes take(std::size_t bytes) {
    const Bytes piece = data_.subspan(at_, bytes);
    at_ += bytes;
    return piece;
  }

 private:
  Bytes data_;
  std::size_t at_ = 0;
};

// A colour table of 2^(size bits + 1) entries.
std::optional<std::vector<Rgb>> read_colour_table(Cursor& in, unsigned size_bits) {
  const std::size_t count = std::size_t{2} << size_bits;
  if (!in.has(count * 3)) return std::nullopt;
  std::vector<Rgb> table(count);
  for (auto& colour : table) colour = {in.byte(), in.byte(), in.byte()};
  return table;
}

// Data sub-blocks up to their empty terminator, appended to `out` when given.
bool read_sub_blocks(Cursor& in, std::vector<std::uint8_t>* out) {
  for (;;) {
    if (!in.has(1)) return false;
    const std::size_t size = in.byte();
    if (size == 0) return true;
    if (!in.has(size)) return false;
    const Bytes block = in.take(size);
    if (out) out->insert(out->end(), block.begin(), block.end());
  }
}

// An extension block; from a graphic control extension, the transparent
// colour that applies to the next image.
bool read_extension(Cursor& in, int& transparent_index) {
  if (!in.has(1)) return false;
  const std::uint8_t label = in.byte();
  if (label == 0xF9) {
    std::vector<std::uint8_t> control;
    if (!read_sub_blocks(in, &control)) return false;
    if (control.size() >= 4) transparent_index = (control[0] & 0x01) ? control[3] : -1;
    return true;
  }
  return read_sub_blocks(in, nullptr);
}

bool read_image(Cursor& in, const std::optional<std::vector<Rgb>>& global_colours, Frame& frame) {
  if (!in.has(kImageDescriptorSize)) return false;
  frame.left = in.u16();
  frame.top = in.u16();
  frame.width = in.u16();
  frame.height = in.u16();
  const std::uint8_t flags = in.byte();
  frame.interlaced = (flags & 0x40) != 0;
  if (flags & 0x80) {
    auto local = read_colour_table(in, flags & 0x07);
    if (!local) return false;
    frame.colours = std::move(*local);
  } else if (global_colours) {
    frame.colours = *global_colours;
  } else {
    return false;
  }
  if (!in.has(1)) return false;
  frame.min_code_size = in.byte();
  if (frame.min_code_size < 1 || frame.min_code_size > 8) return false;
  return read_sub_blocks(in, &frame.code_bytes);
}

// The LZW code stream, read least significant bit first.
class CodeReader {
 public:
  explicit CodeReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  std::optional<int> next(int bits) {
    if (static_cast<std::uint64_t>(bit_ + bits) > static_cast<std::uint64_t>(bytes_.size()) * 8) return std::nullopt;
    int code = 0;
    for (int i = 0; i < bits; ++i, ++bit_) code |= ((bytes_[bit_ / 8] >> (bit_ % 8)) & 1) << i;
    return code;
  }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t bit_ = 0;
};

// Decompresses the colour indices of a frame; pixels after an early end of
// the code stream stay unset (-1), as viewers leave them. Nothing for a code
// stream that refers to codes it has not defined.
std::optional<std::vector<std::int16_t>> decompress(const Frame& frame) {
  const std::size_t pixel_count = static_cast<std::size_t>(frame.width * frame.height);
  std::vector<std::int16_t> indices(pixel_count, -1);
  std::array<std::uint16_t, kMaxCodes> prefix{};
  std::array<std::uint8_t, kMaxCodes> suffix{};
  std::array<std::uint8_t, kMaxCodes> first{};
  std::array<std::uint16_t, kMaxCodes> length{};
  const int clear = 1 << frame.min_code_size;
  const int end = clear + 1;
  for (int code = 0; code < clear; ++code) {
    suffix[code] = first[code] = static_cast<std::uint8_t>(code);
    length[code] = 1;
  }
  int next_code = clear + 2;
  int code_bits = frame.min_code_size + 1;
  int previous = -1;
  std::size_t written = 0;
  CodeReader reader(frame.code_bytes);

  // Writes a code's string backwards from its last character; what lies past
  // the frame's pixels is dropped.
  auto emit = [&](int code) {
    const std::size_t string_length = length[code];
    for (std::size_t i = string_length; i-- > 0;) {
      if (written + i < pixel_count) indices[written + i] = suffix[code];
      code = prefix[code];
    }
    written += string_length;
  };

  while (written < pixel_count) {
    const auto read = reader.next(code_bits);
    if (!read || *read == end) break;
    const int code = *read;
    if (code == clear) {
      next_code = clear + 2;
      code_bits = frame.min_code_size + 1;
      previous = -1;
      continue;
    }
    if (previous < 0) {
      if (code >= clear) return std::nullopt;
      emit(code);
      previous = code;
      continue;
    }
    if (code > next_code || (code == next_code && next_code >= kMaxCodes)) return std::nullopt;
    if (next_code < kMaxCodes) {
      // The new entry is the previous string and the first character of this
      // one (of the previous one when this code is the entry being made).
      prefix[next_code] = static_cast<std::uint16_t>(previous);
      first[next_code] = first[previous];
      suffix[next_code] = code == next_code ? first[previous] : first[code];
      length[next_code] = static_cast<std::uint16_t>(length[previous] + 1);
      ++next_code;
      if (next_code == (1 << code_bits) && code_bits < kMaxCodeBits) ++code_bits;
    }
    emit(code);
    previous = code;
  }
  return indices;
}

// The stored row of each displayed row: interlaced images store every 8th
// row from 0, every 8th from 4, every 4th from 2, then every 2nd from 1.
std::vector<std::int64_t> stored_row_order(const Frame& frame) {
  std::vector<std::int64_t> rows;
  rows.reserve(static_cast<std::size_t>(frame.height));
  if (!frame.interlaced) {
    for (std::int64_t y = 0; y < frame.height; ++y) rows.push_back(y);
    return rows;
  }
  constexpr std::array<std::pair<int, int>, 4> kPasses{{{0, 8}, {4, 8}, {2, 4}, {1, 2}}};
  for (const auto& [start, step] : kPasses) {
    for (std::int64_t y = start; y < frame.height; y += step) rows.push_back(y);
  }
  return rows;
}

void draw(const Frame& frame, const std::vector<std::int16_t>& indices, Picture& canvas) {
  const auto rows = stored_row_order(frame);
  for (std::size_t stored = 0; stored < rows.size(); ++stored) {
    const std::int64_t y = frame.top + rows[stored];
    if (y >= canvas.height) continue;
    for (std::int64_t fx = 0; fx < frame.width; ++fx) {
      const std::int64_t x = frame.left + fx;
      const int index = indices[stored * static_cast<std::size_t>(frame.width) + static_cast<std::size_t>(fx)];
      if (x >= canvas.width || index < 0 || index == frame.transparent_index) continue;
      // An index past the colour table shows black.
      const Rgb colour = static_cast<std::size_t>(index) < frame.colours.size() ? frame.colours[index] : Rgb{};
      std::uint8_t* out = canvas.pixels.data() + (static_cast<std::size_t>(y) * canvas.width + x) * 4;
      out[0] = colour.blue;
      out[1] = colour.green;
      out[2] = colour.red;
      out[3] = 255;
    }
  }
}

std::optional<Frame> read_first_frame(Cursor& in, const std::optional<std::vector<Rgb>>& global_colours) {
  int transparent_index = -1;
  while (in.has(1)) {
    const std::uint8_t introducer = in.byte();
    if (introducer == 0x21) {
      if (!read_extension(in, transparent_index)) return std::nullopt;
    } else if (introducer == 0x2C) {
      Frame frame;
      frame.transparent_index = transparent_index;
      if (!read_image(in, global_colours, frame)) return std::nullopt;
      return frame;
    } else {
      return std::nullopt;  // the trailer before any image, or garbage
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<Picture> decode_gif(Bytes data) {
  Cursor in(data);
  if (!in.has(kHeaderSize)) return std::nullopt;
  in.take(6);
  std::int64_t screen_width = in.u16();
  std::int64_t screen_height = in.u16();
  const std::uint8_t flags = in.byte();
  in.take(2);  // background colour, aspect ratio
  std::optional<std::vector<Rgb>> global_colours;
  if (flags & 0x80) {
    global_colours = read_colour_table(in, flags & 0x07);
    if (!global_colours) return std::nullopt;
  }
  const auto frame = read_first_frame(in, global_colours);
  if (!frame || !picture_dimensions_allowed(frame->width, frame->height)) return std::nullopt;
  // Some writers leave the logical screen empty; the image then sets it.
  if (screen_width == 0 || screen_height == 0) {
    screen_width = frame->left + frame->width;
    screen_height = frame->top + frame->height;
  }
  auto canvas = blank_picture(screen_width, screen_height);
  if (!canvas) return std::nullopt;
  const auto indices = decompress(*frame);
  if (!indices) return std::nullopt;
  draw(*frame, *indices, *canvas);
  return canvas;
}

}  // namespace qm::platform::picture_decoders
