#pragma once
// Where the start-up windows go: the splash picture centred on the screen,
// the "preparing" window below and to the right of its middle, pulled back
// onto the screen when it would leave it.

namespace qm {

struct WindowRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const WindowRect&) const = default;
};

WindowRect centred_on_screen(int width, int height, int screen_width, int screen_height);

WindowRect preparing_window_beside_splash(const WindowRect& splash, int width, int height, int screen_width,
                                          int screen_height);

}  // namespace qm
