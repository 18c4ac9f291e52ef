// The rich edit on real pages under Wine: the system's control from the
// system folder, lines and rich text in and plain text out, scroll bars, the
// change event for the user's edits only, and the page's keys.

#include <gtest/gtest.h>

#include <windows.h>
#include <richedit.h>

#include "platform/system_library.h"
#include "script/ansi_text.h"
#include "tests/wizard/control_test_page.h"
#include "wizard/text_controls.h"

namespace qm {
namespace {

using test::ShownPage;

constexpr const char* kReadme = R"(  object RichEdit1: TRichEdit
    Left = 10
    Top = 10
    Width = 300
    Height = 120
    Tag = 1
    Hint = 'README'
    Lines.Strings = (
      'First line'
      'Second line')
    ScrollBars = ssVertical
    WordWrap = False
    PlainText = False
    HideSelection = False
    MaxLength = 0
    WantTabs = False
    Color = clInfoBk
    TabOrder = 0
    OnChange = RichEdit1Change
  end
  object Next: TButton
    Left = 320
    Top = 10
    Width = 75
    Height = 25
    Caption = 'Next'
    TabOrder = 1
  end
)";

RichEditControl& rich_edit(const ShownPage& shown) { return dynamic_cast<RichEditControl&>(shown["RichEdit1"]); }

std::string class_of(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

TEST(RichEditTest, IsTheSystemsRichEditShowingTheDefinitionsLines) {
  const ShownPage shown(kReadme);
  RichEditControl& edit = rich_edit(shown);
  ASSERT_NE(edit.window(), nullptr);
  const std::string window_class = class_of(edit.window());
  const bool newest = ascii_equal_ignore_case(window_class, "RICHEDIT50W");
  EXPECT_TRUE(newest || ascii_equal_ignore_case(window_class, "RichEdit20W")) << window_class;
  // Loaded by full path from the system folder.
  HMODULE library = GetModuleHandleA(newest ? "msftedit.dll" : "riched20.dll");
  ASSERT_NE(library, nullptr);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(library, path, MAX_PATH);
  EXPECT_EQ(ansi_upper(std::string(path)).find(ansi_upper(platform::system_folder())), 0u) << path;

  EXPECT_EQ(edit.property_text("Lines"), "First line\r\nSecond line\r\n");
  EXPECT_EQ(edit.lines(), (std::vector<std::string>{"First line", "Second line"}));
  EXPECT_EQ(edit.property_text("ScrollBars"), "ssVertical");
  EXPECT_EQ(edit.property_text("WordWrap"), "False");
  EXPECT_EQ(edit.property_text("ReadOnly"), "False") << "the designer's default";
  EXPECT_EQ(edit.property_text("WantReturns"), "True");
  EXPECT_EQ(edit.hint(), "README");
  EXPECT_EQ(edit.tag(), 1);
  EXPECT_EQ(edit.own_background(), GetSysColor(COLOR_INFOBK));

  ASSERT_TRUE(edit.set_property_text("ReadOnly", "True"));
  EXPECT_NE(GetWindowLongA(edit.window(), GWL_STYLE) & ES_READONLY, 0);
  edit.set_lines({"One", "", "Three"});
  EXPECT_EQ(edit.property_text("Lines"), "One\r\n\r\nThree\r\n");
  EXPECT_EQ(edit.text(), "One\r\n\r\nThree");
}

TEST(RichEditTest, RichTextIsShownAsRichTextAndReadBackAsItsText) {
  const ShownPage shown(kReadme);
  RichEditControl& edit = rich_edit(shown);
  ASSERT_TRUE(edit.load_rich_text("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Tahoma;}}\\f0\\fs16 Read \\b this\\b0  first."
                                  "\\par Then install.\\par}"));
  EXPECT_EQ(edit.lines(), (std::vector<std::string>{"Read this first.", "Then install."}));
  EXPECT_EQ(edit.property_text("Lines"), "Read this first.\r\nThen install.\r\n");
  // "this" is bold: the markup was read, not shown.
  SendMessageA(edit.window(), EM_SETSEL, 5, 9);
  CHARFORMAT2A format{};
  format.cbSize = sizeof format;
  SendMessageA(edit.window(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  EXPECT_TRUE((format.dwMask & CFM_BOLD) && (format.dwEffects & CFE_BOLD));

  // What is no rich text is refused, and the text stays.
  EXPECT_FALSE(edit.load_rich_text("Just words"));
  EXPECT_EQ(edit.lines(), (std::vector<std::string>{"Read this first.", "Then install."}));
  // Plain text is never read as rich text.
  edit.load_plain_text("{\\rtf1 not rich}\r\nline two\n");
  EXPECT_EQ(edit.lines(), (std::vector<std::string>{"{\\rtf1 not rich}", "line two"}));
}

TEST(RichEditTest, ALongTextIsNotCutShort) {
  const ShownPage shown(kReadme);
  RichEditControl& edit = rich_edit(shown);
  std::string text;
  for (int line = 0; line < 2000; ++line) text += "Line " + std::to_string(line) + " of a long licence agreement text.\r\n";
  ASSERT_GT(text.size(), 70000u);
  edit.load_plain_text(text);
  const std::vector<std::string> lines = edit.lines();
  ASSERT_EQ(lines.size(), 2000u) << "no line lost or added where the text is read in pieces";
  for (std::size_t line = 0; line < lines.size(); ++line)
    ASSERT_EQ(lines[line], "Line " + std::to_string(line) + " of a long licence agreement text.");
}

TEST(RichEditTest, OnlyTheUsersEditsRaiseTheChangeEvent) {
  const ShownPage shown(kReadme);
  RichEditControl& edit = rich_edit(shown);
  int changes = 0;
  edit.set_handler(ControlEvent::kChange, [&](Control&, EventDetails&) { ++changes; });
  edit.load_plain_text("Typed by the setup");
  edit.load_rich_text("{\\rtf1 Rich}");
  edit.set_lines({"a", "b"});
  ASSERT_TRUE(edit.set_property_text("Lines", "c\r\n"));
  test::pump();
  EXPECT_EQ(changes, 0);

  SetFocus(edit.window());
  SendMessageA(edit.window(), EM_SETSEL, 0, 0);
  SendMessageA(edit.window(), WM_CHAR, 'x', 1);
  test::pump();
  EXPECT_GE(changes, 1);
  EXPECT_EQ(edit.lines(), std::vector<std::string>{"xc"});
}

TEST(RichEditTest, ScrollBarsFollowTheProperty) {
  const ShownPage shown(kReadme);
  RichEditControl& edit = rich_edit(shown);
  std::string text;
  for (int line = 0; line < 60; ++line)
    text += "A line long enough to need the horizontal bar of the control, line " + std::to_string(line) + "\r\n";
  edit.load_plain_text(text);
  test::pump();
  const auto style = [&] { return GetWindowLongA(edit.window(), GWL_STYLE); };
  EXPECT_NE(style() & WS_VSCROLL, 0);
  EXPECT_EQ(style() & WS_HSCROLL, 0) << "ssVertical";

  edit.show_both_scroll_bars();
  test::pump();
  EXPECT_EQ(edit.property_text("ScrollBars"), "ssBoth");
  EXPECT_NE(style() & WS_VSCROLL, 0);
  EXPECT_NE(style() & WS_HSCROLL, 0);

  ASSERT_TRUE(edit.set_property_text("ScrollBars", "ssNone"));
  test::pump();
  EXPECT_EQ(style() & (WS_VSCROLL | WS_HSCROLL), 0);
}

TEST(RichEditTest, TabLeavesForTheNextControlUnlessWantTabs) {
  const ShownPage shown(kReadme);
  RichEditControl& edit = rich_edit(shown);
  const auto press_tab = [&] {
    MSG input{GetFocus(), WM_KEYDOWN, VK_TAB, 1, GetTickCount(), {}};
    if (!IsDialogMessageA(shown.window, &input)) {
      TranslateMessage(&input);
      DispatchMessageA(&input);
    }
    test::pump();
  };
  SetFocus(edit.window());
  ASSERT_EQ(GetFocus(), edit.window());
  press_tab();
  EXPECT_EQ(GetFocus(), shown["Next"].window());

  ASSERT_TRUE(edit.set_property_text("WantTabs", "True"));
  SetFocus(edit.window());
  const MSG tab{edit.window(), WM_KEYDOWN, VK_TAB, 1, 0, {}};
  EXPECT_NE(SendMessageA(edit.window(), WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&tab)) &
                (DLGC_WANTTAB | DLGC_WANTMESSAGE | DLGC_WANTALLKEYS),
            0)
      << "the rich edit keeps its tabs";
}

}  // namespace
}  // namespace qm
