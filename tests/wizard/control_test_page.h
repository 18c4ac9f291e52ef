#pragma once
// What the tests of the wizard's control classes share: a page made from a
// small definition, shown on the screen, the window messages pumped, and
// pictures written into definitions as the designer writes them.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "wizard/form_text.h"
#include "wizard/wizard_page.h"

namespace qm::test {

inline void pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// A page of the given client size holding the components of `body`
// (definition text, indented as inside the form), made and shown.
struct ShownPage {
  std::unique_ptr<WizardPage> page;
  HWND window = nullptr;

  ShownPage(const std::string& body, int width = 400, int height = 240) {
    const std::string text = "object P: TPoolTemplate\n  ClientWidth = " + std::to_string(width) +
                             "\n  ClientHeight = " + std::to_string(height) + "\n" + body + "end\n";
    page = WizardPage::load(parse_form_text(text, "controls.dfm"), "controls.dfm");
    window = page->create_window();
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    pump();
  }

  Control& operator[](const char* name) const { return *page->find(name); }

  // The colour the control shows at a point of its client area, drawn afresh.
  static COLORREF pixel(HWND control, int x, int y) {
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(control);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(control, dc);
    return colour;
  }
};

// A 24-bit BMP file whose pixel (x, y), top row first, is `colour(x, y)`.
inline std::vector<std::uint8_t> bmp_file(int width, int height, const std::function<COLORREF(int, int)>& colour) {
  const int row = (width * 3 + 3) / 4 * 4;
  const std::uint32_t size = 54 + static_cast<std::uint32_t>(row * height);
  std::vector<std::uint8_t> file(size, 0);
  const auto put32 = [&](std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, size);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  file[26] = 1;
  file[28] = 24;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF c = colour(x, y);
      const std::size_t at = 54 + static_cast<std::size_t>((height - 1 - y) * row + x * 3);
      file[at] = GetBValue(c);
      file[at + 1] = GetGValue(c);
      file[at + 2] = GetRValue(c);
    }
  }
  return file;
}

inline std::string hex_of(const std::vector<std::uint8_t>& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (std::uint8_t byte : bytes) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

// A bitmap property's data (Glyph.Data, Bitmaps.Up.Data): the file's size,
// then the file.
inline std::vector<std::uint8_t> bitmap_data(const std::vector<std::uint8_t>& file) {
  std::vector<std::uint8_t> data;
  data.reserve(file.size() + 4);
  for (int i = 0; i < 4; ++i) data.push_back(static_cast<std::uint8_t>(file.size() >> (8 * i)));
  for (std::uint8_t byte : file) data.push_back(byte);
  return data;
}

// A picture property's data (Picture.Data): the class name, the file's size,
// the file.
inline std::vector<std::uint8_t> picture_data(const std::vector<std::uint8_t>& file) {
  std::vector<std::uint8_t> data;
  for (char c : std::string_view("\x07TBitmap")) data.push_back(static_cast<std::uint8_t>(c));
  for (std::uint8_t byte : bitmap_data(file)) data.push_back(byte);
  return data;
}

// Property data that is no picture at all.
inline std::vector<std::uint8_t> corrupt_data() { return {0x30, 0, 0, 0, 'B', 'M', 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3}; }

// "  Name = {hex}" as the designer writes binary data, indented for a component.
inline std::string binary_line(const std::string& name, const std::vector<std::uint8_t>& data) {
  return "    " + name + " = {" + hex_of(data) + "}\n";
}

}  // namespace qm::test
