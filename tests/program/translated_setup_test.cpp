// A translated product end to end: the real engine with translation tables in
// its resource archive (bin\qvx_fixtures\translated.7z: texts for script lines
// 1 and 2 and the variable COLOUR in English, German and French, and the
// engine's own texts in German), the language chosen in the real dialog or
// taken silently, and switched by the script.

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <thread>

#include "engine/languages.h"
#include "tests/support/message_box.h"
#include "tests/support/screen_capture.h"
#include "tests/support/script_text.h"
#include "tests/support/setup_folder.h"
#include "tests/support/window_finder.h"

namespace qm {
namespace {

// Line 1 and 2 and COLOUR have translations; the script then switches to
// French, and later to French again.
constexpr const char* kScript =
    "Set Variable | GREETING | Hello\n"
    "Set Variable | FAREWELL | Goodbye\n"
    "Localization Variable | COLOUR | Red\n"
    "dump start\n"
    "Set Variable | LANGUAGE | French\n"
    "Localization Variable | COLOUR | Red\n"
    "Set Variable | LANGUAGE | French\n"
    "Set Variable | SHADE | $COLOUR$\n"
    "dump end\n";

struct Texts {
  std::string greeting, farewell, colour, language;
  bool operator==(const Texts&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Texts& t) {
  return out << t.greeting << " / " << t.farewell << " / " << t.colour << " / " << t.language;
}

Texts texts_of(const std::map<std::string, std::string>& variables) {
  const auto value = [&](const char* name) {
    const auto found = variables.find(name);
    return found == variables.end() ? std::string("(undefined)") : found->second;
  };
  return {value("GREETING"), value("FAREWELL"), value("COLOUR"), value("LANGUAGE")};
}

test::PackageText translated_package(const std::string& script, bool language_dialog,
                                     std::vector<std::string> constants = {}) {
  test::PackageText package = test::script_package(script);
  package.default_language = "German";
  package.language_dialog = language_dialog ? "TRUE" : "FALSE";
  package.build_constants = std::move(constants);
  return package;
}

TEST(TranslatedSetupTest, SilentRunsInEveryMode) {
  const std::string script = kScript;
  const std::string newer_script = "Set Variable | GREETING | Hello there\n" + script.substr(script.find('\n') + 1);
  // What a silent run with the language dialog takes: the user's language
  // when the product has it, else the default language.
  const std::string users = user_default_language_name();
  const bool offered = users == "English" || users == "German" || users == "French";
  const Texts silent_choice = !offered || users == "German" ? Texts{"Hallo", "Auf Wiedersehen", "Rot", "German"}
                              : users == "French"          ? Texts{"Bonjour", "Au revoir", "Rouge", "French"}
                                                           : Texts{"Hello", "Goodbye", "Red", "English"};
  const struct {
    const char* what;
    test::PackageText package;
    Texts start;
  } cases[] = {
      {"the default language", translated_package(kScript, false), {"Hallo", "Auf Wiedersehen", "Rot", "German"}},
      {"the language dialog's choice, silently", translated_package(kScript, true), silent_choice},
      {"only localization variables", translated_package(kScript, false, {"LOCMODE", "VARSONLY"}),
       {"Hello", "Goodbye", "Rot", "German"}},
      {"only texts the script left as they were", translated_package(newer_script, false, {"LOCMODE", "NEWONLY"}),
       {"Hello there", "Auf Wiedersehen", "Rot", "German"}},
  };
  for (const auto& c : cases) {
    test::SetupFolder folder(c.package.text(), "translated.7z");
    ASSERT_EQ(folder.run("/s"), 0u) << c.what;
    EXPECT_EQ(texts_of(folder.variables("start")), c.start) << c.what;
    const auto end = folder.variables("end");
    EXPECT_EQ(texts_of(end).colour, "Rouge") << c.what << ": later lines use the language the script chose";
    EXPECT_EQ(texts_of(end).language, "French") << c.what;
    EXPECT_EQ(end.count("SHADE") ? end.at("SHADE") : "", "Rouge") << c.what;
  }
}

// Runs the setup with a user at the screen: `user` gets the language dialog.
std::uint32_t run_with_user(const test::SetupFolder& folder, const std::function<void(HWND)>& user) {
  test::StartedProgram setup = folder.start("");
  HWND dialog = test::wait_for_program_window(folder.setup(), "QuillmoreDialogForm", "Select Setup Language");
  if (dialog != nullptr) user(dialog);
  if (dialog == nullptr || ::testing::Test::HasFatalFailure()) setup.end();
  EXPECT_NE(dialog, nullptr) << "no language dialog";
  return setup.wait();
}

HWND child(HWND window, const char* window_class, const char* text = nullptr) {
  return FindWindowExA(window, nullptr, window_class, text);
}

// Selects a language by name and presses OK.
std::function<void(HWND)> choose(const char* language) {
  return [language](HWND dialog) {
    HWND list = child(dialog, "ComboBox");
    SendMessageA(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(language));
    SendMessageA(child(dialog, "Button", "&OK"), BM_CLICK, 0, 0);
  };
}

TEST(TranslatedSetupTest, TheUserChoosesTheLanguage) {
  test::SetupFolder folder(translated_package(kScript, true).text(), "translated.7z");
  EXPECT_EQ(run_with_user(folder,
                          [](HWND dialog) {
                            test::save_window_picture(dialog, "language_dialog_in_setup");
                            choose("French")(dialog);
                          }),
            0u);
  EXPECT_EQ(texts_of(folder.variables("start")), (Texts{"Bonjour", "Au revoir", "Rouge", "French"}));
}

TEST(TranslatedSetupTest, CancellingTheLanguageDialogEndsTheSetup) {
  test::SetupFolder folder(translated_package(kScript, true).text(), "translated.7z");
  const std::size_t support_folders = test::support_folders_in_temp();
  EXPECT_EQ(run_with_user(folder,
                          [](HWND dialog) { SendMessageA(child(dialog, "Button", "&Cancel"), BM_CLICK, 0, 0); }),
            0u);
  EXPECT_TRUE(folder.variables("start").empty()) << "no script line ran";
  EXPECT_EQ(test::support_folders_in_temp(), support_folders) << "the run cleaned up";
}

// The engine's own texts follow the chosen language: a run-time error is
// reported with the German heading the product brings.
TEST(TranslatedSetupTest, TheEnginesTextsInTheChosenLanguage) {
  test::SetupFolder folder(translated_package("Terminate with Exit Code | soon", true).text(), "translated.7z");
  std::string report;
  std::thread answering([&] { report = test::answer_message_box("Sample Product - Quillmore Wizard"); });
  run_with_user(folder, choose("German"));
  answering.join();
  EXPECT_EQ(report, "Deutsch 20\r\rLine 2: 'soon' is not a valid integer value");
}

}  // namespace
}  // namespace qm
