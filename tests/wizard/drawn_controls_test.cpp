// The controls the wizard draws itself, on real pages under Wine: what they
// show, what their properties read back, and the events real input raises.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>

#include "tests/support/screen_capture.h"
#include "tests/wizard/control_test_page.h"
#include "wizard/drawn_controls.h"

namespace qm {
namespace {

using test::ShownPage;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

std::string component(const std::string& name, const std::string& class_name, const std::string& properties) {
  return "  object " + name + ": " + class_name + "\n" + properties + "  end\n";
}

// Clicks the control with the left button at a point of its client area.
void click(HWND window, int x = 5, int y = 5) {
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  test::pump();
}

// --- gauge

TEST(GaugeTest, ShowsThePercentageOfItsRange) {
  const ShownPage shown(component("Gauge1", "TGauge",
                                  "    Left = 10\n    Top = 10\n    Width = 200\n    Height = 20\n"
                                  "    Tag = 1\n    ForeColor = clNavy\n    BackColor = clWhite\n"
                                  "    Progress = 40\n    BorderStyle = bsNone\n    ShowText = False\n"));
  auto& gauge = dynamic_cast<GaugeControl&>(shown["Gauge1"]);
  EXPECT_EQ(gauge.percent_done(), 40);
  EXPECT_EQ(gauge.property_text("Progress"), "40");
  EXPECT_EQ(gauge.property_text("MaxValue"), "100") << "the designer's default";
  EXPECT_EQ(gauge.property_text("Kind"), "gkHorizontalBar");
  EXPECT_EQ(gauge.property_text("ForeColor"), "clNavy");
  EXPECT_EQ(gauge.tag(), 1);

  RECT client{};
  GetClientRect(gauge.window(), &client);
  EXPECT_EQ(ShownPage::pixel(gauge.window(), client.right * 30 / 100, client.bottom / 2), RGB(0, 0, 128));
  EXPECT_EQ(ShownPage::pixel(gauge.window(), client.right * 50 / 100, client.bottom / 2), kWhite);

  ASSERT_TRUE(gauge.set_property_text("Kind", "gkVerticalBar"));
  EXPECT_EQ(ShownPage::pixel(gauge.window(), client.right / 2, client.bottom - 2), RGB(0, 0, 128)) << "filled from below";
  EXPECT_EQ(ShownPage::pixel(gauge.window(), client.right / 2, 1), kWhite);
}

TEST(GaugeTest, PercentagesOfRangesAndProgressRecords) {
  const ShownPage shown(component("Gauge1", "TGauge", "    Width = 100\n    Height = 20\n    Kind = gkPie\n"));
  auto& gauge = dynamic_cast<GaugeControl&>(shown["Gauge1"]);
  const struct {
    std::int32_t minimum, maximum, progress;
    int percent;
  } ranges[] = {
      {0, 100, 0, 0},
      {0, 100, 99, 99},
      {10, 20, 15, 50},
      {0, 100, 150, 100},           // beyond the range: full
      {0, 100, -5, 0},              // below it: empty
      {5, 5, 5, 0},                 // an empty range
      {100, 0, 50, 0},              // a reversed one
      {INT32_MIN, INT32_MAX, 0, 50},  // the whole 32-bit range does not overflow
      {0, INT32_MAX, INT32_MAX - 1, 99},
  };
  for (const auto& range : ranges) {
    gauge.set_values(range.minimum, range.maximum, range.progress);
    EXPECT_EQ(gauge.percent_done(), range.percent) << range.minimum << ".." << range.maximum << ": " << range.progress;
  }

  // The progress record's numbers may exceed 32 bits.
  gauge.show_progress(0, 5000000000LL, 2500000000LL);
  EXPECT_EQ(gauge.percent_done(), 50);
  EXPECT_EQ(gauge.property_text("MaxValue"), "4882812");
  gauge.show_progress(0, 100, 73);
  EXPECT_EQ(gauge.property_text("Progress"), "73");
  EXPECT_EQ(gauge.percent_done(), 73);
  // Every kind draws without trouble.
  for (const char* kind : {"gkHorizontalBar", "gkVerticalBar", "gkPie", "gkNeedle", "gkText"}) {
    ASSERT_TRUE(gauge.set_property_text("Kind", kind));
    ShownPage::pixel(gauge.window(), 1, 1);
  }
}

// --- shape

TEST(ShapeTest, DrawsItsShapeAndReportsMouseUps) {
  const ShownPage shown(component("Shape1", "TShape",
                                  "    Left = 20\n    Top = 20\n    Width = 60\n    Height = 40\n"
                                  "    Shape = stCircle\n    Brush.Color = clRed\n    Pen.Color = clBlue\n"
                                  "    Pen.Width = 2\n    Tag = 1\n    OnMouseUp = Shape1MouseUp\n") +
                        component("Shape2", "TShape", "    Left = 100\n    Top = 20\n    Width = 30\n    Height = 30\n"));
  Control& shape = shown["Shape1"];
  EXPECT_EQ(shape.property_text("Shape"), "stCircle");
  EXPECT_EQ(shape.property_text("Brush.Color"), "clRed");
  EXPECT_EQ(shape.property_text("Pen.Width"), "2");
  EXPECT_EQ(shown["Shape2"].property_text("Brush.Color"), "clWhite") << "the designer's default";
  EXPECT_EQ(shown["Shape2"].property_text("Pen.Style"), "psSolid");

  RECT client{};
  GetClientRect(shape.window(), &client);
  EXPECT_EQ(ShownPage::pixel(shape.window(), client.right / 2, client.bottom / 2), kRed);
  EXPECT_EQ(ShownPage::pixel(shape.window(), 1, 1), GetSysColor(COLOR_BTNFACE)) << "a circle leaves the corners";
  EXPECT_EQ(ShownPage::pixel(shown["Shape2"].window(), 10, 10), kWhite);

  std::vector<std::pair<POINT, int>> ups;
  shape.set_handler(ControlEvent::kMouseUp,
                    [&](Control&, EventDetails& details) { ups.emplace_back(details.point, details.key); });
  SendMessageA(shape.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 17));
  EXPECT_TRUE(ups.empty()) << "a press is no release";
  SendMessageA(shape.window(), WM_LBUTTONUP, 0, MAKELPARAM(12, 17));
  SendMessageA(shape.window(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 4));
  SendMessageA(shape.window(), WM_RBUTTONUP, 0, MAKELPARAM(3, 4));
  ASSERT_EQ(ups.size(), 2u);
  EXPECT_EQ(ups[0].first.x, 12);
  EXPECT_EQ(ups[0].first.y, 17);
  EXPECT_EQ(ups[0].second, VK_LBUTTON);
  EXPECT_EQ(ups[1].second, VK_RBUTTON);
  EXPECT_EQ(GetCapture(), nullptr);

