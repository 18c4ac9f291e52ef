#include <gtest/gtest.h>

#include "script/translations.h"

namespace qm {
namespace {

TEST(TranslationsTest, FileLines) {
  const struct {
    const char* text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"one", {"one"}},
      {"one\r\ntwo\r\n", {"one", "two"}},
      {"one\ntwo\rthree", {"one", "two", "three"}},
      {"\r\n\r\nlast", {"", "", "last"}},
      {"a\r\r\nb", {"a", "", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Translations::file_lines(c.text), c.lines) << c.text;
}

// Two lines with translations: line A has two texts, line B one, and one
// "Localization Variable" key.
Translations german(std::string mode = {}) {
  Translations translations;
  translations.current_language = "German";
  translations.mode = std::move(mode);
  translations.keys = {"{A}", "{A}", "{B}", Translations::variable_key("Colour")};
  translations.sources = {"Yes", "No", "Version #VER#", "Red"};
  translations.translated = {"Ja", "Nein", "Fassung #VER#", "Rot"};
  return translations;
}

TEST(TranslationsTest, LocalizeByKeyAndTextNumber) {
  const std::vector<std::string> constants = {"VER", "2.0"};
  const struct {
    const char* mode;
    const char* text;
    std::string key;
    std::size_t offset;
    std::optional<std::string> result;
  } cases[] = {
      {"", "Yes", "{A}", 1, "Ja"},
      {"", "No", "{a}", 2, "Nein"},  // keys compare without regard to ASCII case
      {"", "anything", "{A}", 2, "Nein"},
      {"", "Version", "{B}", 1, "Fassung 2.0"},  // build constants in the translation
      {"", "Yes", "{C}", 1, std::nullopt},
      {"", "Yes", "{B}", 3, std::nullopt},  // past the end of the list
      {"", "Yes", "{A}", 0, std::nullopt},
      {"VARSONLY", "Yes", "{A}", 1, std::nullopt},
      {"varsonly", "Red", Translations::variable_key("COLOUR"), 1, "Rot"},
      {"NEWONLY", "Yes", "{A}", 1, "Ja"},
      {"NEWONLY", "yes", "{A}", 1, std::nullopt},  // the script changed the text: it stays
      {"NEWONLY", "Changed", "{A}", 2, std::nullopt},
      {"EVERYTHING", "changed", "{A}", 1, "Ja"},
  };
  for (const auto& c : cases) {
    const Translations translations = german(c.mode);
    EXPECT_EQ(translations.localize(c.text, c.key, c.offset, constants), c.result)
        << c.mode << " " << c.text << " " << c.key << " " << c.offset;
  }
}

// Lists of different lengths (a translation file cut short) never read past
// their ends.
TEST(TranslationsTest, ShortListsLeaveTheTextAsItIs) {
  Translations translations = german("NEWONLY");
  translations.translated.resize(1);
  translations.sources.resize(1);
  EXPECT_EQ(translations.localize("Yes", "{A}", 1, {}), "Ja");
  EXPECT_EQ(translations.localize("No", "{A}", 2, {}), std::nullopt);
  EXPECT_EQ(translations.localize("Red", Translations::variable_key("Colour"), 1, {}), std::nullopt);
}

}  // namespace
}  // namespace qm
