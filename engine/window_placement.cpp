#include "engine/window_placement.h"

namespace qm {

WindowRect centred_on_screen(int width, int height, int screen_width, int screen_height) {
  return {(screen_width - width) / 2, (screen_height - height) / 2, width, height};
}

WindowRect preparing_window_beside_splash(const WindowRect& splash, int width, int height, int screen_width,
                                          int screen_height) {
  WindowRect placed{splash.left + splash.width / 2 + 50, splash.top + splash.height + 25, width, height};
  if (screen_height - height - 45 < placed.top) placed.top = screen_height - height - 45;
  if (screen_width - width - 25 < placed.left) placed.left = screen_width - width - 25;
  return placed;
}

}  // namespace qm
