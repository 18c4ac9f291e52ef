#include "platform/picture.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "platform/picture_decoders.h"

namespace qm::platform {

namespace {

using Bytes = std::span<const std::uint8_t>;

bool starts_with(Bytes data, std::initializer_list<std::uint8_t> magic) {
  return data.size() >= magic.size() && std::equal(magic.begin(), magic.end(), data.begin());
}

std::uint32_t little_endian_u32(Bytes data) {
  return static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
         static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

// The picture after its class name: the designer writes some classes' data
// with its size in front and others without; the size is taken only when it
// fits and a picture file follows it.
std::optional<Bytes> picture_file_after_class(Bytes rest) {
  if (rest.size() >= 4) {
    const std::uint64_t size = little_endian_u32(rest);
    if (size <= rest.size() - 4 && recognise_picture_format(rest.subspan(4, size))) return rest.subspan(4, size);
  }
  if (recognise_picture_format(rest)) return rest;
  return std::nullopt;
}

}  // namespace

bool picture_dimensions_allowed(std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0) return false;
  if (width > static_cast<std::int64_t>(kMaxPicturePixels) || height > static_cast<std::int64_t>(kMaxPicturePixels))
    return false;
  return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <= kMaxPicturePixels;
}

std::optional<PictureFormat> recognise_picture_format(Bytes data) {
  if (starts_with(data, {'B', 'M'})) return PictureFormat::bmp;
  if (starts_with(data, {0xFF, 0xD8, 0xFF})) return PictureFormat::jpeg;
  if (starts_with(data, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return PictureFormat::png;
  if (starts_with(data, {'G', 'I', 'F', '8', '7', 'a'}) || starts_with(data, {'G', 'I', 'F', '8', '9', 'a'}))
    return PictureFormat::gif;
  return std::nullopt;
}

std::optional<Picture> decode_picture(Bytes data) {
  const auto format = recognise_picture_format(data);
  if (!format) return std::nullopt;
  return decode_picture(data, *format);
}

std::optional<Picture> decode_picture(Bytes data, PictureFormat format) {
  if (recognise_picture_format(data) != format) return std::nullopt;
  switch (format) {
    case PictureFormat::bmp: return picture_decoders::decode_bmp(data);
    case PictureFormat::jpeg: return picture_decoders::decode_jpeg(data);
    case PictureFormat::png: return picture_decoders::decode_png(data);
    case PictureFormat::gif: return picture_decoders::decode_gif(data);
  }
  return std::nullopt;
}

std::optional<PictureFormat> picture_format_for_class(std::string_view class_name) {
  struct PictureClass {
    std::string_view name;
    PictureFormat format;
  };
  static constexpr std::array<PictureClass, 5> kClasses{{{"TBitmap", PictureFormat::bmp},
                                                         {"TJPEGImage", PictureFormat::jpeg},
                                                         {"TPngImage", PictureFormat::png},
                                                         {"TPNGObject", PictureFormat::png},
                                                         {"TGIFImage", PictureFormat::gif}}};
  for (const auto& known : kClasses) {
    if (equal_ignoring_case(known.name, class_name)) return known.format;
  }
  return std::nullopt;
}

std::optional<Picture> read_picture_data(Bytes data) {
  if (data.empty()) return std::nullopt;
  const std::size_t name_length = data[0];
  if (name_length == 0 || data.size() < 1 + name_length) return std::nullopt;
  const std::string_view class_name(reinterpret_cast<const char*>(data.data() + 1), name_length);
  if (!picture_format_for_class(class_name)) return std::nullopt;
  const auto file = picture_file_after_class(data.subspan(1 + name_length));
  if (!file) return std::nullopt;
  // The class names the format the designer meant, but the bytes decide:
  // a picture loaded into the wrong class still shows.
  return decode_picture(*file);
}

std::optional<Picture> read_bitmap_data(Bytes data) {
  if (data.size() < 4) return std::nullopt;
  const std::uint64_t size = little_endian_u32(data);
  if (size > data.size() - 4) return std::nullopt;
  return decode_picture(data.subspan(4, size), PictureFormat::bmp);
}

namespace picture_decoders {

std::optional<Picture> blank_picture(std::int64_t width, std::int64_t height) {
  if (!picture_dimensions_allowed(width, height)) return std::nullopt;
  Picture picture;
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  picture.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
  return picture;
}

}  // namespace picture_decoders

}  // namespace qm::platform