  ASSERT_TRUE(shape.set_property_text("Brush.Style", "bsClear"));
  EXPECT_EQ(ShownPage::pixel(shape.window(), client.right / 2, client.bottom / 2), GetSysColor(COLOR_BTNFACE));
}

// --- speed buttons

TEST(SpeedButtonTest, ClicksAndGroups) {
  const std::string buttons =
      component("Bold", "TSpeedButton",
                "    Left = 10\n    Top = 10\n    Width = 40\n    Height = 24\n    Caption = 'B'\n"
                "    GroupIndex = 1\n    Flat = True\n") +
      component("Italic", "TSpeedButton",
                "    Left = 60\n    Top = 10\n    Width = 40\n    Height = 24\n    Caption = 'I'\n"
                "    GroupIndex = 1\n    Down = True\n") +
      component("Plain", "TSpeedButton",
                "    Left = 110\n    Top = 10\n    Width = 40\n    Height = 24\n    Caption = 'P'\n    Tag = 5\n");
  const ShownPage shown(buttons);
  std::vector<std::string> clicks;
  for (const char* name : {"Bold", "Italic", "Plain"})
    shown[name].set_handler(ControlEvent::kClick,
                            [&](Control& control, EventDetails&) { clicks.push_back(control.name()); });

  EXPECT_EQ(shown["Italic"].property_text("Down"), "True");
  EXPECT_EQ(shown["Bold"].property_text("Flat"), "True");
  click(shown["Bold"].window());
  EXPECT_EQ(shown["Bold"].property_text("Down"), "True");
  EXPECT_EQ(shown["Italic"].property_text("Down"), "False") << "one button of a group is down";
  click(shown["Bold"].window());
  EXPECT_EQ(shown["Bold"].property_text("Down"), "True") << "the group does not allow all up";
  click(shown["Plain"].window());
  EXPECT_EQ(shown["Plain"].property_text("Down"), "False") << "a button of no group does not stay down";
  EXPECT_EQ(clicks, (std::vector<std::string>{"Bold", "Bold", "Plain"}));

  // Released beside the button: no click.
  SendMessageA(shown["Plain"].window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(shown["Plain"].window(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-30, 5));
  SendMessageA(shown["Plain"].window(), WM_LBUTTONUP, 0, MAKELPARAM(-30, 5));
  EXPECT_EQ(clicks.size(), 3u);

  ASSERT_TRUE(shown["Italic"].set_property_text("AllowAllUp", "True"));
  ASSERT_TRUE(shown["Italic"].set_property_text("Down", "True"));
  EXPECT_EQ(shown["Bold"].property_text("Down"), "False");
  ASSERT_TRUE(shown["Italic"].set_property_text("Down", "False"));
  EXPECT_EQ(shown["Italic"].property_text("Down"), "False");
}

TEST(SpeedButtonTest, ShowsItsGlyphAndNothingOfACorruptOne) {
  // A red square on blue: blue is the glyph's transparent colour (its
  // bottom-left pixel).
  const auto glyph =
      test::bmp_file(16, 16, [](int x, int y) { return x >= 4 && x < 12 && y >= 4 && y < 12 ? kRed : kBlue; });
  const ShownPage shown(component("Open", "TSpeedButton",
                                  "    Left = 10\n    Top = 10\n    Width = 40\n    Height = 40\n" +
                                      test::binary_line("Glyph.Data", test::bitmap_data(glyph))) +
                        component("Broken", "TSpeedButton",
                                  "    Left = 60\n    Top = 10\n    Width = 40\n    Height = 40\n    Caption = 'X'\n" +
                                      test::binary_line("Glyph.Data", test::corrupt_data())));
  auto& open = dynamic_cast<SpeedButtonControl&>(shown["Open"]);
  auto& broken = dynamic_cast<SpeedButtonControl&>(shown["Broken"]);
  EXPECT_TRUE(open.has_glyph());
  EXPECT_FALSE(broken.has_glyph());
  RECT client{};
  GetClientRect(open.window(), &client);
  const int middle = client.right / 2;
  EXPECT_EQ(ShownPage::pixel(open.window(), middle, middle), kRed) << "the glyph, centred";
  EXPECT_EQ(ShownPage::pixel(open.window(), middle - 6, middle - 6),
            ShownPage::pixel(broken.window(), middle - 6, middle - 6))
      << "its key colour shows the face";
  EXPECT_NE(ShownPage::pixel(broken.window(), middle, middle), kRed);
}

// --- bitmap buttons

TEST(BitmapButtonTest, ShowsItsBitmapForEachState) {
  const auto red = test::bmp_file(60, 24, [](int, int) { return kRed; });
  const auto blue = test::bmp_file(60, 24, [](int, int) { return kBlue; });
  const ShownPage shown(component("Install", "TRzBmpButton",
                                  "    Left = 10\n    Top = 10\n    Width = 60\n    Height = 24\n"
                                  "    Caption = 'Install'\n    Tag = 1\n    TabOrder = 0\n"
                                  "    Font.Color = clWhite\n    ParentFont = False\n" +
                                      test::binary_line("Bitmaps.Up.Data", test::bitmap_data(red)) +
                                      test::binary_line("Bitmaps.Down.Data", test::bitmap_data(blue))) +
                        component("Broken", "TRzBmpButton",
                                  "    Left = 80\n    Top = 10\n    Width = 60\n    Height = 24\n    Caption = 'Back'\n"
                                  "    TabOrder = 1\n" +
                                      test::binary_line("Bitmaps.Up.Data", test::corrupt_data())));
  auto& install = dynamic_cast<BitmapButtonControl&>(shown["Install"]);
  EXPECT_TRUE(install.has_bitmap("up"));
  EXPECT_TRUE(install.has_bitmap("Down"));
  EXPECT_FALSE(install.has_bitmap("Hot"));
  EXPECT_EQ(install.property_text("Caption"), "Install");
  EXPECT_EQ(ShownPage::pixel(install.window(), 2, 2), kRed);
  SendMessageA(install.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(ShownPage::pixel(install.window(), 2, 2), kBlue) << "pressed";
  SendMessageA(install.window(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(ShownPage::pixel(install.window(), 2, 2), kRed);

  auto& broken = dynamic_cast<BitmapButtonControl&>(shown["Broken"]);
  EXPECT_FALSE(broken.has_bitmap("Up"));
  EXPECT_NE(ShownPage::pixel(broken.window(), 2, 2), kRed) << "a face of its own, and no crash";
}

TEST(BitmapButtonTest, ActsAsAButtonForMouseAndKeyboard) {
  const ShownPage shown(component("Next", "TRzBmpButton",
                                  "    Left = 10\n    Top = 10\n    Width = 75\n    Height = 25\n"
                                  "    Caption = 'Next >'\n    Tag = 1\n    TabOrder = 0\n") +
                        component("Cancel", "TButton",
                                  "    Left = 100\n    Top = 10\n    Width = 75\n    Height = 25\n"
                                  "    Caption = 'Cancel'\n    TabOrder = 1\n"));
  Control& next = shown["Next"];
  int clicks = 0;
  next.set_handler(ControlEvent::kClick, [&](Control&, EventDetails&) { ++clicks; });
  const auto key = [&](UINT message, WPARAM key) {
    // A key's release carries its previous and transition states.
    const LPARAM details = message == WM_KEYUP ? static_cast<LPARAM>(0xC0000001u) : 1;
    MSG input{GetFocus(), message, key, details, GetTickCount(), {}};
    if (!IsDialogMessageA(shown.window, &input)) DispatchMessageA(&input);
    test::pump();
  };

  EXPECT_NE(SendMessageA(next.window(), WM_GETDLGCODE, 0, 0) & DLGC_BUTTON, 0) << "a button to the dialog manager";
  EXPECT_EQ(GetNextDlgTabItem(shown.window, shown["Cancel"].window(), FALSE), next.window()) << "a tab stop";

  click(next.window());
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(GetFocus(), next.window()) << "a click gives it the focus";

  key(WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(clicks, 2) << "Enter presses the focused button";
  key(WM_KEYDOWN, VK_SPACE);
  EXPECT_EQ(clicks, 2) << "the space bar presses on its release";
  key(WM_KEYUP, VK_SPACE);
  EXPECT_EQ(clicks, 3);
  SendMessageA(next.window(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 4);

  ASSERT_TRUE(next.set_property_text("Enabled", "False"));
  SendMessageA(next.window(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 4) << "a disabled button is not clicked";

  ASSERT_TRUE(next.set_property_text("Enabled", "True"));
  SetFocus(next.window());  // disabling took it away
  key(WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(GetFocus(), shown["Cancel"].window()) << "Tab moves on";
}

// --- form shape

TEST(FormShapeTest, ShapesThePageToItsPicture) {
  // A red disc on white; white (the bottom-left pixel) is transparent.
  const auto disc = test::bmp_file(80, 60, [](int x, int y) {
    const int dx = x - 40, dy = y - 30;
    return dx * dx + dy * dy <= 25 * 25 ? kRed : kWhite;
  });
  const ShownPage shown(component("Skin", "TRzFormShape",
                                  "    Left = 0\n    Top = 0\n    Width = 80\n    Height = 60\n    Align = alClient\n" +
                                      test::binary_line("Picture.Data", test::picture_data(disc))),
                        80, 60);
  auto& skin = dynamic_cast<FormShapeControl&>(shown["Skin"]);
  EXPECT_TRUE(skin.has_picture());
  EXPECT_EQ(skin.property_text("Align"), "alClient");

  const platform::UniqueGdiObject region(CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(GetWindowRgn(shown.window, static_cast<HRGN>(region.get())), ERROR) << "the page has a region";
  // Where the client area lies in the window.
  POINT client_origin{0, 0};
  ClientToScreen(shown.window, &client_origin);
  RECT frame{};
  GetWindowRect(shown.window, &frame);
  const platform::DpiScale scale = platform::DpiScale::of_screen();
  const auto inside = [&](int x, int y) {
    return PtInRegion(static_cast<HRGN>(region.get()), client_origin.x - frame.left + scale(x),
                      client_origin.y - frame.top + scale(y)) != FALSE;
  };
  EXPECT_TRUE(inside(40, 30)) << "the disc's middle";
  EXPECT_FALSE(inside(2, 2)) << "its white corner";
  EXPECT_FALSE(inside(-1, -5)) << "the caption";
  EXPECT_EQ(ShownPage::pixel(skin.window(), scale(40), scale(30)), kRed);
  test::save_window_picture(shown.window, "form_shape_page");
}

TEST(FormShapeTest, WithoutAUsablePictureThePageKeepsItsRectangle) {
  const auto all_white = test::bmp_file(10, 10, [](int, int) { return kWhite; });
  const struct {
    const char* what;
    std::vector<std::uint8_t> data;
    bool readable;
  } cases[] = {
      {"corrupt", test::corrupt_data(), false},
      {"all transparent", test::picture_data(all_white), true},
  };
  for (const auto& c : cases) {
    const ShownPage shown(component("Skin", "TRzFormShape",
                                    "    Width = 80\n    Height = 60\n" + test::binary_line("Picture.Data", c.data)));
    EXPECT_EQ(dynamic_cast<FormShapeControl&>(shown["Skin"]).has_picture(), c.readable) << c.what;
    const platform::UniqueGdiObject region(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(GetWindowRgn(shown.window, static_cast<HRGN>(region.get())), ERROR) << c.what;
    EXPECT_TRUE(IsWindowVisible(shown.window));
  }
}

}  // namespace
}  // namespace qm
