// The engine's dialog form: laid out on the 96-dpi grid for the monitor that
// shows it, and again when it moves to a monitor of another resolution.

#include <gtest/gtest.h>

#include <windows.h>

#include "platform/dialog_form.h"

namespace qm::platform {
namespace {

RECT client_rect_in_form(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int font_height(HWND window) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfHeight;
}

TEST(DialogFormTest, ItLaysItselfOutForEachResolution) {
  DialogForm form("Resolution", 200, 100, "Tahoma", 8);
  HWND label = form.add_label("Label", 10, 20, 100, 30);
  HWND button = form.add_button("OK", IDOK, ButtonRole::kDefault, 110, 60, 75, 25);

  for (const int dpi : {form.scale().dpi(), 192, 120}) {
    if (dpi != form.scale().dpi()) {
      RECT suggested{50, 60, 50 + 10, 60 + 10};  // only its corner counts
      SendMessageA(form.window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
      RECT frame{};
      GetWindowRect(form.window(), &frame);
      EXPECT_EQ(frame.left, 50) << dpi;
      EXPECT_EQ(frame.top, 60) << dpi;
    }
    const DpiScale scale(dpi);
    RECT client{};
    GetClientRect(form.window(), &client);
    EXPECT_EQ(client.right, scale(200)) << dpi;
    EXPECT_EQ(client.bottom, scale(100)) << dpi;
    const RECT placed = client_rect_in_form(label);
    EXPECT_EQ(placed.left, scale(10)) << dpi;
    EXPECT_EQ(placed.top, scale(20)) << dpi;
    EXPECT_EQ(placed.right - placed.left, scale(100)) << dpi;
    EXPECT_EQ(client_rect_in_form(button).top, scale(60)) << dpi;
    EXPECT_EQ(font_height(button), -MulDiv(8, dpi, 72)) << dpi;
  }
}

}  // namespace
}  // namespace qm::platform
