// The classic file, folder and drive controls on a real page under Wine,
// over a real folder tree: what they list, what the user does with them
// (clicks, double-clicks, Enter, choices in the combo boxes), the events that
// raises, the links between them and the calls binding makes.

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>

#include "tests/support/temp_folder.h"
#include "wizard/folder_controls.h"
#include "wizard/form_text.h"
#include "wizard/wizard_page.h"

namespace qm {
namespace {

constexpr const char* kPage = R"(object PoolTemplate: TPoolTemplate
  Caption = 'Choose a file'
  ClientHeight = 320
  ClientWidth = 480
  Font.Name = 'Tahoma'
  Font.Height = -11
  PixelsPerInch = 96
  object Drives: TDriveComboBox
    Left = 8
    Top = 8
    Width = 200
    Height = 19
    DirList = Folders
    TabOrder = 0
    OnChange = DriveComboBox1Change
  end
  object FolderCaption: TLabel
    Left = 8
    Top = 34
    Width = 460
    Height = 13
    Caption = 'FolderCaption'
  end
  object Folders: TDirectoryListBox
    Left = 8
    Top = 52
    Width = 200
    Height = 200
    DirLabel = FolderCaption
    FileList = Files
    ItemHeight = 16
    TabOrder = 1
    OnChange = DirectoryListBox1Change
  end
  object Files: TFileListBox
    Left = 216
    Top = 52
    Width = 256
    Height = 200
    FileEdit = FileNameEdit
    FileType = [ftReadOnly, ftNormal]
    ItemHeight = 16
    Mask = '*.txt;*.ini'
    ShowGlyphs = True
    TabOrder = 2
    Hint = 'CHOSENFILE'
    Tag = 1
    OnChange = FileListBox1Change
  end
  object FileNameEdit: TEdit
    Left = 216
    Top = 260
    Width = 256
    Height = 21
    TabOrder = 3
    Text = '*.txt'
  end
  object Filters: TFilterComboBox
    Left = 8
    Top = 260
    Width = 200
    Height = 21
    FileList = Files
    Filter = 'Text files (*.txt)|*.txt|Setup files (*.ini;*.inf)|*.ini;*.inf|All files (*.*)|*.*'
    TabOrder = 4
    OnChange = FilterComboBox1Change
  end
end
)";

void pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// Counts a control's change events and what its value was at each.
struct ChangeLog {
  int count = 0;
  std::vector<std::string> values;
};

template <typename ControlType, typename Value>
void log_changes(ControlType& control, ChangeLog& log, Value value) {
  control.set_handler(ControlEvent::kChange, [&log, value](Control& changed, EventDetails&) {
    ++log.count;
    log.values.push_back(value(static_cast<ControlType&>(changed)));
  });
}

// A folder tree to browse:
//   Alpha\Inner\, beta\, .hidden folder Secret\, readme.txt, notes.TXT,
//   setup.ini, data.bin, a hidden hidden.txt
class FolderControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = folder_path(temp_.path());
    CreateDirectoryA(at("Alpha").c_str(), nullptr);
    CreateDirectoryA(at("Alpha\\Inner").c_str(), nullptr);
    CreateDirectoryA(at("beta").c_str(), nullptr);
    CreateDirectoryA(at("Secret").c_str(), nullptr);
    SetFileAttributesA(at("Secret").c_str(), FILE_ATTRIBUTE_HIDDEN);
    for (const char* name : {"readme.txt", "notes.TXT", "setup.ini", "data.bin", "hidden.txt"})
      test::write_file(at(name), "text");
    SetFileAttributesA(at("hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);

    page_ = WizardPage::load(parse_form_text(kPage, "files.dfm"), "files.dfm");
    page_->create_window();
    drives_ = dynamic_cast<DriveComboBoxControl*>(page_->find("Drives"));
    folders_ = dynamic_cast<DirectoryListBoxControl*>(page_->find("Folders"));
    files_ = dynamic_cast<FileListBoxControl*>(page_->find("Files"));
    filters_ = dynamic_cast<FilterComboBoxControl*>(page_->find("Filters"));
    ASSERT_NE(drives_, nullptr);
    ASSERT_NE(folders_, nullptr);
    ASSERT_NE(files_, nullptr);
    ASSERT_NE(filters_, nullptr);
  }

  std::string at(const std::string& name) const { return root_ + "\\" + name; }

  // Clicks an item of a list box as the user does.
  static void click_item(HWND list, int index, bool twice = false) {
    RECT item{};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    const LPARAM point = MAKELPARAM(item.left + 30, (item.top + item.bottom) / 2);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(list, WM_LBUTTONUP, 0, point);
    if (twice) {
      SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
      SendMessageA(list, WM_LBUTTONUP, 0, point);
    }
    pump();
  }

  static int index_of(const std::vector<std::string>& items, const std::string& wanted) {
    for (std::size_t i = 0; i < items.size(); ++i)
      if (items[i] == wanted) return static_cast<int>(i);
    return -1;
  }

  test::TempFolder temp_;
  std::string root_;
  std::unique_ptr<WizardPage> page_;
  DriveComboBoxControl* drives_ = nullptr;
  DirectoryListBoxControl* folders_ = nullptr;
  FileListBoxControl* files_ = nullptr;
  FilterComboBoxControl* filters_ = nullptr;
};

TEST_F(FolderControlsTest, TheFileListShowsTheFilesThatFitItsMaskAndType) {
  ASSERT_TRUE(files_->apply_path(root_ + "\\"));
  EXPECT_EQ(files_->directory(), root_) << "no trailing backslash";
  EXPECT_EQ(files_->mask(), "*.txt") << "the filter combo's first choice, through its FileList";

  const struct {
    const char* mask;
    const char* types;
    std::vector<std::string> listed;
  } cases[] = {
      {"*.txt;*.ini", "ftNormal", {"notes.TXT", "readme.txt", "setup.ini"}},
      {"*.bin", "ftNormal", {"data.bin"}},
      {"", "ftNormal", {"data.bin", "notes.TXT", "readme.txt", "setup.ini"}},
      {"*.txt", "ftNormal,ftHidden", {"hidden.txt", "notes.TXT", "readme.txt"}},
      {"*.*", "ftNormal,ftDirectory", {"data.bin", "notes.TXT", "readme.txt", "setup.ini", "[Alpha]", "[beta]"}},
      {"*.zip", "ftNormal", {}},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(files_->set_property_text("FileType", c.types));
    files_->set_mask(c.mask);
    EXPECT_EQ(files_->items(), c.listed) << c.mask << " " << c.types;
    EXPECT_EQ(SendMessageA(files_->inner(), LB_GETCOUNT, 0, 0), static_cast<LRESULT>(c.listed.size()));
  }
  EXPECT_EQ(files_->property_text("Mask"), "*.zip");
}

TEST_F(FolderControlsTest, BindingAppliesPathsWithoutRaisingEvents) {
  ChangeLog changes;
  log_changes(*files_, changes, [](FileListBoxControl& files) { return files.file_name(); });

  ASSERT_TRUE(files_->apply_path(at("setup.ini")));
  EXPECT_EQ(files_->directory(), root_);
  EXPECT_EQ(files_->file_name(), "") << "setup.ini does not fit *.txt";
  files_->set_mask("*.ini");
  ASSERT_TRUE(files_->apply_path(at("setup.ini")));
  EXPECT_EQ(files_->file_name(), at("setup.ini"));
  EXPECT_EQ(files_->property_text("FileName"), at("setup.ini"));
  EXPECT_EQ(files_->property_text("Directory"), root_);

  EXPECT_FALSE(files_->apply_path(at("missing\\x.txt")));
  EXPECT_FALSE(files_->apply_path(""));
  EXPECT_EQ(files_->directory(), root_) << "a path that does not exist changes nothing";
  EXPECT_EQ(files_->file_name(), at("setup.ini"));

  ASSERT_TRUE(files_->apply_path(at("Alpha")));
  EXPECT_EQ(files_->file_name(), "") << "another folder: nothing chosen";
  EXPECT_EQ(changes.count, 0) << "the program's changes raise nothing";
}

TEST_F(FolderControlsTest, ChoosingAFileRaisesChangeOnceAndFillsTheFileEdit) {
  ChangeLog changes;
  log_changes(*files_, changes, [](FileListBoxControl& files) { return files.file_name(); });
  ASSERT_TRUE(files_->apply_path(root_));
  files_->set_mask("*.txt;*.ini");

  click_item(files_->inner(), 1);
  EXPECT_EQ(changes.values, std::vector<std::string>{at("readme.txt")});
  EXPECT_EQ(page_->find("FileNameEdit")->property_text("Text"), "readme.txt");
  click_item(files_->inner(), 1);
  EXPECT_EQ(changes.count, 1) << "the same file again is no change";
  SendMessageA(files_->inner(), WM_KEYDOWN, VK_DOWN, 0);
  pump();
  EXPECT_EQ(changes.values, (std::vector<std::string>{at("readme.txt"), at("setup.ini")}));
  EXPECT_EQ(files_->property_text("ItemIndex"), "2");
  EXPECT_EQ(files_->selected_texts(), std::vector<std::string>{"setup.ini"});
  // A typed letter goes to the next file that begins with it.
  SendMessageA(files_->inner(), WM_CHAR, 'n', 0);
  pump();
  EXPECT_EQ(changes.values.back(), at("notes.TXT"));
  EXPECT_EQ(changes.count, 3);
}

TEST_F(FolderControlsTest, TheDirectoryListShowsAncestorsAndSubfolders) {
  ASSERT_TRUE(folders_->set_directory(at("Alpha") + "\\"));
  EXPECT_EQ(folders_->directory(), at("Alpha"));
  const std::vector<std::string> items = folders_->items();
  const std::vector<std::string> chain = folder_chain(at("Alpha"));
  ASSERT_EQ(items.size(), chain.size() + 1);
  EXPECT_EQ(items.front(), root_of(root_)) << "the drive's root first";
  EXPECT_EQ(items[chain.size() - 1], "Alpha");
  EXPECT_EQ(items.back(), "Inner");
  EXPECT_EQ(SendMessageA(folders_->inner(), LB_GETCURSEL, 0, 0), static_cast<LRESULT>(chain.size() - 1))
      << "the current folder is marked";

  ASSERT_TRUE(folders_->set_directory(root_));
  const std::vector<std::string> at_root = folders_->items();
  EXPECT_EQ(std::vector<std::string>(at_root.end() - 2, at_root.end()), (std::vector<std::string>{"Alpha", "beta"}))
      << "hidden folders are left out";
  EXPECT_EQ(at_root.size(), folder_chain(root_).size() + 2);
  EXPECT_EQ(files_->directory(), root_) << "the file list follows";
  EXPECT_EQ(page_->find("FolderCaption")->property_text("Caption"), root_) << "the label follows";

  EXPECT_FALSE(folders_->set_directory(at("missing")));
  EXPECT_EQ(folders_->directory(), root_);
}

TEST_F(FolderControlsTest, DoubleClickAndEnterOpenAFolder) {
  ChangeLog folder_changes;
  ChangeLog file_changes;
  log_changes(*folders_, folder_changes, [](DirectoryListBoxControl& list) { return list.directory(); });
  log_changes(*files_, file_changes, [](FileListBoxControl& files) { return files.file_name(); });
  ASSERT_TRUE(folders_->set_directory(root_));
  ASSERT_TRUE(files_->apply_path(at("readme.txt")));
  EXPECT_EQ(folder_changes.count, 0);

  click_item(folders_->inner(), index_of(folders_->items(), "Alpha"));
  EXPECT_EQ(folders_->directory(), root_) << "one click only points at a folder";
  click_item(folders_->inner(), index_of(folders_->items(), "Alpha"), true);
  EXPECT_EQ(folders_->directory(), at("Alpha"));
  EXPECT_EQ(folder_changes.values, std::vector<std::string>{at("Alpha")});
  EXPECT_EQ(files_->directory(), at("Alpha"));
  EXPECT_EQ(file_changes.count, 0) << "the chosen file went with its folder: not unchosen";
  EXPECT_EQ(files_->file_name(), "");
  EXPECT_EQ(page_->find("FileNameEdit")->property_text("Text"), "*.txt") << "the mask while no file is chosen";

  // Enter opens the entry the user moved to: up one, to the root of the tree.
  const int parent = index_of(folders_->items(), folder_name(root_));
  SendMessageA(folders_->inner(), LB_SETCURSEL, static_cast<WPARAM>(parent), 0);
  MSG enter{folders_->inner(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_NE(SendMessageA(folders_->inner(), WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) &
                DLGC_WANTMESSAGE,
            0)
      << "the page's default button does not take Enter from the list";
  SendMessageA(folders_->inner(), WM_KEYDOWN, VK_RETURN, 0);
  pump();
  EXPECT_EQ(folders_->directory(), root_);
  EXPECT_EQ(folder_changes.values, (std::vector<std::string>{at("Alpha"), root_}));

  // Enter on the current folder changes nothing.
  SendMessageA(folders_->inner(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(folder_changes.count, 2);
}

TEST_F(FolderControlsTest, TheDriveComboListsTheDrivesAndLeadsTheDirectoryList) {
  const std::vector<char> letters = drives_->drive_letters();
  const char own = drive_letter_of(root_);
  ASSERT_NE(std::find(letters.begin(), letters.end(), own), letters.end());
  EXPECT_EQ(SendMessageA(drives_->inner(), CB_GETCOUNT, 0, 0), static_cast<LRESULT>(letters.size()));

  // A letter no drive has is refused.
  char missing = 0;
  for (char letter = 'Y'; letter > 'D' && missing == 0; --letter)
    if (std::find(letters.begin(), letters.end(), letter) == letters.end()) missing = letter;
  ASSERT_NE(missing, 0);
  ChangeLog drive_changes;
  ChangeLog folder_changes;
  log_changes(*drives_, drive_changes, [](DriveComboBoxControl& combo) { return std::string(1, combo.drive()); });
  log_changes(*folders_, folder_changes, [](DirectoryListBoxControl& list) { return list.directory(); });
  ASSERT_TRUE(folders_->set_directory(at("Alpha")));
  ASSERT_TRUE(drives_->select_drive(static_cast<char>(own + ('a' - 'A'))));
  EXPECT_EQ(drives_->drive(), own);
  EXPECT_EQ(folders_->directory(), at("Alpha")) << "already on that drive";
  EXPECT_FALSE(drives_->select_drive(missing));
  EXPECT_EQ(drives_->drive(), own);
  EXPECT_EQ(drives_->property_text("Drive"), std::string(1, own));

  // The user chooses another drive that can be read, in the opened list.
  int other = -1;
  for (std::size_t i = 0; i < letters.size() && other < 0; ++i)
    if (letters[i] != own && is_folder(drive_root(letters[i]))) other = static_cast<int>(i);
  if (other < 0) GTEST_SKIP() << "this machine has one readable drive";
  SendMessageA(drives_->inner(), CB_SETCURSEL, static_cast<WPARAM>(other), 0);
  SendMessageA(drives_->window(), WM_COMMAND, MAKEWPARAM(0, CBN_SELENDOK), reinterpret_cast<LPARAM>(drives_->inner()));
  SendMessageA(drives_->window(), WM_COMMAND, MAKEWPARAM(0, CBN_CLOSEUP), reinterpret_cast<LPARAM>(drives_->inner()));
  pump();
  const char chosen = drives_->drive();
  EXPECT_NE(chosen, own);
  EXPECT_EQ(drive_changes.values, std::vector<std::string>{std::string(1, chosen)});
  EXPECT_EQ(folder_changes.values, std::vector<std::string>{drive_root(chosen)}) << "a change the user made";
  EXPECT_EQ(files_->directory(), drive_root(chosen));
  char shown[64] = {};
  const LRESULT index = SendMessageA(drives_->inner(), CB_GETCURSEL, 0, 0);
  SendMessageA(drives_->inner(), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(shown));
  EXPECT_EQ(shown[0], static_cast<char>(chosen + ('a' - 'A'))) << "letters in lower case, as TextCase says";
  EXPECT_EQ(shown[1], ':');
}

TEST_F(FolderControlsTest, TheFilterComboSetsTheFileListsMask) {
  EXPECT_EQ(filters_->descriptions(),
            (std::vector<std::string>{"Text files (*.txt)", "Setup files (*.ini;*.inf)", "All files (*.*)"}));
  EXPECT_EQ(filters_->mask(), "*.txt");
  ASSERT_TRUE(files_->apply_path(root_));
  EXPECT_EQ(files_->items(), (std::vector<std::string>{"notes.TXT", "readme.txt"}));

  ChangeLog filter_changes;
  ChangeLog file_changes;
  log_changes(*filters_, filter_changes, [](FilterComboBoxControl& combo) { return combo.mask(); });
  log_changes(*files_, file_changes, [](FileListBoxControl& files) { return files.file_name(); });
  SendMessageA(filters_->inner(), WM_KEYDOWN, VK_DOWN, 0);
  pump();
  EXPECT_EQ(filter_changes.values, std::vector<std::string>{"*.ini;*.inf"});
  EXPECT_EQ(filters_->property_text("Mask"), "*.ini;*.inf");
  EXPECT_EQ(files_->items(), std::vector<std::string>{"setup.ini"});
  EXPECT_EQ(file_changes.count, 0) << "no file was chosen before or after";

  // A chosen file that the new mask hides is no longer chosen, but the user
  // did not unchoose it: no event that would write an empty path.
  click_item(files_->inner(), 0);
  EXPECT_EQ(file_changes.values, std::vector<std::string>{at("setup.ini")});
  SendMessageA(filters_->inner(), WM_KEYDOWN, VK_UP, 0);
  pump();
  EXPECT_EQ(files_->file_name(), "");
  EXPECT_EQ(page_->find("FileNameEdit")->property_text("Text"), "*.txt");
  EXPECT_EQ(file_changes.count, 1);
  EXPECT_EQ(filter_changes.count, 2);

  EXPECT_TRUE(filters_->set_property_text("Filter", "Pictures|*.bmp;*.png"));
  EXPECT_EQ(filters_->descriptions(), std::vector<std::string>{"Pictures"});
  EXPECT_EQ(files_->mask(), "*.bmp;*.png");
  EXPECT_EQ(filter_changes.count, 2);
}

TEST_F(FolderControlsTest, DefinitionsAndRulesReachTheProperties) {
  EXPECT_EQ(files_->property_text("ShowGlyphs"), "True");
  EXPECT_EQ(files_->property_text("FileType"), "ftReadOnly,ftNormal");
  EXPECT_EQ(files_->property_text("FileEdit"), "FileNameEdit");
  EXPECT_EQ(folders_->property_text("FileList"), "Files");
  EXPECT_EQ(drives_->property_text("TextCase"), "tcLowerCase");
  EXPECT_EQ(filters_->property_text("Text"), "Text files (*.txt)");

  // What the dialog rules write goes through the same properties.
  EXPECT_TRUE(folders_->set_property_text("Directory", at("beta")));
  EXPECT_EQ(folders_->property_text("Directory"), at("beta"));
  EXPECT_EQ(files_->directory(), at("beta"));
  EXPECT_TRUE(folders_->set_property_text("Directory", at("missing")));
  EXPECT_EQ(folders_->property_text("Directory"), at("beta")) << "a folder that is not there is not taken";
  EXPECT_TRUE(files_->set_property_text("FileName", at("readme.txt")));
  EXPECT_EQ(files_->property_text("FileName"), at("readme.txt"));
  EXPECT_TRUE(files_->set_property_text("Enabled", "False"));
  EXPECT_FALSE(IsWindowEnabled(files_->inner()));
}

TEST(FolderControlsLoadTest, ControlsKeepWhatTheDefinitionSetsBeforeTheirWindows) {
  test::TempFolder temp;
  const std::string root = folder_path(temp.path());
  CreateDirectoryA((root + "\\Sub").c_str(), nullptr);
  test::write_file(root + "\\a.txt", "");
  // Controls linked to controls made after them.
  const std::string page_text = std::string(R"(object Page: TPoolTemplate
  object Filter: TFilterComboBox
    Left = 8
    Top = 8
    Width = 100
    Height = 21
    FileList = List
    Filter = 'All|*.*'
  end
  object Folders: TDirectoryListBox
    Left = 8
    Top = 40
    Width = 100
    Height = 100
    Directory = ')") + root + R"('
    FileList = List
  end
  object List: TFileListBox
    Left = 120
    Top = 40
    Width = 100
    Height = 100
    Mask = '*.bin'
  end
end
)";
  const std::unique_ptr<WizardPage> page = WizardPage::load(parse_form_text(page_text, "early.dfm"), "early.dfm");
  page->create_window();
  auto* list = dynamic_cast<FileListBoxControl*>(page->find("List"));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->directory(), root);
  EXPECT_EQ(list->mask(), "*.*") << "the filter combo's mask";
  EXPECT_EQ(list->items(), std::vector<std::string>{"a.txt"});
}

TEST(FolderControlsLoadTest, AMultiSelectFileListReportsTheFileWithTheFocus) {
  test::TempFolder temp;
  const std::string root = folder_path(temp.path());
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) test::write_file(root + "\\" + name, "");
  const std::unique_ptr<WizardPage> page = WizardPage::load(parse_form_text(R"(object Page: TPoolTemplate
  object List: TFileListBox
    Left = 8
    Top = 8
    Width = 200
    Height = 100
    MultiSelect = True
  end
end
)",
                                                                             "multi.dfm"),
                                                             "multi.dfm");
  page->create_window();
  auto* list = dynamic_cast<FileListBoxControl*>(page->find("List"));
  ASSERT_TRUE(list->apply_path(root));
  std::vector<std::string> reported;
  list->set_handler(ControlEvent::kChange, [&reported](Control& changed, EventDetails&) {
    reported.push_back(static_cast<FileListBoxControl&>(changed).file_name());
  });
  const auto click = [&](int index, WPARAM keys) {
    RECT item{};
    SendMessageA(list->inner(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    const LPARAM point = MAKELPARAM(item.left + 10, (item.top + item.bottom) / 2);
    SendMessageA(list->inner(), WM_LBUTTONDOWN, MK_LBUTTON | keys, point);
    SendMessageA(list->inner(), WM_LBUTTONUP, keys, point);
    pump();
  };
  click(0, 0);
  click(2, MK_CONTROL);
  EXPECT_EQ(list->selected_texts(), (std::vector<std::string>{"a.txt", "c.txt"}));
  click(2, MK_CONTROL);  // unchosen by the user
  EXPECT_EQ(reported, (std::vector<std::string>{root + "\\a.txt", root + "\\c.txt", ""}));
  EXPECT_EQ(list->selected_texts(), std::vector<std::string>{"a.txt"});
}

// A folder of ten thousand files (made by the build, since making them
// under Wine takes half a minute) is listed at once.
TEST(FolderControlsLoadTest, AFolderOfTenThousandFilesIsListedAtOnce) {
  const std::string many = folder_path(test::program_folder() + "folder_fixtures\\many_files");
  ASSERT_TRUE(is_folder(many)) << many;
  const std::unique_ptr<WizardPage> page = WizardPage::load(parse_form_text(R"(object Page: TPoolTemplate
  object List: TFileListBox
    Left = 8
    Top = 8
    Width = 200
    Height = 100
  end
end
)",
                                                                             "many.dfm"),
                                                             "many.dfm");
  page->create_window();
  ShowWindow(page->window(), SW_SHOWNA);
  auto* list = dynamic_cast<FileListBoxControl*>(page->find("List"));
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(list->apply_path(many + "\\file5000.txt"));
  UpdateWindow(page->window());
  pump();
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(list->items().size(), 10000u);
  EXPECT_EQ(list->file_name(), many + "\\file5000.txt");
  EXPECT_LT(took, std::chrono::seconds(5));
}

}  // namespace
}  // namespace qm
