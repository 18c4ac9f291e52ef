// A translated product in this process: its translation files in the support
// folder, the language chosen at start and switched by the script.

#include <gtest/gtest.h>

#include <windows.h>

#include "engine/localization.h"
#include "engine/run_values.h"
#include "script/path_text.h"
#include "tests/support/engine_run.h"
#include "tests/support/script_text.h"

namespace qm {
namespace {

using test::EngineRun;
using test::PackageText;

// The script lines of every test: line 1 (after script_package's own line 0)
// greets, line 2 says goodbye; COLOUR is a localization variable.
constexpr const char* kScript =
    "Set Variable | GREETING | Hello\n"
    "Set Variable | FAREWELL | Goodbye\n"
    "Localization Variable | $COLOUR$ | Red\n";

// Writes the product's translation files: English, German and French texts
// for lines 1 and 2 and for COLOUR.
void write_translations(const std::string& support, const PackageText& package) {
  CreateDirectoryA(support.c_str(), nullptr);
  const std::string keys = PackageText::line_id(1) + "\r\n" + PackageText::line_id(2) + "\r\nTOVRANEX$COLOUR$TOVRANEX\r\n";
  test::write_file(support + package.product_title + ".mtx", keys);
  test::write_file(support + "translations.Original", "Hello\r\nGoodbye\r\nRed\r\n");
  test::write_file(support + "translations.English", "Hello\r\nGoodbye\r\nRed\r\n");
  test::write_file(support + "translations.German", "Hallo\r\nAuf Wiedersehen\r\nRot\r\n");
  test::write_file(support + "translations.French", "Bonjour\r\nAu revoir\r\nRouge\r\n");
  test::write_file(support + "translations.Map", "Form1.Caption=1\r\n");
}

PackageText translated_package(const std::string& script, const std::string& default_language = "German") {
  PackageText package = test::script_package(script);
  package.default_language = default_language;
  return package;
}

struct Texts {
  std::string greeting, farewell, colour, language;
  bool operator==(const Texts&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Texts& t) {
  return out << t.greeting << " / " << t.farewell << " / " << t.colour << " / " << t.language;
}

Texts run_translated(const PackageText& package, const std::vector<std::string>& missing = {}) {
  EngineRun run(package);
  const std::string support = run.engine().startup.support_folder;
  write_translations(support, package);
  for (const std::string& file : missing) DeleteFileA((support + file).c_str());
  EXPECT_TRUE(run.run());
  EXPECT_FALSE(run.outcome().failed) << run.outcome().error_report;
  const auto value = [&](const char* name) {
    return run.engine().variables.exists(name) ? run.get(name) : std::string("(undefined)");
  };
  return {value("GREETING"), value("FAREWELL"), value("COLOUR"), value("LANGUAGE")};
}

TEST(LocalizationTest, TheLanguageChosenAtStartTranslatesTheScript) {
  const std::string script = kScript;
  const struct {
    const char* what;
    PackageText package;
    Texts texts;
  } cases[] = {
      {"the default language, without a language dialog", translated_package(script),
       {"Hallo", "Auf Wiedersehen", "Rot", "German"}},
      {"a default language that has no translations: none", translated_package(script, "Klingon"),
       {"Hello", "Goodbye", "Red", ""}},
      // (Line 2 has a translation: the switch comes on line 3.)
      {"the script switches languages between lines",
       translated_package("Set Variable | GREETING | Hello\n"
                          "Comment | line 2\n"
                          "Set Variable | LANGUAGE | French\n"
                          "Localization Variable | COLOUR | Red\n"),
       {"Hallo", "(undefined)", "Rouge", "French"}},
      {"a language the product does not have: untranslated from then on",
       translated_package("Localization Variable | COLOUR | Red\n"
                          "Comment | line 2\n"
                          "Set Variable | LANGUAGE | Klingon\n"
                          "Set Variable | GREETING | $COLOUR$\n"
                          "Localization Variable | COLOUR | Red\n"),
       {"Rot", "(undefined)", "Red", ""}},
  };
  for (const auto& c : cases) {
    PackageText package = c.package;
    EXPECT_EQ(run_translated(package), c.texts) << c.what;
  }
}

TEST(LocalizationTest, LocalizationModes) {
  const struct {
    const char* mode;
    const char* script;
    Texts texts;
  } cases[] = {
      {"VARSONLY", kScript, {"Hello", "Goodbye", "Rot", "German"}},
      {"varsonly", kScript, {"Hello", "Goodbye", "Rot", "German"}},
      // The script's texts differ from the source texts: they stay.
      {"NEWONLY",
       "Set Variable | GREETING | Hello there\nSet Variable | FAREWELL | Goodbye\nLocalization Variable | COLOUR | red\n",
       {"Hello there", "Auf Wiedersehen", "red", "German"}},
      {"ALL",
       "Set Variable | GREETING | Hello there\nSet Variable | FAREWELL | Goodbye\nLocalization Variable | COLOUR | red\n",
       {"Hallo", "Auf Wiedersehen", "Rot", "German"}},
  };
  for (const auto& c : cases) {
    PackageText package = translated_package(c.script);
    package.build_constants = {"LOCMODE", c.mode};
    EXPECT_EQ(run_translated(package), c.texts) << c.mode;
  }
}

// Each of the four tables is needed; without one the product runs untranslated.
TEST(LocalizationTest, AMissingTableMeansNoTranslation) {
  for (const char* missing : {"translations.German", "translations.Original", "translations.Map"}) {
    EXPECT_EQ(run_translated(translated_package(kScript), {missing}), (Texts{"Hello", "Goodbye", "Red", ""}))
        << missing;
  }
  // Without the key list the product is not translated at all.
  EXPECT_EQ(run_translated(translated_package(kScript), {"Sample Product.mtx"}),
            (Texts{"Hello", "Goodbye", "Red", ""}));
}

TEST(LocalizationTest, ShortAndEmptyTranslationFilesTranslateWhatTheyHave) {
  PackageText package = translated_package(kScript);
  EngineRun run(package);
  const std::string support = run.engine().startup.support_folder;
  write_translations(support, package);
  test::write_file(support + "translations.German", "Hallo");
  test::write_file(support + "translations.Original", "");
  ASSERT_TRUE(run.run());
  EXPECT_EQ(run.get("GREETING"), "Hallo");
  EXPECT_EQ(run.get("FAREWELL"), "Goodbye");
  EXPECT_EQ(run.get("COLOUR"), "Red");
}

// LANGUAGE set again to the language already loaded loads nothing: the files
// could be gone by then.
TEST(LocalizationTest, TheSameLanguageIsLoadedOnce) {
  EngineRun run(translated_package(kScript));
  Engine& engine = run.engine();
  write_translations(engine.startup.support_folder, PackageText());
  ASSERT_TRUE(run.run());
  engine.variables.set("LANGUAGE", "French", "test");
  refresh_language(engine);
  ASSERT_EQ(engine.translations.translated.at(0), "Bonjour");
  DeleteFileA((engine.startup.support_folder + "translations.French").c_str());
  engine.variables.set("LANGUAGE", "French", "test");
  refresh_language(engine);
  EXPECT_EQ(engine.translations.current_language, "French");
  EXPECT_EQ(engine.translations.translated.at(0), "Bonjour");

  // Emptying LANGUAGE does not switch translations off.
  engine.variables.set("LANGUAGE", "", "test");
  refresh_language(engine);
  EXPECT_EQ(engine.variables.get("LANGUAGE"), "French");
}

// The engine's own texts come along when the product has them in the language.
TEST(LocalizationTest, TheEnginesTextsInTheChosenLanguage) {
  EngineRun run(translated_package(kScript));
  Engine& engine = run.engine();
  write_translations(engine.startup.support_folder, PackageText());
  std::string catalogue;
  for (int slot = 1; slot <= MessageCatalogue::kSlots; ++slot) catalogue += "Deutsch " + std::to_string(slot) + "\r\n";
  test::write_file(engine.startup.support_folder + "shared.translations.German", catalogue);
  ASSERT_TRUE(run.run());
  EXPECT_EQ(engine.messages.text(message::kSelectLanguageCaption), "Deutsch 89");
  EXPECT_EQ(offered_languages(engine.startup.support_folder).size(), 3u) << "shared files are no languages";
}

// A patch run (or a maintenance run) takes the language the product was
// installed in, from the file stored in its engine cache folder.
TEST(LocalizationTest, APatchRunTakesTheStoredLanguage) {
  PackageText package = translated_package(kScript);
  package.language_dialog = "TRUE";
  const std::string cache = engine_cache_root(false) + package.revision_code + "\\";
  const std::string common_cache = engine_cache_root(true) + package.revision_code + "\\";
  const struct {
    const char* stored;  // null: no stored language file
    Texts texts;
  } cases[] = {
      {"French\r\nanything", {"Bonjour", "Au revoir", "Rouge", "French"}},
      {nullptr, {"Hallo", "Auf Wiedersehen", "Rot", "German"}},
  };
  for (const auto& c : cases) {
    EngineRun run(package);
    const Engine& engine = run.engine();
    write_translations(engine.startup.support_folder, package);
    test::write_file(with_extension(engine.startup.installer_database, ".msp"), "");
    for (const std::string& folder : {cache, common_cache}) {
      CreateDirectoryA(folder.c_str(), nullptr);
      if (c.stored != nullptr) test::write_file(folder + "setup.lan", c.stored);
    }
    ASSERT_TRUE(run.run());
    EXPECT_EQ((Texts{run.get("GREETING"), run.get("FAREWELL"), run.get("COLOUR"), run.get("LANGUAGE")}), c.texts)
        << (c.stored ? c.stored : "no stored language");
    for (const std::string& folder : {cache, common_cache}) {
      DeleteFileA((folder + "setup.lan").c_str());
      RemoveDirectoryA(folder.c_str());
    }
  }
}

}  // namespace
}  // namespace qm
