// Wizard pages made from dialog definitions: real windows under Wine, their
// controls' properties read and written by name, their events raised by what
// happens to the windows.

#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/screen_capture.h"
#include "wizard/form_text.h"
#include "wizard/wizard_page.h"

namespace qm {
namespace {

constexpr const char* kWelcome = R"(object PoolTemplate: TPoolTemplate
  Left = 200
  Top = 120
  BorderStyle = bsDialog
  Caption = 'Welcome to $TITLE$'
  ClientHeight = 313
  ClientWidth = 497
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  OldCreateOrder = False
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 13
  object Banner: TPanel
    Left = 0
    Top = 0
    Width = 497
    Height = 60
    Align = alTop
    BevelOuter = bvNone
    Caption = ''
    Color = clWindow
    ParentBackground = False
    TabOrder = 0
    object Heading: TLabel
      Left = 16
      Top = 12
      Width = 400
      Height = 16
      Caption = 'Welcome to the $TITLE$ Setup Wizard'
      Font.Style = [fsBold]
      ParentFont = False
    end
  end
  object Intro: TLabel
    Left = 16
    Top = 76
    Width = 465
    Height = 40
    Caption = 
      'This wizard installs $TITLE$ on your computer. Click Next to ' +
      'continue, or Cancel to leave.'
    WordWrap = True
  end
  object Folder: TEdit
    Hint = 'TARGETDIR'
    Left = 16
    Top = 124
    Width = 380
    Height = 21
    TabOrder = 1
    Tag = 2
  end
  object Agree: TRzCheckBox
    Hint = 'AGREE'
    Left = 16
    Top = 156
    Width = 300
    Height = 17
    Caption = 'I accept the licence'
    TabOrder = 2
  end
  object Choices: TComboBox
    Left = 16
    Top = 184
    Width = 200
    Height = 21
    Style = csDropDownList
    Items.Strings = (
      'Typical'
      'Complete'
      'Custom')
    ItemIndex = 1
    TabOrder = 3
  end
  object Line: TBevel
    Left = 0
    Top = 262
    Width = 497
    Height = 2
    Shape = bsTopLine
  end
  object Next: TButton
    Tag = 1
    Left = 318
    Top = 276
    Width = 75
    Height = 25
    Caption = '&Next >'
    Default = True
    TabOrder = 4
  end
  object Cancel: TButton
    Tag = 3
    Left = 406
    Top = 276
    Width = 75
    Height = 25
    Caption = 'Cancel'
    TabOrder = 5
  end
  object cmpFormDesigner: TRFDesigner
    Left = 8
    Top = 8
  end
end
)";

std::unique_ptr<WizardPage> load(const std::string& text) {
  return WizardPage::load(parse_form_text(text, "welcome.dfm"), "welcome.dfm");
}

void pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

TEST(WizardPageTest, ADefinitionBecomesAPage) {
  const std::unique_ptr<WizardPage> page = load(kWelcome);
  std::vector<std::string> names;
  for (Control* control : page->controls()) names.push_back(control->name());
  EXPECT_EQ(names, (std::vector<std::string>{"Banner", "Heading", "Intro", "Folder", "Agree", "Choices", "Line",
                                             "Next", "Cancel"}))
      << "in definition order, children after their parent, without the designer";

  HWND window = page->create_window();
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  pump();
  test::save_window_picture(window, "wizard_page_sample");

  const platform::DpiScale scale = platform::DpiScale::of_screen();
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, scale(497));
  EXPECT_EQ(client.bottom, scale(313));
  EXPECT_EQ(page->find("intro")->property_text("Caption"),
            "This wizard installs $TITLE$ on your computer. Click Next to continue, or Cancel to leave.");
  EXPECT_EQ(page->find("Choices")->property_text("Text"), "Complete");
  EXPECT_EQ(page->find("Choices")->property_text("Items"), "Typical\r\nComplete\r\nCustom\r\n");
  EXPECT_EQ(page->find("Folder")->tag(), 2);
  EXPECT_EQ(page->find("Folder")->hint(), "TARGETDIR");
  EXPECT_EQ(page->find("Next")->property_text("Default"), "True");
  EXPECT_EQ(page->find("Next")->property_text("Nonsense"), std::nullopt);
  EXPECT_EQ(page->find("Heading")->parent(), page->find("Banner"));

