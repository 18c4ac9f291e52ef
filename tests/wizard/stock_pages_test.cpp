// The build tool's stock pages in a real setup under Wine, driven from this
// test as a user would drive them: a wizard loop forward and back, the
// licence page's rule, the folder typed in, the progress page following the
// script while it runs, and the variables the script ends with. Every page
// is saved as a picture in build/screenshots/.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <map>

#include "tests/support/message_box.h"
#include "tests/support/screen_capture.h"
#include "tests/support/script_text.h"
#include "tests/support/setup_folder.h"
#include "tests/support/wizard_driver.h"

namespace qm {
namespace {

// Records are as long as the build tool writes them: every field, empty or not.
constexpr const char* kInstallScript =
    "Set Variable | TARGETDIR | C:\\Program Files\\Brennivax\\Sample Product\\\n"
    "Define Component | Program | TRUE | The program itself\n"
    "Set Component Space | Program | 2097152\n"
    "Define Component | Program\\Help | TRUE | Help pages\n"
    "Set Component Space | Program\\Help | 1048576\n"
    "Wizard Loop\n"
    "Display Dialog | welcome | RESULT | TRUE | | |\n"
    "Display Dialog | licence | RESULT | TRUE | | |\n"
    "Display Dialog | folder | RESULT | TRUE | | |\n"
    "Display Dialog | components | RESULT | TRUE | | |\n"
    "Display Dialog | ready | RESULT | TRUE | | |\n"
    "End\n"
    "Display Dialog | progress | PAGE | FALSE | | |\n"
    "Set Variable | PROGRESSTEXT | Copying files\n"
    "Set Variable | PROGRESS | 40\n"
    "MessageBox | Checkpoint | Halfway | 0 | 1 |\n"
    "Set Variable | PROGRESSTEXT | Registering\n"
    "Set Variable | PROGRESS | 90\n"
    "MessageBox | Checkpoint | Nearly | 0 | 1 |\n"
    "Display Dialog | finish | FINISHED | TRUE | | |\n"
    "Get Component State | Program\\Help | HELPSTATE\n"
    "dump";

void picture(const test::WizardDriver& wizard, const char* name) {
  RedrawWindow(wizard.page(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  test::save_window_picture(wizard.page(), name);
}

int bar_position(const test::WizardDriver& wizard, const char* bar) {
  return static_cast<int>(SendMessageA(wizard.control(bar), PBM_GETPOS, 0, 0));
}

// Runs the setup of `script` while `user` drives its wizard; a user that
// stops half-way (a failed assertion) leaves no setup running behind.
std::map<std::string, std::string> run_with_user(const std::string& script,
                                                 const std::function<void(test::WizardDriver&)>& user) {
  test::SetupFolder folder(test::script_package(script).text(), "stock_pages.7z");
  test::StartedProgram setup = folder.start("");
  test::WizardDriver wizard(folder.setup());
  user(wizard);
  if (::testing::Test::HasFatalFailure()) setup.end();
  EXPECT_EQ(setup.wait(), 0u);
  return folder.variables();
}

TEST(StockPagesTest, InstallThroughEveryPage) {
  const auto variables = run_with_user(kInstallScript, [](test::WizardDriver& wizard) {
    ASSERT_TRUE(wizard.wait_for_page("Title"));
    EXPECT_EQ(wizard.text("Title"), "Welcome to the Sample Product Setup Wizard");
    EXPECT_EQ(wizard.caption(), "Sample Product Setup - Quillmore Wizard");
    EXPECT_FALSE(wizard.enabled("Back"));
    picture(wizard, "stock_welcome");
    wizard.click("Next");

    ASSERT_TRUE(wizard.wait_for_page("LicenseText"));
    EXPECT_NE(wizard.text("LicenseText").find("SAMPLE PRODUCT LICENSE"), std::string::npos);
    EXPECT_FALSE(wizard.enabled("Next")) << "not until the licence is accepted";
    wizard.tick("Accept");
    EXPECT_TRUE(wizard.enabled("Next")) << "the page's rule";
    picture(wizard, "stock_licence");
    wizard.click("Back");

    // Back on the first page, and forward again: the licence stays
    // accepted.
    ASSERT_TRUE(wizard.wait_for_page("Title"));
    wizard.click("Next");
    ASSERT_TRUE(wizard.wait_for_page("LicenseText"));
    EXPECT_TRUE(wizard.checked("Accept"));
    EXPECT_TRUE(wizard.enabled("Next"));
    wizard.click("Next");

    ASSERT_TRUE(wizard.wait_for_page("Folder"));
    EXPECT_EQ(wizard.text("Folder"), "C:\\Program Files\\Brennivax\\Sample Product\\");
    EXPECT_NE(wizard.text("Free"), "") << "the target drive's free space";
    wizard.type("Folder", "C:\\Chosen\\Sample\\");
    picture(wizard, "stock_folder");
    wizard.click("Next");

    // The feature tree: the context-menu key on Help, and the menu's third
    // item makes it unavailable.
    ASSERT_TRUE(wizard.wait_for_page("Features"));
    EXPECT_EQ(wizard.text("Required"), "3,072 KB");
    EXPECT_EQ(wizard.text("Description"), "The program itself");
    HWND tree = wizard.control("Features");
    const auto root = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    const auto help = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, root);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, help);
    EXPECT_EQ(wizard.text("Description"), "Help pages");
    picture(wizard, "stock_components");
    SetForegroundWindow(wizard.page());
    SetFocus(tree);
    PostMessageA(tree, WM_KEYDOWN, VK_APPS, 0);
    Sleep(1000);
    test::press_keys({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    // The setup handles the keys in its own time.
    for (int wait = 0; wait < 100 && wizard.text("Required") != "2,048 KB"; ++wait) Sleep(20);
    EXPECT_EQ(wizard.text("Required"), "2,048 KB") << "Help is no longer counted";
    wizard.click("Next");

    ASSERT_TRUE(wizard.wait_for_page("Summary"));
    EXPECT_NE(wizard.text("Summary").find("C:\\Chosen\\Sample\\"), std::string::npos) << wizard.text("Summary");
    picture(wizard, "stock_ready");
    wizard.click("Next");

    // The progress page stays up while the script goes on.
    const test::SeenMessageBox halfway = test::answer_message_box("Checkpoint", IDOK, [&] {
      ASSERT_TRUE(wizard.wait_for_page("Progress"));
      EXPECT_EQ(wizard.text("Status"), "Copying files");
      EXPECT_EQ(bar_position(wizard, "Progress"), 40);
      // The box waits at the screen's corner while the page is
      // pictured.
      SetWindowPos(FindWindowA("#32770", "Checkpoint"), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      picture(wizard, "stock_progress");
    });
    EXPECT_EQ(halfway.text, "Halfway");
    test::answer_message_box("Checkpoint", IDOK, [&] {
      EXPECT_EQ(wizard.text("Status"), "Registering");
      EXPECT_EQ(bar_position(wizard, "Progress"), 90);
    });

    ASSERT_TRUE(wizard.wait_for_page("Title"));
    EXPECT_EQ(wizard.text("Next"), "&Finish");
    EXPECT_FALSE(wizard.enabled("Cancel"));
    picture(wizard, "stock_finish");
    wizard.click("Next");
  });
  if (HasFatalFailure()) return;
  EXPECT_EQ(variables.at("RESULT"), "NEXT");
  EXPECT_EQ(variables.at("PAGE"), "NOTMODAL");
  EXPECT_EQ(variables.at("FINISHED"), "NEXT");
  EXPECT_EQ(variables.at("LICENSEACCEPTED"), "TRUE");
  EXPECT_EQ(variables.at("LICENSEDECLINED"), "FALSE");
  EXPECT_EQ(variables.at("TARGETDIR"), "C:\\Chosen\\Sample\\");
  EXPECT_EQ(variables.at("HELPSTATE"), "FALSE") << "made unavailable through the feature tree's menu";
}

TEST(StockPagesTest, MaintenanceChoices) {
  const auto variables =
      run_with_user("Display Dialog | maintenance | RESULT | TRUE | | |\ndump", [](test::WizardDriver& wizard) {
        ASSERT_TRUE(wizard.wait_for_page("Repair"));
        EXPECT_TRUE(wizard.checked("Modify"));
        wizard.tick("Repair");
        picture(wizard, "stock_maintenance");
        wizard.click("Next");
      });
  if (HasFatalFailure()) return;
  EXPECT_EQ(variables.at("REPAIR"), "TRUE");
  EXPECT_EQ(variables.at("MODIFY"), "FALSE");
  EXPECT_EQ(variables.at("REMOVE"), "FALSE");
}

}  // namespace
}  // namespace qm
