#include "platform/picture_bitmap.h"

#include <cstring>

namespace qm::platform {

namespace {

void premultiply(std::uint8_t* pixels, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i, pixels += 4) {
    const unsigned alpha = pixels[3];
    for (int channel = 0; channel < 3; ++channel)
      pixels[channel] = static_cast<std::uint8_t>((pixels[channel] * alpha + 127) / 255);
  }
}

}  // namespace

UniqueGdiObject make_picture_bitmap(const Picture& picture, BitmapAlpha alpha) {
  const std::size_t pixel_count = static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
  if (!picture_dimensions_allowed(picture.width, picture.height) || picture.pixels.size() != pixel_count * 4)
    return UniqueGdiObject();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // negative: top row first, as the picture holds it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return UniqueGdiObject();
  // GDI may still be drawing into a new section; its bits are ours only after a flush.
  GdiFlush();
  std::memcpy(bits, picture.pixels.data(), picture.pixels.size());
  if (alpha == BitmapAlpha::premultiplied) premultiply(static_cast<std::uint8_t*>(bits), pixel_count);
  return bitmap;
}

}  // namespace qm::platform
