// Tabbed pages and up-down arrows on a page of this process: the tabs made
// from the sheets, the user's choice of a tab showing its sheet, the
// controls on a sheet reaching the page with their notifications, and the
// arrows stepping the number their edit shows.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "tests/support/screen_capture.h"
#include "tests/wizard/control_test_page.h"
#include "wizard/page_controls.h"

namespace qm {
namespace {

constexpr const char* kTabs = R"(  object Pages: TPageControl
    Left = 8
    Top = 8
    Width = 300
    Height = 160
    ActivePage = Third
    object First: TTabSheet
      Caption = 'General'
      object Agree: TRzCheckBox
        Left = 8
        Top = 8
        Width = 120
        Height = 17
        Caption = 'Agree'
      end
    end
    object Hidden: TTabSheet
      Caption = 'Hidden'
      TabVisible = False
    end
    object Third: TTabSheet
      Caption = 'Advanced'
    end
  end
)";

std::string tab_text(HWND strip, int index) {
  char text[64] = {};
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(strip, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return text;
}

HWND strip_of(const Control& pages) { return FindWindowExA(pages.window(), nullptr, WC_TABCONTROLA, nullptr); }

// The user's click on a tab.
void click_tab(HWND strip, int index) {
  RECT tab{};
  SendMessageA(strip, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&tab));
  const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
  SendMessageA(strip, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(strip, WM_LBUTTONUP, 0, at);
  test::pump();
}

bool shows(const Control& control) { return IsWindowVisible(control.window()) != FALSE; }

TEST(PageControlTest, TabsFollowTheSheetsAndTheUsersChoice) {
  test::ShownPage shown(kTabs);
  Control& pages = shown["Pages"];
  HWND strip = strip_of(pages);
  ASSERT_NE(strip, nullptr);
  ASSERT_EQ(SendMessageA(strip, TCM_GETITEMCOUNT, 0, 0), 2) << "a sheet without TabVisible has no tab";
  EXPECT_EQ(tab_text(strip, 0), "General");
  EXPECT_EQ(tab_text(strip, 1), "Advanced");
  EXPECT_TRUE(shows(shown["Third"]));
  EXPECT_FALSE(shows(shown["First"]));
  EXPECT_FALSE(shows(shown["Hidden"]));
  EXPECT_EQ(pages.property_text("TabIndex"), "1");

  int changes = 0;
  pages.set_handler(ControlEvent::kChange, [&](Control&, EventDetails&) { ++changes; });
  click_tab(strip, 0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(pages.property_text("ActivePage"), "First");
  EXPECT_TRUE(shows(shown["First"]));
  EXPECT_FALSE(shows(shown["Third"]));

  // A control on a sheet is heard through the sheet and the page control.
  int clicks = 0;
  shown["Agree"].set_handler(ControlEvent::kClick, [&](Control&, EventDetails&) { ++clicks; });
  SendMessageA(shown["Agree"].window(), BM_CLICK, 0, 0);
  test::pump();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(shown["Agree"].property_text("Checked"), "True");

  // The sheet lies inside the page control, under the tabs.
  RECT sheet{};
  RECT tab{};
  GetWindowRect(shown["First"].window(), &sheet);
  SendMessageA(strip, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
  MapWindowPoints(strip, nullptr, reinterpret_cast<POINT*>(&tab), 2);
  EXPECT_GE(sheet.top, tab.bottom);
  POINT middle{(sheet.left + sheet.right) / 2, (sheet.top + sheet.bottom) / 2};
  ScreenToClient(pages.window(), &middle);
  EXPECT_EQ(ChildWindowFromPointEx(pages.window(), middle, CWP_SKIPINVISIBLE), shown["First"].window())
      << "the sheet lies over the tabs' frame, not under it";
  test::save_window_picture(shown.window, "page_control");
}

TEST(PageControlTest, PropertiesSetByTheProgramChangeTheTabs) {
  test::ShownPage shown(kTabs);
  Control& pages = shown["Pages"];
  HWND strip = strip_of(pages);

  ASSERT_TRUE(pages.set_property_text("ActivePage", "First"));
  EXPECT_TRUE(shows(shown["First"]));
  EXPECT_FALSE(shows(shown["Third"]));

  ASSERT_TRUE(shown["Third"].set_property_text("Caption", "Expert"));
  EXPECT_EQ(tab_text(strip, 1), "Expert");

  ASSERT_TRUE(shown["Hidden"].set_property_text("TabVisible", "True"));
  ASSERT_EQ(SendMessageA(strip, TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(tab_text(strip, 1), "Hidden") << "tabs in the order of the sheets";
  EXPECT_EQ(pages.property_text("TabIndex"), "0");

  ASSERT_TRUE(pages.set_property_text("TabIndex", "2"));
  EXPECT_EQ(pages.property_text("ActivePage"), "Third");

  // The sheet that shows loses its tab: the first tab's sheet shows instead.
  ASSERT_TRUE(shown["Third"].set_property_text("TabVisible", "False"));
  EXPECT_EQ(pages.property_text("ActivePage"), "First");
  EXPECT_TRUE(shows(shown["First"]));
  EXPECT_FALSE(shows(shown["Third"]));
}

constexpr const char* kArrows = R"(  object Copies: TEdit
    Left = 8
    Top = 8
    Width = 80
    Height = 21
  end
  object CopiesArrows: TUpDown
    Left = 88
    Top = 8
    Width = 16
    Height = 21
    Associate = Copies
    Min = 1
    Max = 9
    Position = 8
    Wrap = True
  end
  object Lonely: TUpDown
    Left = 200
    Top = 8
    Width = 16
    Height = 21
    Associate = NoSuchEdit
    Increment = 5
  end
)";

TEST(UpDownTest, ArrowsStepTheNumberTheirEditShows) {
  test::ShownPage shown(kArrows);
  Control& edit = shown["Copies"];
  Control& arrows = shown["CopiesArrows"];
  EXPECT_EQ(edit.property_text("Text"), "8") << "the edit shows the position from the start";

  RECT edit_box{};
  RECT arrows_box{};
  GetWindowRect(edit.window(), &edit_box);
  GetWindowRect(arrows.window(), &arrows_box);
  EXPECT_LE(edit_box.right, arrows_box.left + 2) << "the arrows sit at the edit's right side";

  int clicks = 0;
  arrows.set_handler(ControlEvent::kClick, [&](Control&, EventDetails&) { ++clicks; });
  const auto press = [&](WPARAM key) {
    SendMessageA(edit.window(), WM_KEYDOWN, key, 1);
    SendMessageA(edit.window(), WM_KEYUP, key, 0xC0000001);
    test::pump();
  };
  press(VK_UP);
  EXPECT_EQ(arrows.property_text("Position"), "9");
  EXPECT_EQ(edit.property_text("Text"), "9");
  press(VK_UP);
  EXPECT_EQ(arrows.property_text("Position"), "1") << "past Max it wraps round to Min";
  EXPECT_GE(clicks, 2);

  ASSERT_TRUE(arrows.set_property_text("Position", "4"));
  EXPECT_EQ(edit.property_text("Text"), "4");

  // An Associate that names no control leaves the arrows alone.
  Control& lonely = shown["Lonely"];
  EXPECT_EQ(lonely.property_text("Position"), "0");
  ASSERT_TRUE(lonely.set_property_text("Position", "5"));
  EXPECT_EQ(lonely.property_text("Position"), "5");
}

}  // namespace
}  // namespace qm
