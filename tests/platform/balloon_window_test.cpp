// The engine's own balloon, on the screen under Wine: where it shows, that
// it never takes the focus, its texts, and that it goes after its time or
// at a click. A picture of it is saved for people to look at.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/balloon_window.h"
#include "platform/tray_icon.h"
#include "tests/support/screen_capture.h"

namespace qm::platform {
namespace {

void pump_for(DWORD milliseconds) {
  const ULONGLONG until = GetTickCount64() + milliseconds;
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(10);
  } while (GetTickCount64() < until);
}

TEST(BalloonWindowTest, ShowsNearTheNotificationAreaWithoutTakingTheFocus) {
  HWND page = CreateWindowExA(0, "STATIC", "page", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                              nullptr, nullptr, nullptr);
  SetForegroundWindow(page);
  BalloonWindow balloon;
  ASSERT_TRUE(balloon.show("Setup finished",
                           "The product is ready to use. Start it from the Start menu whenever you like.",
                           BalloonIcon::kInformation, 10000));
  pump_for(50);
  EXPECT_TRUE(balloon.visible());
  EXPECT_EQ(GetForegroundWindow(), page) << "the balloon leaves the focus where it was";
  EXPECT_NE(GetWindowLongA(balloon.window(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  char title[64] = {};
  GetWindowTextA(balloon.window(), title, sizeof title);
  EXPECT_STREQ(title, "Setup finished");

  RECT work{};
  RECT shown{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(balloon.window(), &shown);
  EXPECT_LE(shown.right, work.right);
  EXPECT_LE(shown.bottom, work.bottom);
  EXPECT_GT(shown.right, work.right - 40) << "at the right of the work area";
  EXPECT_GT(shown.bottom, work.bottom - 40) << "at the bottom of the work area";
  HDC screen = GetDC(nullptr);
  const int widest = MulDiv(360, GetDeviceCaps(screen, LOGPIXELSX), 96);
  ReleaseDC(nullptr, screen);
  EXPECT_LE(shown.right - shown.left, widest) << "a long text wraps instead of widening the balloon";
  qm::test::save_window_picture(balloon.window(), "own_balloon");

  // A click closes it.
  SendMessageA(balloon.window(), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  EXPECT_FALSE(balloon.visible());
  DestroyWindow(page);
}

TEST(BalloonWindowTest, GoesAfterItsTimeAndANewOneReplacesTheOld) {
  BalloonWindow balloon;
  ASSERT_TRUE(balloon.show("First", "one", BalloonIcon::kWarning, 60000));
  HWND first = balloon.window();
  ASSERT_TRUE(balloon.show("Second", "two", BalloonIcon::kError, 150));
  EXPECT_FALSE(IsWindow(first)) << "one balloon at a time";
  pump_for(50);
  EXPECT_TRUE(balloon.visible());
  pump_for(400);
  EXPECT_FALSE(balloon.visible());
}

// A tray icon that is not in the notification area (none there, or the icon
// refused) shows its balloon as the engine's own.
TEST(BalloonWindowTest, StandsInForTheBalloonOfAnIconNotInTheNotificationArea) {
  TrayIcon tray([] {});
  ASSERT_FALSE(tray.visible());
  EXPECT_TRUE(tray.show_balloon("Title", "Text", BalloonIcon::kInformation, 10000));
  EXPECT_TRUE(tray.own_balloon().visible());
}

}  // namespace
}  // namespace qm::platform
