#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/unique_resource.h"
#include "tests/support/screen_capture.h"
#include "tests/support/temp_folder.h"
#include "wizard/html/html_viewer.h"

namespace qm {
namespace {

constexpr const char* kEmptyPageText =
    "Add an index.htm file to your project to display it here, along with any other additional support/linked files.";

constexpr const char* kIndexPage = R"(<html><head><title>Welcome to Demo</title>
<meta http-equiv="Refresh" content="5; url=page2.htm"></head>
<body>
<h1>Welcome</h1>
<p>This setup installs <b>Demo Product</b> on your computer. Read the
<a href="page2.htm">release notes</a> before you go on; they tell what is new.</p>
<h3>What you get</h3>
<ul><li>The program and its <i>samples</i></li><li>Documentation &amp; help
  <ul><li>in English</li></ul></li></ul>
<ol><li>Choose a folder</li><li>Install</li></ol>
<hr>
<p>Questions? <a href="mailto:help@example.com">Write to us</a>.</p>
</body></html>)";

constexpr const char* kSecondPage = "<title>Release Notes</title><p>Version 2. <a href=\"index.htm\">Back</a></p>";

// A top-level window holding one viewer, shown on the screen.
class ViewerWindow {
 public:
  ViewerWindow(int width, int height) {
    static const ATOM registered = [] {
      WNDCLASSA window_class{};
      window_class.lpfnWndProc = DefWindowProcA;
      window_class.hInstance = GetModuleHandleA(nullptr);
      window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
      window_class.lpszClassName = "QuillmoreHtmlViewerTestFrame";
      return RegisterClassA(&window_class);
    }();
    (void)registered;
    RECT frame{0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    frame_.reset(CreateWindowExA(0, "QuillmoreHtmlViewerTestFrame", "Viewer", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                                 frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr));
    viewer = std::make_unique<HtmlViewer>(frame_.get(), 100, RECT{0, 0, width, height});
    pump();
  }
  ~ViewerWindow() { viewer.reset(); }

  HWND frame() const { return frame_.get(); }

  static void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }

  // A press and release of the left button at a point of the viewer.
  void click_at(POINT point) const {
    const LPARAM where = MAKELPARAM(point.x, point.y);
    SendMessageA(viewer->window(), WM_LBUTTONDOWN, MK_LBUTTON, where);
    SendMessageA(viewer->window(), WM_LBUTTONUP, 0, where);
  }

  std::unique_ptr<HtmlViewer> viewer;

