// PNG files through libpng. libpng reports errors by calling a function that
// must not return; ours jumps back (png_jmpbuf), so that a corrupt file is
// an absent picture and never the end of the process.

#include <csetjmp>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include <png.h>

#include "platform/picture_decoders.h"

namespace qm::platform::picture_decoders {

namespace {

using Bytes = std::span<const std::uint8_t>;

// Ancillary chunks (text, profiles) may not make libpng hold more than this.
constexpr png_alloc_size_t kMaxChunkBytes = 8u * 1024 * 1024;

struct MemoryInput {
  Bytes data;
  std::size_t at = 0;
};

void read_from_memory(png_structp png, png_bytep out, png_size_t count) {
  auto* input = static_cast<MemoryInput*>(png_get_io_ptr(png));
  if (count > input->data.size() - input->at) png_error(png, "the file ends early");
  std::memcpy(out, input->data.data() + input->at, count);
  input->at += count;
}

[[noreturn]] void jump_back(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void ignore_warning(png_structp, png_const_charp) {}

// Every colour type and depth becomes 8-bit blue, green, red, alpha.
void ask_for_bgra(png_structp png, png_infop info) {
  const png_byte colour_type = png_get_color_type(png, info);
  if (colour_type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colour_type == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  png_set_strip_16(png);
  if (colour_type == PNG_COLOR_TYPE_GRAY || colour_type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
}

// Everything that may jump, with no object that has a destructor in between:
// longjmp would skip destructors.
bool decode_into(png_structp png, png_infop info, std::optional<Picture>& picture, std::vector<png_bytep>& rows) {
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  if (!picture_dimensions_allowed(width, height)) return false;
  ask_for_bgra(png, info);
  if (png_get_rowbytes(png, info) != static_cast<png_size_t>(width) * 4) return false;
  picture = blank_picture(width, height);
  if (!picture) return false;
  rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = picture->pixels.data() + static_cast<std::size_t>(y) * width * 4;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

std::optional<Picture> decode_png(Bytes data) {
  MemoryInput input{data};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, jump_back, ignore_warning);
  if (!png) return std::nullopt;
  png_infop info = png_create_info_struct(png);
  std::optional<Picture> picture;
  std::vector<png_bytep> rows;
  if (!info || setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    return std::nullopt;
  }
  png_set_read_fn(png, &input, read_from_memory);
  png_set_user_limits(png, static_cast<png_uint_32>(kMaxPicturePixels), static_cast<png_uint_32>(kMaxPicturePixels));
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
  const bool decoded = decode_into(png, info, picture, rows);
  png_destroy_read_struct(&png, &info, nullptr);
  if (!decoded) return std::nullopt;
  return picture;
}

}  // namespace qm::platform::picture_decoders
