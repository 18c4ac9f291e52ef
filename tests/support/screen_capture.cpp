#include "tests/support/screen_capture.h"

#include <windows.h>

#include <vector>

#include "tests/support/temp_folder.h"

namespace qm::test {

namespace {

std::string bitmap_file(int width, int height, const std::vector<unsigned char>& pixels) {
  const int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(stride * height);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  bytes.append(reinterpret_cast<const char*>(pixels.data()), pixels.size());
  return bytes;
}

}  // namespace

void write_test_bitmap(const std::string& path, int width, int height) {
  const int stride = (width * 3 + 3) & ~3;
  std::vector<unsigned char> pixels(static_cast<std::size_t>(stride * height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      unsigned char* pixel = &pixels[static_cast<std::size_t>(y * stride + x * 3)];
      const bool frame = x < 4 || y < 4 || x >= width - 4 || y >= height - 4;
      pixel[0] = frame ? 40 : static_cast<unsigned char>(120 + 135 * x / width);  // blue
      pixel[1] = frame ? 40 : static_cast<unsigned char>(60 + 100 * y / height);  // green
      pixel[2] = frame ? 40 : 50;                                                 // red
    }
  }
  write_file(path, bitmap_file(width, height, pixels));
}

void capture_screen(const std::string& path) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);

  const int stride = (width * 3 + 3) & ~3;
  std::vector<unsigned char> pixels(static_cast<std::size_t>(stride * height));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  GetDIBits(memory, picture, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  write_file(path, bitmap_file(width, height, pixels));
}

}  // namespace qm::test
