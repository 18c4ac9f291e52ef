// JPEG files through libjpeg(-turbo). The library reports errors by calling
// a function that must not return; ours jumps back to the decoder, so that a
// corrupt file is an absent picture and never the end of the process.

#include <csetjmp>
#include <cstdio>
#include <optional>
#include <span>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/picture_decoders.h"

namespace qm::platform::picture_decoders {

namespace {

using Bytes = std::span<const std::uint8_t>;

// A progressive file may hold any number of scans, each a pass over the
// whole picture; real pictures have about ten.
constexpr int kMaxScans = 100;
// What the library may allocate beside our pixel buffer.
constexpr long kMaxLibraryMemory = 64L * 1024 * 1024;

struct ErrorTrap {
  jpeg_error_mgr manager{};
  std::jmp_buf jump{};
  bool data_ended = false;
};

[[noreturn]] void jump_back(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

// Warnings are not printed; a file that ends early (the library then
// invents the rest) counts as corrupt.
void note_warning(j_common_ptr info, int level) {
  auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
  if (level < 0 && trap->manager.msg_code == JWRN_JPEG_EOF) trap->data_ended = true;
}

void stop_endless_scans(j_common_ptr info) {
  auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->input_scan_number > kMaxScans) jump_back(info);
}

// Adobe's CMYK JPEGs store the inks inverted: full ink is 0.
void cmyk_to_bgra(const JSAMPLE* in, std::uint8_t* out, JDIMENSION width) {
  for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 4) {
    const unsigned k = in[3];
    out[0] = static_cast<std::uint8_t>(in[2] * k / 255);
    out[1] = static_cast<std::uint8_t>(in[1] * k / 255);
    out[2] = static_cast<std::uint8_t>(in[0] * k / 255);
    out[3] = 255;
  }
}

// Everything that touches the library, with no object that has a destructor
// in between: longjmp would skip destructors.
bool decode_into(Bytes data, ErrorTrap& trap, jpeg_decompress_struct& info, std::optional<Picture>& picture,
                 std::vector<JSAMPLE>& cmyk_row) {
  jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
  if (!picture_dimensions_allowed(info.image_width, info.image_height)) return false;
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  info.mem->max_memory_to_use = kMaxLibraryMemory;
  jpeg_start_decompress(&info);
  if (trap.data_ended) return false;
  picture = blank_picture(info.output_width, info.output_height);
  if (!picture) return false;
  if (cmyk) cmyk_row.resize(static_cast<std::size_t>(info.output_width) * 4);
  const std::size_t stride = static_cast<std::size_t>(info.output_width) * 4;
  while (info.output_scanline < info.output_height) {
    std::uint8_t* out = picture->pixels.data() + info.output_scanline * stride;
    JSAMPROW row = cmyk ? cmyk_row.data() : out;
    jpeg_read_scanlines(&info, &row, 1);
    if (cmyk) cmyk_to_bgra(row, out, info.output_width);
  }
  jpeg_finish_decompress(&info);
  return !trap.data_ended;
}

}  // namespace

std::optional<Picture> decode_jpeg(Bytes data) {
  if (data.empty()) return std::nullopt;
  ErrorTrap trap;
  jpeg_decompress_struct info{};
  jpeg_progress_mgr progress{};
  std::optional<Picture> picture;
  std::vector<JSAMPLE> cmyk_row;
  info.err = jpeg_std_error(&trap.manager);
  trap.manager.error_exit = jump_back;
  trap.manager.emit_message = note_warning;
  if (setjmp(trap.jump) != 0) {
    jpeg_destroy_decompress(&info);
    return std::nullopt;
  }
  jpeg_create_decompress(&info);
  progress.progress_monitor = stop_endless_scans;
  info.progress = &progress;
  const bool decoded = decode_into(data, trap, info, picture, cmyk_row);
  jpeg_destroy_decompress(&info);
  if (!decoded) return std::nullopt;
  return picture;
}

}  // namespace qm::platform::picture_decoders
