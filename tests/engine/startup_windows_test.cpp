// The start-up windows on a real (virtual) screen. The test leaves a picture
// of them in the build folder (screenshots/startup-windows.bmp) to look at.

#include <gtest/gtest.h>

#include <windows.h>

#include "engine/startup_windows.h"
#include "engine/window_placement.h"
#include "script/message_catalogue.h"
#include "tests/support/screen_capture.h"
#include "tests/support/temp_folder.h"
#include "tests/support/window_finder.h"

namespace qm {
namespace {

WindowRect rect_of(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void pump_messages() {
  MSG message;
  for (int round = 0; round < 20; ++round) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(10);
  }
}

TEST(StartupWindowsTest, SplashAndPreparingWindowAreWhereTheyBelong) {
  test::TempFolder folder;
  const std::string picture = folder.file("setup.bmp");
  test::write_test_bitmap(picture, 480, 300);
  const MessageCatalogue messages;
  const int screen_width = GetSystemMetrics(SM_CXSCREEN);
  const int screen_height = GetSystemMetrics(SM_CYSCREEN);

  StartupWindows windows(picture, messages.text(message::kWizardCaption), messages.text(message::kPreparing));
  windows.set_progress_range(4);
  windows.set_progress(1);
  windows.step_progress();
  pump_messages();

  HWND splash = test::find_process_window(GetCurrentProcessId(), "QuillmoreSetupSplash");
  HWND preparing = test::find_process_window(GetCurrentProcessId(), "QuillmoreSetupInit");
  ASSERT_NE(splash, nullptr);
  ASSERT_NE(preparing, nullptr);
  EXPECT_TRUE(IsWindowVisible(splash));
  EXPECT_TRUE(IsWindowVisible(preparing));

  const WindowRect splash_rect = rect_of(splash);
  EXPECT_EQ(splash_rect, centred_on_screen(480, 300, screen_width, screen_height));
  const WindowRect preparing_rect = rect_of(preparing);
  EXPECT_EQ(preparing_rect, preparing_window_beside_splash(splash_rect, preparing_rect.width, preparing_rect.height,
                                                           screen_width, screen_height));
  RECT client{};
  GetClientRect(preparing, &client);
  EXPECT_EQ(client.right, 369);
  EXPECT_EQ(client.bottom, 89);
  char caption[64] = {};
  GetWindowTextA(preparing, caption, sizeof caption);
  EXPECT_STREQ(caption, "Quillmore Wizard");
  EXPECT_EQ(GetWindowLongA(preparing, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU), 0);

  const std::string shots = test::program_folder() + "..\\screenshots\\";
  CreateDirectoryA(shots.c_str(), nullptr);
  test::capture_screen(shots + "startup-windows.bmp");
}

TEST(StartupWindowsTest, WithoutAPictureThePreparingWindowIsCentred) {
  test::TempFolder folder;
  StartupWindows windows(folder.file("missing.bmp"), "Caption", "Text");
  pump_messages();
  EXPECT_EQ(test::find_process_window(GetCurrentProcessId(), "QuillmoreSetupSplash"), nullptr);
  HWND preparing = test::find_process_window(GetCurrentProcessId(), "QuillmoreSetupInit");
  ASSERT_NE(preparing, nullptr);
  const WindowRect placed = rect_of(preparing);
  EXPECT_EQ(placed, centred_on_screen(placed.width, placed.height, GetSystemMetrics(SM_CXSCREEN),
                                      GetSystemMetrics(SM_CYSCREEN)));
}

}  // namespace
}  // namespace qm
