// The media controls on real pages under Wine: the support page viewer with
// its hot spots and meta refresh, the movie frame's caption, the animation;
// and a page of all the drawn and media controls, pictured for people to
// look at.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/screen_capture.h"
#include "tests/support/temp_folder.h"
#include "tests/wizard/control_test_page.h"
#include "wizard/drawn_controls.h"
#include "wizard/media_controls.h"
#include "wizard/text_controls.h"

namespace qm {
namespace {

using test::ShownPage;

constexpr const char* kViewer = R"(  object htmlLite1: THTMLViewer
    Left = 8
    Top = 8
    Width = 300
    Height = 160
    Tag = 1
    TabOrder = 0
    DefBackground = clInfoBk
    DefFontName = 'Arial'
    DefFontSize = 10
    DefFontColor = clNavy
    DefHotSpotColor = clRed
    BorderStyle = htNone
    ScrollBars = ssVertical
    ViewImages = False
    MarginHeight = 4
    MarginWidth = 6
    OnHotSpotClick = htmlLite1HotSpotClick
    OnMetaRefresh = htmlLite1MetaRefresh
  end
)";

constexpr const char* kIndexPage =
    "<html><head><title>Welcome</title><meta http-equiv=\"refresh\" content=\"3; url=page2.htm\"></head>"
    "<body><p>Read the <a href=\"page2.htm\">release notes</a> first.</p></body></html>";
constexpr const char* kSecondPage = "<title>Release Notes</title><p>Version 2.</p>";

constexpr const char* kMissingIndex =
    "Add an index.htm file to your project to display it here, along with any other additional support/linked files.";

HtmlViewerControl& viewer_of(const ShownPage& shown) { return dynamic_cast<HtmlViewerControl&>(shown["htmlLite1"]); }

void click_link(const HtmlViewerControl& viewer, const std::string& href) {
  for (const HtmlViewer::HotSpot& spot : viewer.viewer()->hot_spots()) {
    if (spot.href != href) continue;
    const LPARAM where = MAKELPARAM((spot.area.left + spot.area.right) / 2, (spot.area.top + spot.area.bottom) / 2);
    SendMessageA(viewer.viewer()->window(), WM_LBUTTONDOWN, MK_LBUTTON, where);
    SendMessageA(viewer.viewer()->window(), WM_LBUTTONUP, 0, where);
    return;
  }
  ADD_FAILURE() << "no link to " << href;
}

struct SupportPages {
  test::TempFolder folder;
  SupportPages() {
    test::write_file(folder.file("index.htm"), kIndexPage);
    test::write_file(folder.file("page2.htm"), kSecondPage);
  }
};

TEST(HtmlViewerControlTest, ShowsPagesInTheDefinitionsLook) {
  const ShownPage shown(kViewer);
  HtmlViewerControl& viewer = viewer_of(shown);
  ASSERT_NE(viewer.viewer(), nullptr);
  EXPECT_EQ(viewer.property_text("DefFontName"), "Arial");
  EXPECT_EQ(viewer.property_text("DefFontSize"), "10");
  EXPECT_EQ(viewer.property_text("BorderStyle"), "htNone");
  EXPECT_EQ(viewer.property_text("MarginWidth"), "6");
  EXPECT_EQ(viewer.property_text("ViewImages"), "False");
  EXPECT_EQ(viewer.tag(), 1);

  const HtmlViewer::Look& look = viewer.viewer()->look();
  EXPECT_EQ(look.face, "Arial");
  EXPECT_EQ(look.points, 10);
  EXPECT_EQ(look.text, RGB(0, 0, 128));
  EXPECT_EQ(look.link, RGB(255, 0, 0));
  EXPECT_EQ(look.margin_width, 6);
  EXPECT_EQ(GetWindowLongA(viewer.viewer()->window(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0) << "no border";
  EXPECT_EQ(ShownPage::pixel(viewer.viewer()->window(), 2, 2), GetSysColor(COLOR_INFOBK));

  // The viewer fills its place on the page.
  RECT host{};
  RECT inner{};
  GetWindowRect(viewer.window(), &host);
  GetWindowRect(viewer.viewer()->window(), &inner);
  EXPECT_TRUE(EqualRect(&host, &inner));

  viewer.show_text(kMissingIndex);
  EXPECT_EQ(viewer.document_path(), "");
  ASSERT_EQ(viewer.viewer()->document().blocks.size(), 1u);
  EXPECT_EQ(viewer.viewer()->document().blocks[0].runs[0].text, kMissingIndex) << "shown as it stands";
}

TEST(HtmlViewerControlTest, HotSpotClicksGoToTheHandlerFirst) {
  SupportPages pages;
  const ShownPage shown(kViewer);
  HtmlViewerControl& viewer = viewer_of(shown);
  std::vector<std::string> links;
  bool handle = true;
  viewer.set_handler(ControlEvent::kHotSpotClick, [&](Control&, EventDetails& details) {
    links.push_back(details.link);
    details.handled = handle;
  });
  ASSERT_TRUE(viewer.load_file(pages.folder.file("index.htm")));
  EXPECT_EQ(viewer.document_path(), pages.folder.file("index.htm"));
  EXPECT_EQ(viewer.document_title(), "Welcome");
  EXPECT_EQ(viewer.file_name_of_link("page2.htm"), pages.folder.file("page2.htm")) << "relative to the page's folder";

  click_link(viewer, "page2.htm");
  EXPECT_EQ(links, std::vector<std::string>{"page2.htm"});
  EXPECT_EQ(viewer.document_path(), pages.folder.file("index.htm")) << "the handler took the click";

  handle = false;
  click_link(viewer, "page2.htm");
  EXPECT_EQ(links.size(), 2u);
  EXPECT_EQ(viewer.document_path(), pages.folder.file("page2.htm")) << "the viewer followed the link";
  EXPECT_EQ(viewer.document_title(), "Release Notes");
}

TEST(HtmlViewerControlTest, AMetaRefreshIsReportedWithItsDelayAndUrl) {
  SupportPages pages;
  const ShownPage shown(kViewer);
  HtmlViewerControl& viewer = viewer_of(shown);
  std::vector<std::pair<int, std::string>> refreshes;
  viewer.set_handler(ControlEvent::kMetaRefresh,
                     [&](Control&, EventDetails& details) { refreshes.emplace_back(details.delay, details.link); });
  ASSERT_TRUE(viewer.load_file(pages.folder.file("index.htm")));
  EXPECT_EQ(refreshes, (std::vector<std::pair<int, std::string>>{{3, "page2.htm"}}));
  ASSERT_TRUE(viewer.load_file(pages.folder.file("page2.htm")));
  EXPECT_EQ(refreshes.size(), 1u) << "a page without a refresh reports none";
  viewer.load_html("<meta http-equiv=\"Refresh\" content=\"10;URL=file:///C|/setup/end.htm\"><p>Wait</p>");
  ASSERT_EQ(refreshes.size(), 2u);
  EXPECT_EQ(refreshes[1], (std::pair<int, std::string>{10, "file:///C|/setup/end.htm"}));
}

TEST(FlashFrameTest, ShowsItsCaptionWhereNoMovieCanPlay) {
  const ShownPage shown("  object FlashFrame1: TFlashFrame\n    Left = 10\n    Top = 10\n    Width = 300\n"
                        "    Height = 100\n    Tag = 1\n    TabOrder = 0\n    Caption = 'No movie'\n  end\n");
  auto& frame = dynamic_cast<FlashFrameControl&>(shown["FlashFrame1"]);
  frame.set_movie_component("C:\\support\\flash.ocx");
  EXPECT_EQ(frame.movie_component(), "C:\\support\\flash.ocx");
  EXPECT_FALSE(frame.load_movie("C:\\support\\movie.swf"));
  EXPECT_FALSE(frame.playing());
  ASSERT_TRUE(frame.set_property_text("Caption", "Add a movie.swf file to your project to display it here."));
  EXPECT_EQ(frame.property_text("Caption"), "Add a movie.swf file to your project to display it here.");
  frame.stop();

  RECT client{};
  GetClientRect(frame.window(), &client);
  const COLORREF background = GetSysColor(COLOR_BTNFACE);
  const auto row_has_text = [&](int y) {
    RedrawWindow(frame.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(frame.window());
    bool text = false;
    for (int x = 0; x < client.right && !text; ++x) text = GetPixel(dc, x, y) != background;
    ReleaseDC(frame.window(), dc);
    return text;
  };
  bool middle = false;
  for (int y = client.bottom / 2 - 4; y <= client.bottom / 2 + 4; ++y) middle = middle || row_has_text(y);
  EXPECT_TRUE(middle) << "the caption in the middle";
  EXPECT_FALSE(row_has_text(3));
  EXPECT_FALSE(row_has_text(client.bottom - 3));
}

// A small uncompressed animation: 8 x 8 pixels of 8 bits, two colours, the
// frames alternating between them.
std::vector<std::uint8_t> small_animation(int frames) {
  std::vector<std::uint8_t> out;
  const auto u32 = [&](std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  };
  const auto u16 = [&](std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
  };
  const auto fourcc = [&](const char* code) { out.insert(out.end(), code, code + 4); };
  // A chunk's size is known at its end.
  const auto begin = [&](const char* code) {
    fourcc(code);
    u32(0);
    return out.size();
  };
  const auto end = [&](std::size_t start) {
    const std::uint32_t size = static_cast<std::uint32_t>(out.size() - start);
    for (int i = 0; i < 4; ++i) out[start - 4 + i] = static_cast<std::uint8_t>(size >> (8 * i));
  };
  constexpr std::uint32_t kFrameBytes = 64;
  const std::size_t riff = begin("RIFF");
  fourcc("AVI ");
  const std::size_t header_list = begin("LIST");
  fourcc("hdrl");
  const std::size_t main_header = begin("avih");
  for (std::uint32_t value : {100000u, 640u, 0u, 0x10u, static_cast<std::uint32_t>(frames), 0u, 1u, kFrameBytes, 8u, 8u,
                              0u, 0u, 0u, 0u})
    u32(value);
  end(main_header);
  const std::size_t stream_list = begin("LIST");
  fourcc("strl");
  const std::size_t stream_header = begin("strh");
  fourcc("vids");
  fourcc("DIB ");
  u32(0);
  u16(0);
  u16(0);
  for (std::uint32_t value : {0u, 1u, 10u, 0u, static_cast<std::uint32_t>(frames), kFrameBytes, 0xFFFFFFFFu, 0u}) u32(value);
  for (std::uint16_t value : {0, 0, 8, 8}) u16(value);
  end(stream_header);
  const std::size_t format = begin("strf");
  for (std::uint32_t value : {40u, 8u, 8u}) u32(value);
  u16(1);
  u16(8);
  for (std::uint32_t value : {0u, kFrameBytes, 0u, 0u, 2u, 0u}) u32(value);
  u32(0x00FF0000);  // red
  u32(0x000000FF);  // blue
  end(format);
  end(stream_list);
  end(header_list);
  const std::size_t movie_list = begin("LIST");
  const std::size_t movie_start = out.size();
  fourcc("movi");
  std::vector<std::uint32_t> offsets;
  for (int frame = 0; frame < frames; ++frame) {
    offsets.push_back(static_cast<std::uint32_t>(out.size() - movie_start));
    const std::size_t chunk = begin("00db");
    out.insert(out.end(), kFrameBytes, static_cast<std::uint8_t>(frame % 2));
    end(chunk);
  }
  end(movie_list);
  const std::size_t index = begin("idx1");
  for (std::uint32_t offset : offsets) {
    fourcc("00db");
    u32(0x10);
    u32(offset);
    u32(kFrameBytes);
  }
  end(index);
  end(riff);
  return out;
}

TEST(AnimateTest, PlaysWhenActiveAndIgnoresWhatCannotBeOpened) {
  test::TempFolder folder;
  const std::vector<std::uint8_t> movie = small_animation(4);
  test::write_file(folder.file("busy.avi"), std::string(movie.begin(), movie.end()));
  const std::string missing = folder.file("missing.avi");
  const ShownPage shown("  object Animate1: TAnimate\n    Left = 10\n    Top = 10\n    Width = 40\n    Height = 40\n"
                        "    CommonAVI = aviNone\n    StopFrame = 4\n    Active = True\n    FileName = '" +
                        missing + "'\n  end\n");
  auto& animation = dynamic_cast<AnimateControl&>(shown["Animate1"]);
  EXPECT_EQ(animation.property_text("FileName"), missing);
  EXPECT_EQ(animation.property_text("StopFrame"), "4");
  EXPECT_EQ(animation.property_text("Active"), "False") << "nothing to play";
  EXPECT_FALSE(animation.playing());

  // Binding sets Active and ignores a failure.
  EXPECT_TRUE(animation.set_property_text("Active", "True"));
  EXPECT_FALSE(animation.playing());

  ASSERT_TRUE(animation.set_property_text("FileName", folder.file("busy.avi")));
  EXPECT_TRUE(animation.playing());
  EXPECT_EQ(animation.property_text("Active"), "True");
  test::pump();
  ASSERT_TRUE(animation.set_property_text("Active", "False"));
  EXPECT_FALSE(animation.playing());
  EXPECT_TRUE(animation.play());
  animation.stop();
  EXPECT_EQ(animation.property_text("Active"), "False");
}

TEST(MediaPageTest, APageOfDrawnAndMediaControls) {
  SupportPages pages;
  const auto glyph = test::bmp_file(16, 16, [](int x, int y) {
    const int dx = x - 8, dy = y - 8;
    return dx * dx + dy * dy <= 36 ? RGB(0, 128, 0) : RGB(255, 0, 255);
  });
  const auto face = test::bmp_file(90, 26, [](int x, int y) {
    return RGB(40 + x, 90 + y * 2, 200 - x / 2);
  });
  const auto hot_face = test::bmp_file(90, 26, [](int x, int y) { return RGB(60 + x, 120 + y * 2, 230 - x / 2); });
  const std::string body = std::string(R"(  object Heading: TLabel
    Left = 10
    Top = 8
    Width = 300
    Height = 16
    Caption = 'Drawn and media controls'
  end
  object Readme: TRichEdit
    Left = 10
    Top = 28
    Width = 250
    Height = 100
    ScrollBars = ssVertical
    ReadOnly = True
    TabOrder = 0
  end
  object htmlLite1: THTMLViewer
    Left = 270
    Top = 28
    Width = 250
    Height = 100
    TabOrder = 1
  end
  object Gauge1: TGauge
    Left = 10
    Top = 138
    Width = 250
    Height = 18
    ForeColor = clNavy
    Progress = 64
  end
  object Gauge2: TGauge
    Left = 270
    Top = 136
    Width = 40
    Height = 40
    Kind = gkPie
    ForeColor = clGreen
    Progress = 30
  end
  object Gauge3: TGauge
    Left = 320
    Top = 136
    Width = 60
    Height = 40
    Kind = gkNeedle
    Progress = 75
  end
  object Shape1: TShape
    Left = 390
    Top = 136
    Width = 40
    Height = 40
    Shape = stCircle
    Brush.Color = clYellow
    Pen.Color = clMaroon
    Pen.Width = 2
  end
  object Shape2: TShape
    Left = 440
    Top = 136
    Width = 80
    Height = 40
    Shape = stRoundRect
    Brush.Color = clSkyBlue
    Brush.Style = bsDiagCross
  end
  object Movie: TFlashFrame
    Left = 10
    Top = 186
    Width = 250
    Height = 50
    Caption = 'Add a movie.swf file to your project to display it here.'
    Color = clWhite
    ParentColor = False
  end
  object Animate1: TAnimate
    Left = 270
    Top = 186
    Width = 250
    Height = 50
    CommonAVI = aviFindFolder
    Active = True
  end
  object Speed1: TSpeedButton
    Left = 10
    Top = 246
    Width = 90
    Height = 26
    Caption = 'Go'
    GroupIndex = 1
    Down = True
)") + test::binary_line("Glyph.Data", test::bitmap_data(glyph)) +
                           R"(  end
  object Speed2: TSpeedButton
    Left = 106
    Top = 246
    Width = 90
    Height = 26
    Caption = 'Flat'
    Flat = True
    GroupIndex = 1
  end
  object Next: TRzBmpButton
    Left = 330
    Top = 246
    Width = 90
    Height = 26
    Caption = 'Next >'
    Tag = 1
    TabOrder = 2
    Font.Color = clWhite
    Font.Style = [fsBold]
    ParentFont = False
)" + test::binary_line("Bitmaps.Up.Data", test::bitmap_data(face)) +
                           test::binary_line("Bitmaps.Hot.Data", test::bitmap_data(hot_face)) + R"(  end
  object Cancel: TRzBmpButton
    Left = 430
    Top = 246
    Width = 90
    Height = 26
    Caption = 'Cancel'
    Tag = 3
    TabOrder = 3
  end
)";
  const ShownPage shown(body, 530, 282);
  dynamic_cast<RichEditControl&>(shown["Readme"])
      .load_rich_text("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Tahoma;}}{\\colortbl;\\red0\\green0\\blue160;}\\f0\\fs16 "
                      "\\b\\cf1 Read me\\b0\\cf0\\par This product installs a \\i sample\\i0  program.\\par}");
  viewer_of(shown).load_file(pages.folder.file("index.htm"));
  SetFocus(shown["Next"].window());
  RedrawWindow(shown.window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  test::pump();
  const std::string picture = test::save_window_picture(shown.window, "media_controls_page");
  EXPECT_FALSE(picture.empty());
}

}  // namespace
}  // namespace qm
