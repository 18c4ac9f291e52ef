// A page shown without waiting, in this process: its progress display, the
// controls that follow variables while it is up, the support texts and size
// texts it shows, and the variables its controls write.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "engine/engine.h"
#include "engine/progress.h"
#include "tests/support/engine_run.h"
#include "tests/support/script_text.h"
#include "wizard/wizard.h"

namespace qm {
namespace {

constexpr const char* kPage = R"(object PoolTemplate: TPoolTemplate
  Caption = 'Installing $TITLE$'
  ClientWidth = 400
  ClientHeight = 300
  object Status: TStaticText
    Tag = 1
    Left = 8
    Top = 8
    Width = 300
    Height = 16
  end
  object Bar: TProgressBar
    Tag = 1
    Left = 8
    Top = 28
    Width = 300
    Height = 12
  end
  object Share: TProgressBar
    Tag = 100
    Hint = 'SHARE'
    Left = 8
    Top = 44
    Width = 300
    Height = 12
  end
  object Heading: TLabel
    Left = 8
    Top = 60
    Caption = 'Step $STEP$'
  end
  object Readme: TMemo
    Tag = 1
    Left = 8
    Top = 80
    Width = 300
    Height = 40
  end
  object License: TMemo
    Tag = 2
    Left = 8
    Top = 124
    Width = 300
    Height = 40
  end
  object Folder: TEdit
    Hint = 'FOLDER'
    Left = 8
    Top = 168
    Width = 200
    Height = 21
  end
  object FolderCopy: TEdit
    Tag = 100
    Hint = 'FOLDER'
    Left = 212
    Top = 168
    Width = 180
    Height = 21
  end
  object Target: TEdit
    Tag = 2
    Left = 8
    Top = 192
    Width = 200
    Height = 21
  end
  object Typical: TRzRadioButton
    Hint = 'TYPICAL'
    Left = 8
    Top = 216
    Width = 96
    Height = 17
    Caption = 'Typical'
  end
  object Custom: TRzRadioButton
    Hint = 'CUSTOM'
    Left = 108
    Top = 216
    Width = 96
    Height = 17
    Caption = 'Custom'
  end
  object Edition: TComboBox
    Hint = 'EDITION'
    Style = csDropDownList
    Left = 208
    Top = 216
    Width = 100
    Height = 21
    Items.Strings = (
      'Home'
      'Professional')
  end
  object Required: TStaticText
    Tag = 4
    Left = 8
    Top = 244
    Width = 150
    Height = 16
  end
  object Free: TStaticText
    Tag = 5
    Left = 160
    Top = 244
    Width = 150
    Height = 16
  end
end
)";

class PageBehaviourTest : public ::testing::Test {
 protected:
  PageBehaviourTest() : run_(test::script_package("Display Dialog | status | R | FALSE | | |")) {
    run_.engine().commands.replace("Display Dialog", [](Engine&, const ScriptLine&) {});
    run_.run();
    Engine& engine = run_.engine();
    engine.set_silent(false);
    CreateDirectoryA(engine.startup.support_folder.c_str(), nullptr);
    test::write_file(engine.startup.support_folder + "status.dfm", kPage);
    engine.variables.define("STEP", "1", "test");
    engine.variables.define("SHARE", "25", "test");
    engine.variables.define("FOLDER", "C:\\\\Data\\\\", "test");
    engine.variables.define("TARGETDIR", "C:\\Program Files\\Vendor\\App\\", "test");
    engine.variables.define("CUSTOM", "TRUE", "test");
    engine.variables.define("EDITION", "professional", "test");
    auto wizard = std::make_unique<Wizard>();
    wizard_ = wizard.get();
    engine.user_interface = std::move(wizard);
  }

  WizardPage& show() {
    Engine& engine = run_.engine();
    wizard_->preload_dialog(engine, 1);
    const DialogOutcome outcome = wizard_->show_dialog(engine, 1, false);
    engine.current_window = outcome.window;
    return *wizard_->page(1);
  }

  // The progress as the engine's display shows it on the page.
  void display(const ProgressState& progress) { update_progress_display(run_.engine(), progress, false); }

  std::string text(WizardPage& page, const char* control, const char* property) {
    Control* found = page.find(control);
    return found == nullptr ? "?" : found->property_text(property).value_or("?");
  }

