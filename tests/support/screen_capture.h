#pragma once
// Pictures for tests: a BMP file to show, and a capture of the screen.

#include <string>

namespace qm::test {

// A 24-bit BMP of the given size with a colour gradient and a frame.
void write_test_bitmap(const std::string& path, int width, int height);

// Saves the whole screen as a 24-bit BMP file.
void capture_screen(const std::string& path);

}  // namespace qm::test
