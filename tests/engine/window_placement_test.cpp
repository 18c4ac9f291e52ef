#include <gtest/gtest.h>

#include "engine/window_placement.h"

namespace qm {
namespace {

TEST(WindowPlacementTest, PreparingWindowBesideTheSplash) {
  struct Case {
    const char* what;
    WindowRect splash;
    int screen_width, screen_height;
    WindowRect expected;
  } cases[] = {
      {"pulled up to stay on the screen", centred_on_screen(640, 480, 1024, 768), 1024, 768, {562, 608, 375, 115}},
      {"room enough below a small picture", centred_on_screen(200, 100, 1024, 768), 1024, 768, {562, 459, 375, 115}},
      {"pulled left on a narrow screen", centred_on_screen(640, 300, 800, 600), 800, 600, {400, 440, 375, 115}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(preparing_window_beside_splash(c.splash, 375, 115, c.screen_width, c.screen_height), c.expected)
        << c.what;
  EXPECT_EQ(centred_on_screen(640, 480, 1024, 768), (WindowRect{192, 144, 640, 480}));
}

}  // namespace
}  // namespace qm