  // Colours and fonts follow the definition, and the parent where it says so.
  EXPECT_EQ(page->find("Banner")->background(), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(page->find("Heading")->background(), GetSysColor(COLOR_WINDOW)) << "the panel's colour";
  EXPECT_EQ(page->find("Intro")->background(), GetSysColor(COLOR_BTNFACE)) << "the page's colour";
  LOGFONTA heading{};
  GetObjectA(page->find("Heading")->font(), sizeof heading, &heading);
  EXPECT_EQ(heading.lfWeight, FW_BOLD);
  EXPECT_STREQ(heading.lfFaceName, "Tahoma");
  LOGFONTA intro{};
  GetObjectA(page->find("Intro")->font(), sizeof intro, &intro);
  EXPECT_EQ(intro.lfWeight, FW_NORMAL) << "the page's font";
}

TEST(WizardPageTest, PropertiesAreTextsOfTheWindows) {
  const std::unique_ptr<WizardPage> page = load(kWelcome);
  page->create_window();
  Control& agree = *page->find("Agree");
  EXPECT_EQ(agree.property_text("Checked"), "False");
  SendMessageA(agree.window(), BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(agree.property_text("Checked"), "True") << "read from the window";
  EXPECT_TRUE(agree.set_property_text("checked", "false"));
  EXPECT_EQ(SendMessageA(agree.window(), BM_GETCHECK, 0, 0), BST_UNCHECKED) << "written to the window";
  EXPECT_FALSE(agree.set_property_text("Checked", "maybe"));
  EXPECT_FALSE(agree.set_property_text("Colour", "red"));

  Control& next = *page->find("Next");
  EXPECT_TRUE(next.set_property_text("Enabled", "False"));
  EXPECT_FALSE(IsWindowEnabled(next.window()));
  EXPECT_TRUE(next.set_property_text("Caption", "&Install"));
  char caption[32] = {};
  GetWindowTextA(next.window(), caption, sizeof caption);
  EXPECT_STREQ(caption, "&Install");

  Control& folder = *page->find("Folder");
  SetWindowTextA(folder.window(), "C:\\Program Files\\Sample\\");
  EXPECT_EQ(folder.property_text("Text"), "C:\\Program Files\\Sample\\");
}

TEST(WizardPageTest, WindowsRaiseTheControlsEvents) {
  const std::unique_ptr<WizardPage> page = load(kWelcome);
  HWND window = page->create_window();
  ShowWindow(window, SW_SHOW);
  std::vector<std::string> events;
  const auto record = [&](const char* what) {
    return [&events, what](Control& control, EventDetails&) { events.push_back(control.name() + " " + what); };
  };
  page->find("Next")->set_handler(ControlEvent::kClick, record("click"));
  page->find("Agree")->set_handler(ControlEvent::kClick, record("click"));
  page->find("Folder")->set_handler(ControlEvent::kChange, record("change"));
  page->find("Choices")->set_handler(ControlEvent::kChange, record("change"));

  SendMessageA(page->find("Next")->window(), BM_CLICK, 0, 0);
  SendMessageA(page->find("Agree")->window(), BM_CLICK, 0, 0);
  SetWindowTextA(page->find("Folder")->window(), "D:\\");
  page->find("Cancel")->set_handler(ControlEvent::kClick, record("click"));
  page->find("Cancel")->clear_handlers();
  SendMessageA(page->find("Cancel")->window(), BM_CLICK, 0, 0);
  pump();
  EXPECT_EQ(events, (std::vector<std::string>{"Next click", "Agree click", "Folder change"}));
  EXPECT_EQ(page->find("Agree")->property_text("Checked"), "True");
}

// A 2 x 1 bitmap, red on the left and blue on the right, as a definition
// holds an image's picture: the class name, the file's size, the file.
std::string bitmap_picture_hex() {
  std::vector<unsigned char> file = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
                                     40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 8, 0, 0, 0,
                                     0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     0, 0, 255, 255, 0, 0, 0, 0};  // red, blue (BGR), row padding
  std::vector<unsigned char> data = {7, 'T', 'B', 'i', 't', 'm', 'a', 'p', 62, 0, 0, 0};
  data.insert(data.end(), file.begin(), file.end());
  std::string hex;
  for (unsigned char byte : data) {
    static const char kDigits[] = "0123456789ABCDEF";
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

TEST(WizardPageTest, ImagesShowTheirPictures) {
  const std::string definition = "object P: TPoolTemplate\n  ClientWidth = 100\n  ClientHeight = 40\n"
                                 "  object Banner: TImage\n    Left = 10\n    Top = 10\n    Width = 40\n"
                                 "    Height = 20\n    Stretch = True\n    Picture.Data = {" +
                                 bitmap_picture_hex() + "}\n  end\nend\n";
  const std::unique_ptr<WizardPage> page = load(definition);
  HWND window = page->create_window();
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  pump();
  HWND image = page->find("Banner")->window();
  RedrawWindow(image, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  HDC dc = GetDC(image);
  RECT client{};
  GetClientRect(image, &client);
  const COLORREF left = GetPixel(dc, client.right / 4, client.bottom / 2);
  const COLORREF right = GetPixel(dc, client.right * 3 / 4, client.bottom / 2);
  ReleaseDC(image, dc);
  EXPECT_EQ(left, RGB(255, 0, 0)) << "stretched over the whole control";
  EXPECT_EQ(right, RGB(0, 0, 255));

  bool clicked = false;
  page->find("Banner")->set_handler(ControlEvent::kClick, [&](Control&, EventDetails&) { clicked = true; });
  SendMessageA(image, WM_LBUTTONUP, 0, 0);
  EXPECT_TRUE(clicked);
}

TEST(WizardPageTest, DefinitionsTheWizardCannotUse) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"object P: TPoolTemplate\n  object X: TSuperGrid\n  end\nend\n",
       "welcome.dfm, line 2: the class 'TSuperGrid' is not known"},
      {"object P: TPoolTemplate\n  object E: TEdit\n    Colour = clRed\n  end\nend\n",
       "welcome.dfm, line 2: TEdit has no property 'Colour'"},
      {"object P: TPoolTemplate\n  object E: TEdit\n    ReadOnly = 7\n  end\nend\n",
       "welcome.dfm, line 2: the property 'ReadOnly' of TEdit cannot take the value written for it"},
      {"object P: TPoolTemplate\n  object E: TListBox\n    Items.Lines = ('a')\n  end\nend\n",
       "welcome.dfm, line 2: TListBox has no property 'Items.Lines'"},
      {"object P: TPoolTemplate\n  Flavour = 3\nend\n", "welcome.dfm, line 1: TPoolTemplate has no property 'Flavour'"},
      // A node list that ends inside its first node.
      {"object P: TPoolTemplate\n  object T: TTreeView\n    Items.Data = {0100000019000000FFFF}\n  end\nend\n",
       "welcome.dfm, line 2: the property 'Items.Data' of TTreeView holds data that cannot be read"},
  };
  for (const auto& c : cases) {
    try {
      load(c.text);
      ADD_FAILURE() << "loaded: " << c.text;
    } catch (const FormTextError& error) {
      EXPECT_STREQ(error.what(), c.error);
    }
  }
}

}  // namespace
}  // namespace qm
