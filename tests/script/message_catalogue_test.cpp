#include <gtest/gtest.h>

#include "engine/languages.h"
#include "script/message_catalogue.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

// A block of 115 lines: "<prefix> <slot>".
std::string block(const std::string& prefix, int lines = MessageCatalogue::kSlots) {
  std::string text;
  for (int slot = 1; slot <= lines; ++slot) text += prefix + " " + std::to_string(slot) + "\r\n";
  return text;
}

TEST(MessageCatalogueTest, DefaultsWithoutAFile) {
  const MessageCatalogue catalogue;
  EXPECT_EQ(catalogue.text(message::kResourceNotFound), "Setup resource not found");
  EXPECT_EQ(catalogue.text(message::kScriptErrorHeading), "Runtime error in setup script:");
  EXPECT_EQ(catalogue.text(message::kWizardCaption), "Quillmore Wizard");
  EXPECT_EQ(catalogue.text(55), "Locating resource");
  EXPECT_EQ(catalogue.text(87), "Accept ranges");
  EXPECT_EQ(catalogue.text(88).substr(0, 30), "A previously executed setup st");
  EXPECT_EQ(catalogue.text(115), "Entire feature will be &unavailable");
}

TEST(MessageCatalogueTest, TheUsersLanguageSectionWins) {
  const std::string file = block("default") + "German\r\n" + block("deutsch") + "French\r\n" + block("francais");
  const struct {
    const char* user_language;
    const char* slot_2;
  } cases[] = {
      {"French", "francais 2"}, {"german", "deutsch 2"}, {"Japanese", "default 2"}, {"", "default 2"}};
  for (const auto& c : cases) {
    MessageCatalogue catalogue;
    catalogue.load_text(file, c.user_language);
    EXPECT_EQ(catalogue.text(2), c.slot_2) << c.user_language;
    EXPECT_EQ(catalogue.text(115), std::string(c.slot_2).substr(0, std::string(c.slot_2).find(' ')) + " 115");
  }
}

TEST(MessageCatalogueTest, AShortFileLeavesTheRestAsItWas) {
  MessageCatalogue catalogue;
  catalogue.load_text(block("short", 10), "German");
  EXPECT_EQ(catalogue.text(10), "short 10");
  EXPECT_EQ(catalogue.text(23), "Quillmore Wizard");

  test::TempFolder folder;
  EXPECT_FALSE(catalogue.load(folder.file("missing.loc"), "German"));
  test::write_file(folder.file("lang.loc"), block("file"));
  EXPECT_TRUE(catalogue.load(folder.file("lang.loc"), "German"));
  EXPECT_EQ(catalogue.text(23), "file 23");
}

TEST(LanguagesTest, NamesAndIdentifiers) {
  EXPECT_EQ(language_identifier("English"), 1033);
  EXPECT_EQ(language_identifier("english"), 1033);
  EXPECT_EQ(language_identifier("German"), 1031);
  EXPECT_EQ(language_identifier("Portugese (Brazil)"), 1046);
  EXPECT_EQ(language_identifier("Klingon"), 1033);
  EXPECT_EQ(language_name(1031), "German");
  EXPECT_EQ(language_name(2070), "Portugese (Portugal)");
  EXPECT_EQ(language_name(2057), "") << "an English variant that is not listed";
  EXPECT_EQ(language_name(3079), "German") << "German (Austria) is German";
}

}  // namespace
}  // namespace qm
