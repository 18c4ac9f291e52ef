#pragma once
// The decoders behind decode_picture, one per format. Each answers nothing
// for data it cannot decode completely and safely.

#include <optional>
#include <span>

#include "platform/picture.h"

namespace qm::platform::picture_decoders {

std::optional<Picture> decode_bmp(std::span<const std::uint8_t> data);
std::optional<Picture> decode_gif(std::span<const std::uint8_t> data);
std::optional<Picture> decode_jpeg(std::span<const std::uint8_t> data);
std::optional<Picture> decode_png(std::span<const std::uint8_t> data);

// An empty picture of the given size (every pixel 0: transparent black), or
// nothing when the size is not allowed.
std::optional<Picture> blank_picture(std::int64_t width, std::int64_t height);

}  // namespace qm::platform::picture_decoders
