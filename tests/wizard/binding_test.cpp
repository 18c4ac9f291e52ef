// Binding a page to the variables, in this process: the real run
// initialisation, a page loaded from a definition in the support folder, shown
// without waiting, and the variables its controls write.

#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/engine_run.h"
#include "tests/support/script_text.h"
#include "wizard/wizard.h"

namespace qm {
namespace {

constexpr const char* kPage = R"(object PoolTemplate: TPoolTemplate
  Caption = 'Notes'
  ClientWidth = 300
  ClientHeight = 200
  object Notes: TMemo
    Hint = 'NOTES'
    Left = 8
    Top = 8
    Width = 200
    Height = 40
  end
  object About: TMemo
    Left = 8
    Top = 52
    Width = 200
    Height = 40
    Lines.Strings = (
      'About $TITLE$'
      'Version $VERSION$')
  end
  object Choice: TListBox
    Hint = 'CHOICE'
    Left = 8
    Top = 96
    Width = 120
    Height = 60
    Items.Strings = (
      'Alpha'
      '$EMPTY$'
      'Beta'
      'Gamma')
  end
  object Status: TStaticText
    Tag = 1
    Left = 8
    Top = 160
    Width = 200
    Height = 16
    Caption = 'not yet'
  end
  object Bar: TProgressBar
    Tag = 1
    Left = 8
    Top = 180
    Width = 200
    Height = 12
  end
end
)";

class BindingTest : public ::testing::Test {
 protected:
  BindingTest() : run_(test::script_package("Display Dialog | notes | R | FALSE | | |")) {
    // The run's variables, without showing anything yet.
    run_.engine().commands.replace("Display Dialog", [](Engine&, const ScriptLine&) {});
    run_.run();
    Engine& engine = run_.engine();
    engine.set_silent(false);
    CreateDirectoryA(engine.startup.support_folder.c_str(), nullptr);
    test::write_file(engine.startup.support_folder + "notes.dfm", kPage);
    engine.variables.define("NOTES", "first line$NEWLINE$second line", "test");
    engine.variables.define("EMPTY", "", "test");
    engine.variables.define("CHOICE", "Beta", "test");
    engine.variables.define("PROGRESSTEXT", "Copying files", "test");
    engine.variables.define("PROGRESS", "40", "test");
  }

  // Loads the page of line 1 and shows it without waiting.
  WizardPage& show() {
    Engine& engine = run_.engine();
    wizard_.preload_dialog(engine, 1);
    wizard_.show_dialog(engine, 1, false);
    return *wizard_.page(1);
  }

  std::string text(Control& control, const char* property) { return control.property_text(property).value_or("?"); }

  test::EngineRun run_;
  Wizard wizard_;
};

TEST_F(BindingTest, ControlsShowTheirVariables) {
  WizardPage& page = show();
  EXPECT_EQ(text(*page.find("Notes"), "Text"), "first line\r\nsecond line");
  EXPECT_EQ(text(*page.find("Notes"), "ReadOnly"), "False");
  EXPECT_EQ(text(*page.find("About"), "Text"), "About Sample Product\r\nVersion 1.2.3");
  EXPECT_EQ(text(*page.find("About"), "ReadOnly"), "True") << "a memo without a variable is only shown";
  EXPECT_EQ(text(*page.find("Choice"), "Items"), "Alpha\r\nBeta\r\nGamma\r\n") << "the empty item is gone";
  EXPECT_EQ(text(*page.find("Choice"), "ItemIndex"), "1") << "the variable's item";
  EXPECT_EQ(text(*page.find("Status"), "Caption"), "Copying files");
  EXPECT_EQ(text(*page.find("Bar"), "Position"), "40");
}

TEST_F(BindingTest, ControlsWriteTheirVariables) {
  WizardPage& page = show();
  Engine& engine = run_.engine();
  // As the user edits it (a multi-line edit does not report WM_SETTEXT).
  HWND notes = page.find("Notes")->window();
  SendMessageA(notes, EM_SETSEL, 0, -1);
  SendMessageA(notes, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("one\r\ntwo"));
  EXPECT_EQ(engine.variables.get("NOTES"), "one$NEWLINE$two");

  HWND list = page.find("Choice")->window();
  SendMessageA(list, LB_SETCURSEL, 2, 0);
  SendMessageA(page.window(), WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  EXPECT_EQ(engine.variables.get("CHOICE"), "Gamma$NEWLINE$");
}

TEST_F(BindingTest, AProgressThatIsNoNumberFillsTheBar) {
  run_.engine().variables.define("PROGRESS", "most", "test");
  WizardPage& page = show();
  EXPECT_EQ(text(*page.find("Bar"), "Position"), "100");
}

}  // namespace
}  // namespace qm
