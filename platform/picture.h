#pragma once
// Pictures of the splash window and of dialog definitions (BMP, JPEG, PNG,
// GIF), decoded into one pixel form that every drawing path can use.
//
// Picture files come from outside (the resource archive, the folder the
// engine started from), so every decoder treats them as hostile: sizes and
// offsets are checked against the data, dimensions are bounded before any
// pixel buffer is made, and a corrupt or unsupported picture is simply
// absent. No decoder includes <windows.h>, so all of them can be fuzzed
// natively; picture_bitmap.h turns a picture into a Windows bitmap.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace qm::platform {

enum class PictureFormat { bmp, jpeg, png, gif };

// Width × height pixels, top row first, 4 bytes each: blue, green, red,
// alpha (straight, not premultiplied; 255 = opaque).
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
};

// The largest picture made: 16 megapixels (4096 × 4096) is far beyond any
// splash or dialog picture and keeps the buffer (64 MB) affordable in a
// 32-bit process; a header that claims more is refused before allocating.
inline constexpr std::uint64_t kMaxPicturePixels = 16u * 1024u * 1024u;

// Whether width × height is a picture this engine makes (both positive,
// within kMaxPicturePixels).
bool picture_dimensions_allowed(std::int64_t width, std::int64_t height);

// The format a file's first bytes announce, if any.
std::optional<PictureFormat> recognise_picture_format(std::span<const std::uint8_t> data);

// Decodes a picture file of any of the formats, recognised by its content.
std::optional<Picture> decode_picture(std::span<const std::uint8_t> data);

// Decodes a picture file of the given format only.
std::optional<Picture> decode_picture(std::span<const std::uint8_t> data, PictureFormat format);

// The format of the form designer's picture class ("TBitmap", "TJPEGImage",
// "TPngImage", "TPNGObject", "TGIFImage"; case as written by the designer,
// compared without regard to case).
std::optional<PictureFormat> picture_format_for_class(std::string_view class_name);

// A picture property of a dialog definition (the binary "Picture.Data" of an
// image): the picture class as a short string (a length byte, then the name),
// then the picture's own data, which some classes precede by its size as a
// 4-byte little-endian number.
std::optional<Picture> read_picture_data(std::span<const std::uint8_t> data);

// A bitmap property of a dialog definition (a button's "Glyph.Data"): the
// bitmap file's size as a 4-byte little-endian number, then the file.
std::optional<Picture> read_bitmap_data(std::span<const std::uint8_t> data);

}  // namespace qm::platform
