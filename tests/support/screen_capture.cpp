#include "tests/support/screen_capture.h"

#include <windows.h>

#include <zlib.h>

#include <cstdint>
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

void append_big_endian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void append_chunk(std::string& out, const char* type, const std::string& data) {
  append_big_endian(out, static_cast<std::uint32_t>(data.size()));
  const std::string typed = std::string(type, 4) + data;
  out += typed;
  append_big_endian(out, static_cast<std::uint32_t>(
                             crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()))));
}

// An 8-bit RGB PNG of bottom-up BGR rows (as GetDIBits gives them).
std::string png_file(int width, int height, const std::vector<unsigned char>& pixels) {
  const int stride = (width * 3 + 3) & ~3;
  std::string raw;
  for (int y = height - 1; y >= 0; --y) {
    raw += '\0';  // no filter
    for (int x = 0; x < width; ++x) {
      const unsigned char* pixel = &pixels[static_cast<std::size_t>(y * stride + x * 3)];
      raw += static_cast<char>(pixel[2]);
      raw += static_cast<char>(pixel[1]);
      raw += static_cast<char>(pixel[0]);
    }
  }
  uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packed_size, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &packed_size, reinterpret_cast<const Bytef*>(raw.data()),
            static_cast<uLong>(raw.size()), 9);
  packed.resize(packed_size);

  std::string header;
  append_big_endian(header, static_cast<std::uint32_t>(width));
  append_big_endian(header, static_cast<std::uint32_t>(height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
  std::string out = "\x89PNG\r\n\x1a\n";
  append_chunk(out, "IHDR", header);
  append_chunk(out, "IDAT", packed);
  append_chunk(out, "IEND", "");
  return out;
}

// The screen's pixels in a rectangle, as bottom-up 24-bit rows.
std::vector<unsigned char> screen_pixels(int left, int top, int width, int height) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY);
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
  return pixels;
}

}  // namespace

std::string save_window_picture(void* window, const std::string& name) {
  RECT frame{};
  GetWindowRect(static_cast<HWND>(window), &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const std::string folder = program_folder() + "..\\screenshots\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string path = folder + name + ".png";
  write_file(path, png_file(width, height, screen_pixels(frame.left, frame.top, width, height)));
  return path;
}

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
  write_file(path, bitmap_file(width, height, screen_pixels(0, 0, width, height)));
}

}  // namespace qm::test
