// "MessageBox" answered by a user in a real setup; "System Tray" and
// "MessageBalloon" on a window of this test.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <thread>

#include "platform/tray_icon.h"
#include "tests/support/engine_run.h"
#include "tests/support/message_box.h"
#include "tests/support/screen_capture.h"
#include "tests/support/script_text.h"
#include "tests/support/setup_folder.h"

namespace qm {
namespace {

using test::EngineRun;

TEST(MessageCommandsTest, TheUserAnswersAMessageBox) {
  const struct {
    const char* line;
    int press;
    const char* buttons;  // what the box offers
    const char* answer;   // null: ANSWER stays undefined
  } cases[] = {
      {"MessageBox | Question | Go on with $TITLE$? | 1 | 4 | answer", IDNO, "YN", "NO"},
      {"MessageBox | Question | Go on with $TITLE$? | 1 | 5 | ANSWER", IDCANCEL, "CYN", "CANCEL"},
      {"MessageBox | Question | Go on with $TITLE$? | 3 | 0 | ANSWER", IDRETRY, "ARI", "RETRY"},
      {"MessageBox | Question | Go on with $TITLE$? | 0 | 2 | ANSWER", IDOK, "OC", "OK"},
      {"MessageBox | Question | Go on with $TITLE$? | 9 | 99 | ANSWER", IDOK, "O", "OK"},
      {"MessageBox | Question | Go on with $TITLE$? | 2 | 4 | ", IDYES, "YN", nullptr},
  };
  for (const auto& c : cases) {
    test::SetupFolder folder(test::script_package(std::string(c.line) + "\ndump").text());
    test::SeenMessageBox seen;
    const std::string picture = c.press == IDNO ? "message_box" : "";
    std::thread user([&] { seen = test::answer_message_box("Question", c.press, picture); });
    EXPECT_EQ(folder.run(""), 0u) << c.line;
    user.join();
    EXPECT_EQ(seen.text, "Go on with Sample Product?") << c.line;
    EXPECT_EQ(seen.buttons, c.buttons) << c.line;
    const auto variables = folder.variables();
    if (c.answer != nullptr) {
      EXPECT_EQ(variables.count("ANSWER") ? variables.at("ANSWER") : "(undefined)", c.answer) << c.line;
    } else {
      EXPECT_EQ(variables.count("ANSWER"), 0u) << c.line;
    }
  }
}

// The page that owned the box may be gone; the box is shown all the same.
TEST(MessageCommandsTest, AnOwnerThatIsGoneStillGetsItsAnswer) {
  EngineRun run(test::script_package("MessageBox | Gone | Still there? | 1 | 4 | ANSWER"));
  HWND page = CreateWindowExA(0, "STATIC", "page", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(page);
  run.engine().set_silent(false);
  run.engine().current_window = page;
  test::SeenMessageBox seen;
  std::thread user([&] { seen = test::answer_message_box("Gone", IDYES); });
  ASSERT_TRUE(run.run());
  user.join();
  EXPECT_TRUE(seen.shown);
  EXPECT_EQ(run.get("ANSWER"), "YES");
}

TEST(MessageCommandsTest, SilentRunsShowNothing) {
  test::SetupFolder folder(
      test::script_package("MessageBox | Question | Really? | 1 | 4 | ANSWER\n"
                           "MessageBalloon | Done | All is well | 0 | 5\n"
                           "System Tray | | TRUE | |\n"
                           "dump")
          .text());
  EXPECT_EQ(folder.run("/s"), 0u);
  EXPECT_EQ(folder.variables().count("ANSWER"), 0u) << "the variable stays undefined";
}

TEST(MessageCommandsTest, FieldsThatAreNoIntegersStopTheScript) {
  for (const char* line : {"MessageBox | T | x | one | 1 | A", "MessageBox | T | x | 1 | $B$ | A",
                           "MessageBalloon | T | x | 0 | soon"}) {
    EngineRun run(test::script_package(line));
    ASSERT_TRUE(run.run());
    EXPECT_TRUE(run.outcome().failed) << line;
    EXPECT_NE(run.outcome().error_report.find("is not a valid integer value"), std::string::npos) << line;
  }
}

// A window standing in for the wizard's current page.
class PageWindow {
 public:
  PageWindow() {
    window_ = CreateWindowExA(0, "STATIC", "page", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window_, SW_SHOW);
  }
  ~PageWindow() { DestroyWindow(window_); }
  HWND handle() const { return window_; }

 private:
  HWND window_;
};

void pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

TEST(MessageCommandsTest, TheWizardGoesToTheTrayAndComesBack) {
  const struct {
    const char* script;
    bool page_visible;
    bool in_tray;
    bool icon_visible;
  } cases[] = {
      {"System Tray | TRUE | | |", false, true, true},
      {"System Tray | true | | |", true, false, false},  // only exactly TRUE counts
      {"System Tray | | TRUE | |", true, false, true},
      {"System Tray | TRUE | | TRUE |", true, false, true},
      {"System Tray | TRUE | | |\nSystem Tray | | | | TRUE", true, false, false},
      {"MessageBalloon | Done | All is well | 1 | 60", true, false, true},
  };
  for (const auto& c : cases) {
    EngineRun run(test::script_package(std::string(c.script) + "\nLabel | end"));
    PageWindow page;
    Engine& engine = run.engine();
    engine.set_silent(false);
    engine.current_window = page.handle();
    // The last line looks at the icon before the end of the script removes it.
    bool icon_visible = false;
    engine.commands.replace("Label", [&](Engine& running, const ScriptLine&) {
      icon_visible = running.tray_icon != nullptr && running.tray_icon->visible();
    });
    ASSERT_TRUE(run.run());
    ASSERT_FALSE(run.outcome().failed) << run.outcome().error_report;
    EXPECT_EQ(IsWindowVisible(page.handle()) != FALSE, c.page_visible) << c.script;
    EXPECT_EQ(engine.in_tray, c.in_tray) << c.script;
    EXPECT_EQ(icon_visible, c.icon_visible) << c.script;
    EXPECT_FALSE(engine.tray_icon != nullptr && engine.tray_icon->visible()) << "gone at the end of the script";
  }
}

// A click on the tray icon brings the wizard back from the tray.
TEST(MessageCommandsTest, AClickOnTheTrayIconRestoresTheWizard) {
  EngineRun run(test::script_package("System Tray | TRUE | | |\nLabel | end"));
  PageWindow page;
  Engine& engine = run.engine();
  engine.set_silent(false);
  engine.current_window = page.handle();
  ASSERT_TRUE(run.run());
  ASSERT_TRUE(engine.in_tray);
  ASSERT_NE(engine.tray_icon, nullptr);
  PostMessageA(engine.tray_icon->window(), platform::TrayIcon::kCallbackMessage, 1, WM_LBUTTONUP);
  pump();
  EXPECT_FALSE(engine.in_tray);
  EXPECT_TRUE(IsWindowVisible(page.handle()));
}

// The balloon at the tray icon, as Windows shows it, in a picture for people
// to look at.
TEST(MessageCommandsTest, TheBalloonShowsAtTheTrayIcon) {
  EngineRun run(test::script_package("MessageBalloon | Setup finished | The product is ready to use. | 0 | 30\nLabel | end"));
  PageWindow page;
  Engine& engine = run.engine();
  engine.set_silent(false);
  engine.current_window = page.handle();
  HWND balloon = nullptr;
  engine.commands.replace("Label", [&](Engine&, const ScriptLine&) {
    for (int attempt = 0; attempt < 100 && balloon == nullptr; ++attempt) {
      pump();
      Sleep(20);
      for (HWND tip = FindWindowExA(nullptr, nullptr, "tooltips_class32", nullptr); tip != nullptr;
           tip = FindWindowExA(nullptr, tip, "tooltips_class32", nullptr)) {
        if (IsWindowVisible(tip) && (GetWindowLongA(tip, GWL_STYLE) & TTS_BALLOON) != 0) balloon = tip;
      }
    }
    if (balloon != nullptr) test::save_window_picture(balloon, "message_balloon");
  });
  ASSERT_TRUE(run.run());
  EXPECT_NE(balloon, nullptr) << "no balloon on the screen";
}

}  // namespace
}  // namespace qm
