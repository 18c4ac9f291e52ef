// A wizard page in a real setup under Wine: the page of
// tests/wizard/fixtures/welcome.dfm (in bin\qvx_fixtures\wizard.7z) shown by
// a wizard loop, used from this test as a user would, and the variables the
// script ends with.

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "tests/support/message_box.h"
#include "tests/support/screen_capture.h"
#include "tests/support/script_text.h"
#include "tests/support/setup_folder.h"
#include "tests/support/window_finder.h"

namespace qm {
namespace {

// Records are as long as the build tool writes them: every field, empty or not.
constexpr const char* kScript =
    "Set Variable | AGREE | FALSE\n"
    "Wizard Loop\n"
    "Display Dialog | welcome | RESULT | TRUE | | |\n"
    "End\n"
    "dump";
constexpr const char* kCaption = "Welcome to Sample Product - Quillmore Wizard";

HWND control(HWND page, const char* window_class, const char* text) {
  return FindWindowExA(page, nullptr, window_class, text);
}

// The text of a control of another program: GetWindowText does not ask
// another program's controls for it.
std::string text_of(HWND window) {
  char text[512] = {};
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// Runs the setup; `user` gets its page.
std::map<std::string, std::string> run_with_user(const std::function<void(HWND)>& user, const std::string& script = kScript) {
  test::SetupFolder folder(test::script_package(script).text(), "wizard.7z");
  test::StartedProgram setup = folder.start("");
  HWND page = test::wait_for_program_window(folder.setup(), "QuillmoreWizardPage", kCaption);
  if (page != nullptr) user(page);
  if (page == nullptr || ::testing::Test::HasFatalFailure()) setup.end();
  EXPECT_NE(page, nullptr) << "no page";
  EXPECT_EQ(setup.wait(), 0u);
  return folder.variables();
}

TEST(WizardRunTest, TheUserFillsThePageAndGoesOn) {
  std::string folder_shown;
  bool next_enabled_at_first = true;
  const auto variables = run_with_user([&](HWND page) {
    folder_shown = text_of(control(page, "Edit", nullptr));
    next_enabled_at_first = IsWindowEnabled(control(page, "Button", "&Next >")) != FALSE;
    SendMessageA(control(page, "Button", "I accept the licence"), BM_CLICK, 0, 0);
    SendMessageA(control(page, "Edit", nullptr), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("D:\\Chosen\\"));
    RedrawWindow(page, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    test::save_window_picture(page, "wizard_welcome");
    SendMessageA(control(page, "Button", "&Next >"), BM_CLICK, 0, 0);
  });
  EXPECT_NE(folder_shown.find("\\Sample Product\\"), std::string::npos) << "TARGETDIR, substituted: " << folder_shown;
  EXPECT_FALSE(next_enabled_at_first) << "the rule keeps Next off until the box is ticked";
  EXPECT_EQ(variables.at("AGREE"), "TRUE");
  EXPECT_EQ(variables.at("TARGETDIR"), "D:\\Chosen\\");
  EXPECT_EQ(variables.at("RESULT"), "NEXT");
}

TEST(WizardRunTest, CustomButtonsAndCancel) {
  const auto custom = run_with_user([](HWND page) { SendMessageA(control(page, "Button", "&Options"), BM_CLICK, 0, 0); },
                                    "Display Dialog | welcome | RESULT | TRUE | | |\ndump");
  EXPECT_EQ(custom.at("RESULT"), "OPTIONS");

  test::SeenMessageBox confirmation;
  const auto cancelled = run_with_user([&](HWND page) {
    PostMessageA(control(page, "Button", "Cancel"), BM_CLICK, 0, 0);
    confirmation = test::answer_message_box("Sample Product - Quillmore Wizard", IDYES);
  });
  EXPECT_EQ(confirmation.text, "Are you sure you want to cancel?");
  EXPECT_EQ(confirmation.buttons, "YN");
  EXPECT_EQ(cancelled.at("RESULT"), "CANCEL");
  EXPECT_EQ(cancelled.at("ABORT"), "TRUE") << "the cancel request reaches the script";
}

TEST(WizardRunTest, SilentRunsGoOnWithoutPages) {
  test::SetupFolder folder(test::script_package(kScript).text(), "wizard.7z");
  EXPECT_EQ(folder.run("/s"), 0u);
  EXPECT_EQ(folder.variables().at("RESULT"), "NEXT");
  EXPECT_EQ(folder.variables().at("WINDOWHANDLE"), "0");
}

}  // namespace
}  // namespace qm
