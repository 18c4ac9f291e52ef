#pragma once
// Pictures for tests: a BMP file to show, and a capture of the screen.

#include <string>

namespace qm::test {

// A 24-bit BMP of the given size with a colour gradient and a frame.
void write_test_bitmap(const std::string& path, int width, int height);

// Saves the whole screen as a 24-bit BMP file.
void capture_screen(const std::string& path);

// Saves what the screen shows of a window (frame included) as a PNG file in
// the build's screenshots folder (build/screenshots/<name>.png), for people
// to look at; gives the file's path.
std::string save_window_picture(void* window, const std::string& name);

}  // namespace qm::test