  test::EngineRun run_;
  Wizard* wizard_ = nullptr;  // the engine's user interface
};

TEST_F(PageBehaviourTest, ProgressOfEveryRangeOnTheBar) {
  WizardPage& page = show();
  display({"Copying files", 0, 100, 40});
  EXPECT_EQ(text(page, "Status", "Caption"), "Copying files");
  EXPECT_EQ(text(page, "Bar", "Position"), "40");

  // Past 32 bits the bar counts in units of 1024.
  display({"Large", 0, 5000000000, 2500000000});
  EXPECT_EQ(text(page, "Bar", "Max"), "4882812");
  EXPECT_EQ(text(page, "Bar", "Position"), "2441406");
  EXPECT_EQ(SendMessageA(page.find("Bar")->window(), PBM_GETRANGE, FALSE, 0), 4882812);
}

TEST_F(PageBehaviourTest, MarqueeAndBackToTheStoredNumbers) {
  WizardPage& page = show();
  HWND bar = page.find("Bar")->window();
  run_.engine().variables.define("PROGRESSMODE", "MARQUEE", "test");
  display({"Waiting", 0, 100, 30});
  EXPECT_EQ(text(page, "Bar", "Style"), "pbstMarquee");
  EXPECT_NE(GetWindowLongPtrA(bar, GWL_STYLE) & PBS_MARQUEE, 0);

  run_.engine().variables.define("PROGRESSMODE", "", "test");
  display({"Working", 0, 100, 70});
  EXPECT_EQ(GetWindowLongPtrA(bar, GWL_STYLE) & PBS_MARQUEE, 0);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 70);
}

TEST_F(PageBehaviourTest, ControlsFollowTheirVariablesWhileThePageIsUp) {
  WizardPage& page = show();
  Engine& engine = run_.engine();
  EXPECT_EQ(text(page, "Heading", "Caption"), "Step 1");
  display({"", 0, 100, 0});
  EXPECT_EQ(text(page, "Share", "Position"), "25");
  engine.variables.define("STEP", "2", "test");
  engine.variables.define("SHARE", "lots", "test");
  display({"", 0, 100, 0});
  EXPECT_EQ(text(page, "Heading", "Caption"), "Step 2");
  EXPECT_EQ(text(page, "Share", "Position"), "100") << "no number fills a Tag 100 bar";
}

// "Set Variable" of PROGRESS reaches the page at once, through the record.
TEST_F(PageBehaviourTest, SetVariableOfProgressShowsAtOnce) {
  WizardPage& page = show();
  Engine& engine = run_.engine();
  engine.variables.define("PROGRESS", "40", "test");
  ASSERT_TRUE(publish_progress(engine, ProgressPush::kAlways));
  EXPECT_EQ(text(page, "Bar", "Position"), "40");
  EXPECT_EQ(engine.progress.stored().position, 40);
}

TEST_F(PageBehaviourTest, SupportTextsAndTheirNotes) {
  Engine& engine = run_.engine();
  test::write_file(engine.startup.support_folder + "readme.txt", "Read me first.");
  WizardPage& page = show();
  EXPECT_EQ(text(page, "Readme", "Text"), "Read me first.");
  EXPECT_EQ(text(page, "License", "Text"),
            "Add a license..txt or license.txt file to your project as a support file/creative to display it here.");
}

TEST_F(PageBehaviourTest, EditsRadioButtonsAndCombos) {
  WizardPage& page = show();
  Engine& engine = run_.engine();
  EXPECT_EQ(text(page, "Folder", "Text"), "C:\\Data\\") << "doubled backslashes collapsed";
  EXPECT_EQ(text(page, "Target", "Text"), "C:\\Program Files\\Vendor\\App\\") << "Tag 2 without a variable";
  EXPECT_EQ(text(page, "Custom", "Checked"), "True");
  EXPECT_EQ(text(page, "Edition", "Text"), "Professional") << "a drop-down list selects ignoring case";

  // Typing in one edit: its variable, and the Tag 100 edit of the same variable.
  SetWindowTextA(page.find("Folder")->window(), "D:\\Other");
  EXPECT_EQ(engine.variables.get("FOLDER"), "D:\\Other");
  EXPECT_EQ(text(page, "FolderCopy", "Text"), "D:\\Other");

  // Ticking one radio button writes every bound one.
  SendMessageA(page.find("Typical")->window(), BM_CLICK, 0, 0);
  EXPECT_EQ(engine.variables.get("TYPICAL"), "TRUE");
  EXPECT_EQ(engine.variables.get("CUSTOM"), "FALSE");
}

TEST_F(PageBehaviourTest, SizeTextsOfTheSelection) {
  Engine& engine = run_.engine();
  engine.components.define("Program", true, "The program");
  engine.components.set_size("Program", 3 * 1048576);
  engine.variables.define("TARGETDIR", "C:\\", "test");
  WizardPage& page = show();
  EXPECT_EQ(text(page, "Required", "Caption"), "3,072 KB");
  EXPECT_FALSE(text(page, "Free", "Caption").empty()) << "the target drive's real free space";
  engine.variables.define("TARGETDIR", "", "test");
  SetWindowTextA(page.find("Folder")->window(), "changed");
  EXPECT_EQ(text(page, "Free", "Caption"), "") << "no target: no free space to show";
}

TEST_F(PageBehaviourTest, TheCaptionCarriesTheWizardNameUnlessAskedNotTo) {
  WizardPage& page = show();
  EXPECT_EQ(page.form().property_text("Caption"), "Installing Sample Product - Quillmore Wizard");
  run_.engine().variables.define("VRAKLOGO", "TRUE", "test");
  WizardPage& again = show();
  EXPECT_EQ(again.form().property_text("Caption"), "Installing Sample Product");
}

}  // namespace
}  // namespace qm