 private:
  platform::UniqueWindow frame_;
};

POINT centre_of(const RECT& area) { return {(area.left + area.right) / 2, (area.top + area.bottom) / 2}; }

const HtmlViewer::HotSpot* spot_of(const std::vector<HtmlViewer::HotSpot>& spots, const std::string& href) {
  for (const auto& spot : spots)
    if (spot.href == href) return &spot;
  return nullptr;
}

struct PageFiles {
  test::TempFolder folder;
  PageFiles() {
    test::write_file(folder.file("index.htm"), kIndexPage);
    test::write_file(folder.file("page2.htm"), kSecondPage);
  }
};

TEST(HtmlViewerTest, ALinkClickedAndNotHandledLoadsTheLinkedPage) {
  PageFiles pages;
  ViewerWindow window(420, 320);
  std::vector<std::pair<int, std::string>> refreshes;
  std::vector<std::string> clicked;
  window.viewer->set_meta_refresh_handler([&](int delay, const std::string& url) { refreshes.emplace_back(delay, url); });
  window.viewer->set_hot_spot_handler([&](const std::string& href) {
    clicked.push_back(href);
    return false;
  });

  ASSERT_TRUE(window.viewer->load_file(pages.folder.file("index.htm")));
  EXPECT_EQ(window.viewer->title(), "Welcome to Demo");
  EXPECT_EQ(window.viewer->document_path(), pages.folder.file("index.htm"));
  EXPECT_EQ(refreshes, (std::vector<std::pair<int, std::string>>{{5, "page2.htm"}}));

  const auto spots = window.viewer->hot_spots();
  const HtmlViewer::HotSpot* notes = spot_of(spots, "page2.htm");
  ASSERT_NE(notes, nullptr);
  RECT client{};
  GetClientRect(window.viewer->window(), &client);
  EXPECT_GT(notes->area.right - notes->area.left, 20);
  EXPECT_GT(notes->area.bottom - notes->area.top, 5);
  EXPECT_GE(notes->area.left, 0);
  EXPECT_LE(notes->area.right, client.right);
  ASSERT_NE(spot_of(spots, "mailto:help@example.com"), nullptr);
  window.pump();
  test::save_window_picture(window.frame(), "html_viewer");

  // A click beside the link follows nothing.
  window.click_at({notes->area.left - 30 < 0 ? notes->area.right + 200 : notes->area.left - 30, notes->area.top - 40});
  EXPECT_TRUE(clicked.empty());

  window.click_at(centre_of(notes->area));
  EXPECT_EQ(clicked, std::vector<std::string>{"page2.htm"});
  EXPECT_EQ(window.viewer->document_path(), pages.folder.file("page2.htm"));
  EXPECT_EQ(window.viewer->title(), "Release Notes");
  // The second page has no refresh of its own.
  EXPECT_EQ(refreshes.size(), 1u);
}

TEST(HtmlViewerTest, AHandledClickLeavesThePageShown) {
  PageFiles pages;
  ViewerWindow window(420, 320);
  window.viewer->set_hot_spot_handler([](const std::string&) { return true; });
  ASSERT_TRUE(window.viewer->load_file(pages.folder.file("index.htm")));
  const HtmlViewer::HotSpot* notes = spot_of(window.viewer->hot_spots(), "page2.htm");
  ASSERT_NE(notes, nullptr);
  window.click_at(centre_of(notes->area));
  EXPECT_EQ(window.viewer->document_path(), pages.folder.file("index.htm"));
}

TEST(HtmlViewerTest, LinksAreExpandedToFileNames) {
  PageFiles pages;
  ViewerWindow window(300, 200);
  ASSERT_TRUE(window.viewer->load_file(pages.folder.file("index.htm")));
  const std::string folder = pages.folder.path();
  const struct {
    const char* href;
    std::string file;
  } cases[] = {
      {"page2.htm", folder + "page2.htm"},
      {"sub/page%203.htm#part", folder + "sub\\page 3.htm"},
      {"page2.htm?lang=en", folder + "page2.htm"},
      {"C:\\Docs\\a.htm", "C:\\Docs\\a.htm"},
      {"file:///C:/Docs/a.htm", "C:\\Docs\\a.htm"},
      {"FILE:///C|/Docs/a.htm", "C:\\Docs\\a.htm"},
      {"file://server/share/a.htm", "\\\\server\\share\\a.htm"},
      {"\\\\server\\share\\a.htm", "\\\\server\\share\\a.htm"},
      {"http://example.com/a.htm", ""},
      {"mailto:help@example.com", ""},
      {"#top", ""},
      {"%zz.htm", folder + "%zz.htm"},
  };
  for (const auto& c : cases) EXPECT_EQ(window.viewer->file_name_of_link(c.href), c.file) << c.href;
}

TEST(HtmlViewerTest, WhatCannotBeReadShowsTheEmptyPageText) {
  PageFiles pages;
  ViewerWindow window(300, 200);
  window.viewer->set_empty_page_text(kEmptyPageText);
  ASSERT_EQ(window.viewer->document().blocks.size(), 1u);
  EXPECT_EQ(window.viewer->document().blocks[0].runs[0].text, kEmptyPageText);

  ASSERT_TRUE(window.viewer->load_file(pages.folder.file("index.htm")));
  EXPECT_FALSE(window.viewer->load_file(pages.folder.file("missing.htm")));
  EXPECT_EQ(window.viewer->document_path(), "");
  EXPECT_EQ(window.viewer->title(), "");
  ASSERT_EQ(window.viewer->document().blocks.size(), 1u);
  EXPECT_EQ(window.viewer->document().blocks[0].runs[0].text, kEmptyPageText);

  // A link to a page that is not there keeps the page shown.
  window.viewer->load_text("<a href=\"gone.htm\">gone</a>", pages.folder.path());
  const auto spots = window.viewer->hot_spots();
  ASSERT_EQ(spots.size(), 1u);
  window.click_at(centre_of(spots[0].area));
  EXPECT_EQ(window.viewer->hot_spots().size(), 1u);
}

TEST(HtmlViewerTest, ALongPageScrolls) {
  ViewerWindow window(300, 150);
  std::string html;
  for (int i = 0; i < 60; ++i) html += "<p>Paragraph " + std::to_string(i) + " with some words that wrap around.</p>";
  html += "<p><a href=\"end.htm\">the end</a></p>";
  window.viewer->load_text(html);

  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(window.viewer->window(), SB_VERT, &info));
  RECT client{};
  GetClientRect(window.viewer->window(), &client);
  EXPECT_EQ(info.nMax + 1, window.viewer->page_height());
  EXPECT_EQ(static_cast<int>(info.nPage), client.bottom);
  EXPECT_GT(window.viewer->page_height(), 10 * client.bottom);
  // The scroll bar took its room from the text.
  EXPECT_LT(client.right, 300 - 2);

  const int link_top = window.viewer->hot_spots().at(0).area.top;
  SendMessageA(window.viewer->window(), WM_KEYDOWN, VK_DOWN, 0);
  const int after_line = window.viewer->scroll_position();
  EXPECT_GT(after_line, 0);
  EXPECT_EQ(window.viewer->hot_spots().at(0).area.top, link_top - after_line);
  SendMessageA(window.viewer->window(), WM_KEYDOWN, VK_NEXT, 0);
  EXPECT_EQ(window.viewer->scroll_position(), after_line + client.bottom);
  SendMessageA(window.viewer->window(), WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(window.viewer->scroll_position(), window.viewer->page_height() - client.bottom);
  SendMessageA(window.viewer->window(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(window.viewer->scroll_position(), window.viewer->page_height() - client.bottom);
  SendMessageA(window.viewer->window(), WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(window.viewer->scroll_position(), 0);

  // A short page needs no scroll bar.
  window.viewer->load_text("<p>short</p>");
  GetClientRect(window.viewer->window(), &client);
  EXPECT_EQ(window.viewer->scroll_position(), 0);
  EXPECT_EQ(client.right, 300 - 2 * GetSystemMetrics(SM_CXEDGE));
}

}  // namespace
}  // namespace qm
