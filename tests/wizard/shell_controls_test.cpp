// The shell tree, list and combo on a real page under Wine, over a real
// folder tree: what they show, expanding, selecting, opening and typing as
// the user does, the events that raises, how linked controls follow each
// other and the calls binding makes. Also a picture of a page with every
// folder and shell control, for people to look at.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>

#include "tests/support/screen_capture.h"
#include "tests/support/temp_folder.h"
#include "wizard/folder_controls.h"
#include "wizard/form_text.h"
#include "wizard/shell_controls.h"
#include "wizard/wizard_page.h"

namespace qm {
namespace {

constexpr const char* kPage = R"(object PoolTemplate: TPoolTemplate
  Caption = 'Choose a folder'
  ClientHeight = 300
  ClientWidth = 560
  Font.Name = 'Tahoma'
  Font.Height = -11
  PixelsPerInch = 96
  object Path: TPTShellCombo
    Left = 8
    Top = 8
    Width = 544
    Height = 21
    ShellTree = Tree
    ShellList = List
    TabOrder = 0
    OnChange = PTShellCombo1Change
  end
  object Tree: TPTShellTree
    Left = 8
    Top = 36
    Width = 200
    Height = 256
    HideSelection = False
    Indent = 19
    ShellList = List
    ShellCombo = Path
    TabOrder = 1
    OnChange = PTShellTree1Change
  end
  object List: TPTShellList
    Left = 216
    Top = 36
    Width = 336
    Height = 256
    ViewStyle = vsReport
    Columns = <>
    ShellCombo = Path
    TabOrder = 2
    OnChange = PTShellList1Change
  end
end
)";

void pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

std::string window_text(HWND window) {
  char text[MAX_PATH * 2] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
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

// Alpha\Inner\, beta\, a hidden Secret\, readme.txt (1,500 bytes), a hidden hidden.txt
class ShellControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = folder_path(temp_.path());
    CreateDirectoryA(at("Alpha").c_str(), nullptr);
    CreateDirectoryA(at("Alpha\\Inner").c_str(), nullptr);
    CreateDirectoryA(at("beta").c_str(), nullptr);
    CreateDirectoryA(at("Secret").c_str(), nullptr);
    SetFileAttributesA(at("Secret").c_str(), FILE_ATTRIBUTE_HIDDEN);
    test::write_file(at("readme.txt"), std::string(1500, 'x'));
    test::write_file(at("hidden.txt"), "");
    SetFileAttributesA(at("hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);

    page_ = WizardPage::load(parse_form_text(kPage, "folders.dfm"), "folders.dfm");
    page_->create_window();
    combo_ = dynamic_cast<ShellComboControl*>(page_->find("Path"));
    tree_ = dynamic_cast<ShellTreeControl*>(page_->find("Tree"));
    list_ = dynamic_cast<ShellListControl*>(page_->find("List"));
    ASSERT_NE(combo_, nullptr);
    ASSERT_NE(tree_, nullptr);
    ASSERT_NE(list_, nullptr);
    log_changes(*combo_, combo_changes_, [](ShellComboControl& combo) { return combo.path(); });
    log_changes(*tree_, tree_changes_, [](ShellTreeControl& tree) { return tree.selected_folder(); });
    log_changes(*list_, list_changes_, [](ShellListControl& list) { return list.selected_path(); });
  }

  std::string at(const std::string& name) const { return root_ + "\\" + name; }
  HWND combo_edit() const { return FindWindowExA(combo_->inner(), nullptr, "Edit", nullptr); }

  test::TempFolder temp_;
  std::string root_;
  std::unique_ptr<WizardPage> page_;
  ShellComboControl* combo_ = nullptr;
  ShellTreeControl* tree_ = nullptr;
  ShellListControl* list_ = nullptr;
  ChangeLog combo_changes_;
  ChangeLog tree_changes_;
  ChangeLog list_changes_;
};

TEST_F(ShellControlsTest, TheTreeSelectsFoldersAndTheOthersFollow) {
  std::vector<std::string> captions;
  for (const DriveInfo& drive : logical_drives()) captions.push_back(drive_caption(drive));
  EXPECT_EQ(tree_->child_names(""), captions) << "the drives are the roots";
  EXPECT_EQ(tree_->selected_folder(), "");

  ASSERT_TRUE(tree_->select_folder(at("alpha\\inner\\")));
  EXPECT_EQ(tree_->selected_folder(), at("Alpha\\Inner")) << "as the folders are written on the disk";
  EXPECT_TRUE(tree_->is_expanded(root_));
  EXPECT_TRUE(tree_->is_expanded(at("Alpha")));
  EXPECT_EQ(tree_->child_names(root_), (std::vector<std::string>{"Alpha", "beta"})) << "no hidden folders";
  EXPECT_EQ(list_->folder(), at("Alpha\\Inner"));
  EXPECT_EQ(combo_->path(), at("Alpha\\Inner"));
  EXPECT_EQ(tree_changes_.count + list_changes_.count + combo_changes_.count, 0) << "the program's change";

  EXPECT_FALSE(tree_->select_folder(at("missing")));
  EXPECT_FALSE(tree_->select_folder(""));
  EXPECT_EQ(tree_->selected_folder(), at("Alpha\\Inner"));

  // A hidden folder is shown when it is asked for.
  ASSERT_TRUE(tree_->select_folder(at("Secret")));
  EXPECT_EQ(tree_->selected_folder(), at("Secret"));
}

TEST_F(ShellControlsTest, TheUserExpandsAndMovesInTheTree) {
  ASSERT_TRUE(tree_->select_folder(root_));
  EXPECT_FALSE(tree_->is_expanded(root_));
  SendMessageA(tree_->inner(), WM_KEYDOWN, VK_RIGHT, 0);  // expands
  EXPECT_TRUE(tree_->is_expanded(root_));
  EXPECT_EQ(tree_->child_names(root_), (std::vector<std::string>{"Alpha", "beta"}));
  EXPECT_EQ(tree_changes_.count, 0) << "expanding is no change of the selection";

  SendMessageA(tree_->inner(), WM_KEYDOWN, VK_DOWN, 0);  // to Alpha
  EXPECT_EQ(tree_changes_.values, std::vector<std::string>{at("Alpha")});
  EXPECT_EQ(list_->folder(), at("Alpha"));
  EXPECT_EQ(combo_changes_.values, std::vector<std::string>{at("Alpha")}) << "followed the user's change";
  EXPECT_EQ(list_->item_names(), std::vector<std::string>{"Inner"});

  SendMessageA(tree_->inner(), WM_KEYDOWN, VK_RIGHT, 0);
  SendMessageA(tree_->inner(), WM_KEYDOWN, VK_RIGHT, 0);  // into Inner, which has no subfolders
  EXPECT_EQ(tree_->selected_folder(), at("Alpha\\Inner"));
  EXPECT_EQ(tree_->child_names(at("Alpha\\Inner")), std::vector<std::string>{});
  EXPECT_EQ(tree_changes_.count, 2);
}

TEST_F(ShellControlsTest, TheListShowsAFolderAndOpensSubfolders) {
  EXPECT_FALSE(list_->item_names().empty()) << "without a folder: the drives";
  ASSERT_TRUE(list_->navigate(root_ + "\\"));
  EXPECT_EQ(list_->folder(), root_);
  EXPECT_EQ(list_->item_names(), (std::vector<std::string>{"Alpha", "beta", "readme.txt"}))
      << "folders first, hidden ones left out";
  EXPECT_EQ(combo_->path(), root_) << "the combo follows";
  EXPECT_EQ(list_->selected_path(), "");

  char size[32] = {};
  LVITEMA cell{};
  cell.iSubItem = 1;
  cell.pszText = size;
  cell.cchTextMax = sizeof size;
  SendMessageA(list_->inner(), LVM_GETITEMTEXTA, 2, reinterpret_cast<LPARAM>(&cell));
  EXPECT_STREQ(size, "2 KB");

  // The user moves to the first item: it becomes selected.
  SendMessageA(list_->inner(), WM_KEYDOWN, VK_DOWN, 0);
  pump();
  EXPECT_EQ(list_changes_.values, std::vector<std::string>{at("Alpha")});
  SendMessageA(list_->inner(), WM_KEYDOWN, VK_DOWN, 0);
  pump();
  EXPECT_EQ(list_changes_.values, (std::vector<std::string>{at("Alpha"), at("beta")}));
  EXPECT_EQ(list_->selected_path(), at("beta"));

  // Enter opens the folder; Backspace goes back up. Neither is a choice.
  SendMessageA(list_->inner(), WM_KEYDOWN, VK_UP, 0);
  SendMessageA(list_->inner(), WM_KEYDOWN, VK_RETURN, 0);
  pump();
  EXPECT_EQ(list_->folder(), at("Alpha"));
  EXPECT_EQ(list_->item_names(), std::vector<std::string>{"Inner"});
  EXPECT_EQ(combo_->path(), at("Alpha"));
  EXPECT_EQ(combo_changes_.count, 1) << "the combo followed the user";
  SendMessageA(list_->inner(), WM_KEYDOWN, VK_BACK, 0);
  pump();
  EXPECT_EQ(list_->folder(), root_);
  EXPECT_EQ(SendMessageA(list_->inner(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 0)
      << "the folder the user came from";
  EXPECT_EQ(list_changes_.count, 3);
  EXPECT_EQ(list_changes_.values.back(), at("Alpha"));

  // A double-click opens a folder too.
  RECT beta{};
  beta.left = LVIR_LABEL;
  SendMessageA(list_->inner(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&beta));
  const LPARAM point = MAKELPARAM(beta.left + 5, (beta.top + beta.bottom) / 2);
  SendMessageA(list_->inner(), WM_LBUTTONDBLCLK, MK_LBUTTON, point);
  SendMessageA(list_->inner(), WM_LBUTTONUP, 0, point);
  pump();
  EXPECT_EQ(list_->folder(), at("beta"));
  EXPECT_EQ(list_->item_names(), std::vector<std::string>{});

  EXPECT_FALSE(list_->navigate(at("missing")));
  EXPECT_EQ(list_->folder(), at("beta"));
}

TEST_F(ShellControlsTest, FoldersAndDrivesThatAreNotThereAreRefused) {
  const DWORD present = GetLogicalDrives();
  char missing = 0;
  for (int i = 25; i >= 3 && missing == 0; --i)
    if ((present & (1u << i)) == 0) missing = static_cast<char>('A' + i);
  ASSERT_NE(missing, 0);
  ASSERT_TRUE(tree_->select_folder(root_));
  for (const std::string& gone : {drive_root(missing), std::string(1, missing) + ":\\Program Files", at("missing")}) {
    EXPECT_FALSE(tree_->select_folder(gone)) << gone;
    EXPECT_FALSE(list_->navigate(gone)) << gone;
    EXPECT_FALSE(combo_->set_path(gone)) << gone;
  }
  EXPECT_FALSE(combo_->set_path(std::string(1, missing)));
  EXPECT_EQ(tree_->selected_folder(), root_);
  EXPECT_EQ(list_->folder(), root_);
  EXPECT_EQ(combo_->path(), root_);
  EXPECT_EQ(tree_changes_.count + list_changes_.count + combo_changes_.count, 0);
}

TEST_F(ShellControlsTest, TheComboTakesChosenAndTypedPaths) {
  ASSERT_TRUE(combo_->set_path(std::string(1, root_[0])));
  EXPECT_EQ(combo_->path(), root_of(root_)) << "a drive letter alone names its root";
  ASSERT_TRUE(combo_->set_path(at("Alpha\\Inner")));
  const std::vector<std::string> entries = combo_->entry_paths();
  const std::vector<std::string> chain = folder_chain(at("Alpha\\Inner"));
  const auto drive = std::find(entries.begin(), entries.end(), chain.front());
  ASSERT_NE(drive, entries.end());
  EXPECT_EQ(std::vector<std::string>(drive, drive + static_cast<std::ptrdiff_t>(chain.size())), chain)
      << "the path's folders below its drive";
  EXPECT_EQ(window_text(combo_->inner()), at("Alpha\\Inner"));
  EXPECT_EQ(combo_->property_text("Text"), at("Alpha\\Inner"));
  EXPECT_EQ(tree_->selected_folder(), at("Alpha\\Inner"));
  EXPECT_EQ(combo_changes_.count + tree_changes_.count, 0);

  // Typed and confirmed with Enter.
  SetWindowTextA(combo_edit(), at("beta").c_str());
  MSG enter{combo_edit(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_NE(SendMessageA(combo_edit(), WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) & DLGC_WANTMESSAGE, 0);
  SendMessageA(combo_edit(), WM_KEYDOWN, VK_RETURN, 0);
  pump();
  EXPECT_EQ(combo_changes_.values, std::vector<std::string>{at("beta")});
  EXPECT_EQ(tree_->selected_folder(), at("beta"));
  EXPECT_EQ(tree_changes_.values, std::vector<std::string>{at("beta")});
  EXPECT_EQ(list_->folder(), at("beta"));

  // A folder that does not exist is refused.
  SetWindowTextA(combo_edit(), at("missing").c_str());
  SendMessageA(combo_edit(), WM_KEYDOWN, VK_RETURN, 0);
  pump();
  EXPECT_EQ(combo_->path(), at("beta"));
  EXPECT_EQ(window_text(combo_->inner()), at("beta"));
  EXPECT_EQ(combo_changes_.count, 1);

  // Chosen in the list: the parent folder.
  const std::vector<std::string> now = combo_->entry_paths();
  const auto parent = std::find(now.begin(), now.end(), root_);
  ASSERT_NE(parent, now.end());
  SendMessageA(combo_->inner(), CB_SETCURSEL, static_cast<WPARAM>(parent - now.begin()), 0);
  SendMessageA(combo_->window(), WM_COMMAND, MAKEWPARAM(0, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo_->inner()));
  SendMessageA(combo_->window(), WM_COMMAND, MAKEWPARAM(0, CBN_CLOSEUP), reinterpret_cast<LPARAM>(combo_->inner()));
  pump();
  EXPECT_EQ(combo_changes_.values, (std::vector<std::string>{at("beta"), root_}));
  EXPECT_EQ(list_->folder(), root_);

  EXPECT_FALSE(combo_->set_path(at("missing")));
  EXPECT_EQ(combo_->path(), root_);
}

TEST_F(ShellControlsTest, BindingTurnsHideSelectionOff) {
  const auto style = [](HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)); };
  EXPECT_TRUE(style(tree_->inner()) & TVS_SHOWSELALWAYS) << "the definition's HideSelection = False";
  EXPECT_FALSE(style(list_->inner()) & LVS_SHOWSELALWAYS);
  EXPECT_EQ(style(list_->inner()) & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));
  EXPECT_TRUE(list_->set_property_text("HideSelection", "False"));
  EXPECT_TRUE(style(list_->inner()) & LVS_SHOWSELALWAYS);
  EXPECT_EQ(style(list_->inner()) & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT)) << "the rest stays";
  EXPECT_TRUE(tree_->set_property_text("HideSelection", "True"));
  EXPECT_FALSE(style(tree_->inner()) & TVS_SHOWSELALWAYS);
  EXPECT_TRUE(list_->set_property_text("ViewStyle", "vsList"));
  EXPECT_EQ(style(list_->inner()) & LVS_TYPEMASK, static_cast<DWORD>(LVS_LIST));
  EXPECT_EQ(list_->property_text("HideSelection"), "False");
}

TEST_F(ShellControlsTest, APageWithEveryFolderControl) {
  const std::string text = R"(object PoolTemplate: TPoolTemplate
  Caption = 'Folders, files and drives'
  ClientHeight = 330
  ClientWidth = 620
  Font.Name = 'Tahoma'
  Font.Height = -11
  PixelsPerInch = 96
  object Drives: TDriveComboBox
    Left = 8
    Top = 8
    Width = 180
    Height = 19
    DirList = Folders
  end
  object Folders: TDirectoryListBox
    Left = 8
    Top = 36
    Width = 180
    Height = 150
    FileList = Files
  end
  object Files: TFileListBox
    Left = 196
    Top = 36
    Width = 150
    Height = 150
    ShowGlyphs = True
  end
  object Filter: TFilterComboBox
    Left = 196
    Top = 8
    Width = 150
    Height = 21
    FileList = Files
    Filter = 'All files (*.*)|*.*|Text files (*.txt)|*.txt'
  end
  object Path: TPTShellCombo
    Left = 356
    Top = 8
    Width = 256
    Height = 21
    ShellTree = Tree
    ShellList = List
  end
  object Tree: TPTShellTree
    Left = 356
    Top = 36
    Width = 256
    Height = 150
    HideSelection = False
    ShellList = List
    ShellCombo = Path
  end
  object List: TPTShellList
    Left = 8
    Top = 194
    Width = 604
    Height = 128
    ViewStyle = vsReport
    HideSelection = False
  end
end
)";
  const std::unique_ptr<WizardPage> page = WizardPage::load(parse_form_text(text, "all.dfm"), "all.dfm");
  HWND window = page->create_window();
  ASSERT_NE(window, nullptr);
  dynamic_cast<DirectoryListBoxControl*>(page->find("Folders"))->set_directory(at("Alpha"));
  dynamic_cast<FileListBoxControl*>(page->find("Files"))->apply_path(at("readme.txt"));
  dynamic_cast<ShellTreeControl*>(page->find("Tree"))->select_folder(root_);
  auto* list = dynamic_cast<ShellListControl*>(page->find("List"));
  SendMessageA(list->inner(), WM_KEYDOWN, VK_DOWN, 0);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  pump();
  test::save_window_picture(window, "folder_and_shell_controls");

  EXPECT_EQ(dynamic_cast<ShellComboControl*>(page->find("Path"))->path(), root_);
  EXPECT_EQ(list->folder(), root_);
  EXPECT_EQ(list->selected_path(), at("Alpha"));
}

// A folder of ten thousand files (made by the build) is listed at once: the
// list asks for the items it shows only.
TEST(ShellControlsLoadTest, AFolderOfTenThousandFilesIsListedAtOnce) {
  const std::string many = folder_path(test::program_folder() + "folder_fixtures\\many_files");
  ASSERT_TRUE(is_folder(many)) << many;
  const std::unique_ptr<WizardPage> page = WizardPage::load(parse_form_text(R"(object Page: TPoolTemplate
  object List: TPTShellList
    Left = 8
    Top = 8
    Width = 300
    Height = 150
    ViewStyle = vsReport
  end
end
)",
                                                                             "many.dfm"),
                                                             "many.dfm");
  page->create_window();
  ShowWindow(page->window(), SW_SHOWNA);
  auto* list = dynamic_cast<ShellListControl*>(page->find("List"));
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(list->navigate(many));
  UpdateWindow(page->window());
  pump();
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(list->item_names().size(), 10000u);
  EXPECT_EQ(SendMessageA(list->inner(), LVM_GETITEMCOUNT, 0, 0), 10000);
  EXPECT_LT(took, std::chrono::seconds(5));
}

}  // namespace
}  // namespace qm
