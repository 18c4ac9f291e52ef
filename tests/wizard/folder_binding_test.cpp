// The file, folder, drive and shell controls bound on a page the wizard
// shows: where each starts (its Hint variable, or with Tag 1 the nearest
// existing target folder), the user's choice written into its variable, the
// Tag 100 controls following it, and a Tag 1 choice moving the target with
// the part of it that does not exist yet.

#include <gtest/gtest.h>

#include <windows.h>

#include "engine/engine.h"
#include "tests/support/engine_run.h"
#include "tests/support/script_text.h"
#include "tests/support/temp_folder.h"
#include "tests/wizard/control_test_page.h"
#include "wizard/folder_controls.h"
#include "wizard/folder_paths.h"
#include "wizard/shell_controls.h"
#include "wizard/wizard.h"

namespace qm {
namespace {

constexpr const char* kPage = R"(object PoolTemplate: TPoolTemplate
  Caption = 'Folders'
  ClientWidth = 620
  ClientHeight = 330
  object Target: TEdit
    Tag = 2
    Hint = 'TARGETDIR'
    Left = 8
    Top = 8
    Width = 600
    Height = 21
  end
  object Folders: TDirectoryListBox
    Tag = 1
    Hint = 'CHOSENDIR'
    Left = 8
    Top = 36
    Width = 190
    Height = 160
  end
  object Files: TFileListBox
    Hint = 'PICKED'
    Left = 206
    Top = 36
    Width = 190
    Height = 160
  end
  object Tree: TPTShellTree
    Tag = 100
    Hint = 'CHOSENDIR'
    Left = 404
    Top = 36
    Width = 200
    Height = 160
  end
  object Drives: TDriveComboBox
    Hint = 'DRIVEVAR'
    Left = 8
    Top = 204
    Width = 190
    Height = 21
  end
  object Combo: TPTShellCombo
    Tag = 1
    Left = 206
    Top = 204
    Width = 190
    Height = 21
  end
  object Listed: TPTShellList
    Hint = 'LISTED'
    Left = 8
    Top = 232
    Width = 390
    Height = 90
  end
end
)";

class FolderBindingTest : public ::testing::Test {
 protected:
  FolderBindingTest() : run_(test::script_package("Display Dialog | folders | R | FALSE | | |")) {
    run_.engine().commands.replace("Display Dialog", [](Engine&, const ScriptLine&) {});
    run_.run();
    root_ = folder_path(temp_.path());
    CreateDirectoryA(at("docs").c_str(), nullptr);
    CreateDirectoryA(at("tools").c_str(), nullptr);
    test::write_file(at("docs\\readme.txt"), "text");
    Engine& engine = run_.engine();
    engine.set_silent(false);
    CreateDirectoryA(engine.startup.support_folder.c_str(), nullptr);
    test::write_file(engine.startup.support_folder + "folders.dfm", kPage);
    // The target's last two folders do not exist yet.
    engine.variables.define("TARGETDIR", root_ + "\\Vendor\\App\\", "test");
    engine.variables.define("PICKED", at("docs\\readme.txt"), "test");
    engine.variables.define("DRIVEVAR", "z:\\anything", "test");
    engine.variables.define("LISTED", at("tools\\nothing.txt"), "test");
  }

  WizardPage& show() {
    wizard_.preload_dialog(run_.engine(), 1);
    wizard_.show_dialog(run_.engine(), 1, false);
    return *wizard_.page(1);
  }

  std::string at(const std::string& name) const { return root_ + "\\" + name; }

  static int index_of(const std::vector<std::string>& items, const std::string& wanted) {
    for (std::size_t i = 0; i < items.size(); ++i)
      if (items[i] == wanted) return static_cast<int>(i);
    return -1;
  }

  test::TempFolder temp_;
  std::string root_;
  test::EngineRun run_;
  Wizard wizard_;
};

TEST_F(FolderBindingTest, ControlsStartAtTheirVariablesOrTheTarget) {
  WizardPage& page = show();
  EXPECT_EQ(static_cast<DirectoryListBoxControl*>(page.find("Folders"))->directory(), root_)
      << "Tag 1: the nearest target folder that exists";
  EXPECT_EQ(static_cast<FileListBoxControl*>(page.find("Files"))->directory(), at("docs"))
      << "the folder part of the variable";
  EXPECT_EQ(static_cast<DriveComboBoxControl*>(page.find("Drives"))->drive(), 'Z');
  EXPECT_EQ(static_cast<ShellComboControl*>(page.find("Combo"))->path(), root_.substr(0, 3))
      << "Tag 1: the target's drive";
  EXPECT_EQ(static_cast<ShellListControl*>(page.find("Listed"))->folder(), at("tools"));
  EXPECT_EQ(static_cast<ShellTreeControl*>(page.find("Tree"))->selected_folder(), "")
      << "its variable does not exist yet";
  EXPECT_FALSE(run_.engine().variables.exists("CHOSENDIR")) << "binding writes nothing";
}

TEST_F(FolderBindingTest, AChosenFolderIsWrittenFollowedAndMovesTheTarget) {
  WizardPage& page = show();
  auto& folders = *static_cast<DirectoryListBoxControl*>(page.find("Folders"));
  // The user opens "tools" with Enter.
  SendMessageA(folders.inner(), LB_SETCURSEL, static_cast<WPARAM>(index_of(folders.items(), "tools")), 0);
  SendMessageA(folders.inner(), WM_KEYDOWN, VK_RETURN, 0);
  test::pump();

  Engine& engine = run_.engine();
  EXPECT_EQ(engine.variables.get("CHOSENDIR"), at("tools"));
  EXPECT_EQ(static_cast<ShellTreeControl*>(page.find("Tree"))->selected_folder(), at("tools"))
      << "Tag 100 follows its variable";
  EXPECT_EQ(page.find("Target")->property_text("Text"), at("tools") + "\\Vendor\\App\\")
      << "the target keeps its own folders below the chosen one";
  EXPECT_EQ(engine.variables.get("TARGETDIR"), at("tools") + "\\Vendor\\App\\");

  // A file chosen in the list goes into its variable with its full path.
  auto& files = *static_cast<FileListBoxControl*>(page.find("Files"));
  SendMessageA(files.inner(), WM_KEYDOWN, VK_DOWN, 0);
  test::pump();
  EXPECT_EQ(engine.variables.get("PICKED"), at("docs\\readme.txt"));
}

}  // namespace
}  // namespace qm
