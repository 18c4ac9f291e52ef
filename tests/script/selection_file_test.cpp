// The selection file of an installed instance: read, written in full, and
// updated with the variables of a later run; damaged files read as far as
// they go.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "script/selection_file.h"

namespace qm {
namespace {

using List = std::vector<std::string>;

// A file as an installed instance leaves it.
const std::string kInstalledFile =
    "VRAK-PREDEF-COMPONENT\r\nCore\r\nDocs\r\nDocs\\Samples\r\n$\r\n"
    "TRUE\r\nTRUE\r\nFALSE\r\nTRUE\r\n$\r\n"
    "Docs\\Samples\r\n$\r\n"
    "Core\r\n$\r\n"
    "Core\r\nDocs\r\n$\r\n"
    "VRAK-PREDEF-COMPONENT\r\n1000\r\nCORE\r\n5368709120\r\n$\r\n"
    "C:\\Program Files\\Sample Product\\\r\nTRUE\r\nSample Product\r\nC:\\DIST~1\\data\\\r\n"
    "SERIAL\r\n1234-5678\r\nNOTES\r\nfirst$NEWLINE$second\r\n"
    "VRAK64WOW\r\nx64\r\n";

SelectionFile installed_selection() {
  SelectionFile file;
  file.names = {"VRAK-PREDEF-COMPONENT", "Core", "Docs", "Docs\\Samples"};
  file.states = {"TRUE", "TRUE", "FALSE", "TRUE"};
  file.deleted = {"Docs\\Samples"};
  file.hidden = {"Core"};
  file.choice_locked = {"Core", "Docs"};
  file.sizes = {"VRAK-PREDEF-COMPONENT", "1000", "CORE", "5368709120"};
  file.complete_lists = kSelectionLists;
  file.target_folder = "C:\\Program Files\\Sample Product\\";
  file.all_users = "TRUE";
  file.start_menu = "Sample Product";
  file.data_folder = "C:\\DIST~1\\data\\";
  file.variables = {{"SERIAL", "1234-5678"}, {"NOTES", "first$NEWLINE$second"}};
  file.target_platform = "x64";
  return file;
}

TEST(SelectionFileTest, AnInstalledInstancesFileReadsAndWritesBack) {
  const SelectionFile file = parse_selection_file(kInstalledFile);
  EXPECT_EQ(file, installed_selection());
  EXPECT_EQ(format_selection_file(file), kInstalledFile);
}

// Values are kept one to a line: every kind of line break becomes the marker
// the variable store turns back into CR LF, so that no later line moves.
TEST(SelectionFileTest, LineBreaksInValuesAreWrittenAsMarkers) {
  SelectionFile file;
  file.start_menu = "Sample\r\nProduct";
  file.variables = {{"CRLF", "a\r\nb"}, {"LF", "a\nb"}, {"CR", "a\rb"}, {"TWO", "\r\n\r\n"}};
  const SelectionFile reread = parse_selection_file(format_selection_file(file));
  EXPECT_EQ(reread.start_menu, "Sample$NEWLINE$Product");
  const std::vector<KeptVariable> expected = {{"CRLF", "a$NEWLINE$b"},
                                              {"LF", "a$NEWLINE$b"},
                                              {"CR", "a$NEWLINE$b"},
                                              {"TWO", "$NEWLINE$$NEWLINE$"}};
  EXPECT_EQ(reread.variables, expected);
  EXPECT_EQ(reread.target_platform, "Win32");
}

TEST(SelectionFileTest, AnEmptySelectionIsSixListEndsAndTheSettings) {
  SelectionFile file;
  file.target_folder = "C:\\T\\";
  EXPECT_EQ(format_selection_file(file), "$\r\n$\r\n$\r\n$\r\n$\r\n$\r\nC:\\T\\\r\n\r\n\r\n\r\nVRAK64WOW\r\nWin32\r\n");
}

TEST(SelectionFileTest, DamagedFilesGiveWhatTheyHoldAndNoMore) {
  const std::string huge(1 << 20, 'x');
  const struct {
    const char* what;
    std::string text;
    List names, states, sizes;
    int complete_lists;
    std::optional<std::string> target_folder, start_menu;
    std::vector<KeptVariable> variables;
    std::optional<std::string> platform;
  } cases[] = {
      {"empty", "", {}, {}, {}, 0, {}, {}, {}, {}},
      {"cut among the states", "A\r\nB\r\n$\r\nTRUE\r\n", {"A", "B"}, {"TRUE"}, {}, 1, {}, {}, {}, {}},
      {"size without its name's pair", "A\r\n$\r\nTRUE\r\n$\r\n$\r\n$\r\n$\r\nA\r\n10\r\nB\r\n$\r\nC:\\T\\\r\n",
       {"A"}, {"TRUE"}, {"A", "10"}, 6, "C:\\T\\", {}, {}, {}},
      {"cut among the settings", "$\r\n$\r\n$\r\n$\r\n$\r\n$\r\nC:\\T\\\r\nTRUE\r\n", {}, {}, {}, 6, "C:\\T\\", {}, {},
       {}},
      {"a name without its value", "$\r\n$\r\n$\r\n$\r\n$\r\n$\r\nT\r\nA\r\nS\r\n\r\nX\r\n1\r\nY\r\n", {}, {}, {}, 6,
       "T", "S", {{"X", "1"}}, {}},
      {"LF line ends", "A\n$\nFALSE\n$\n$\n$\n$\n$\nT\nA\nS\nD\nVRAK64WOW\nia64\n", {"A"}, {"FALSE"}, {}, 6, "T", "S",
       {}, "ia64"},
      {"binary bytes", std::string("A\0B\r\n$\r\n\xff\x01\r\n", 12), {std::string("A\0B", 3)}, {"\xff\x01"}, {}, 1,
       {}, {}, {}, {}},
      {"a huge line", huge + "\r\n$\r\n", {huge}, {}, {}, 1, {}, {}, {}, {}},
      {"a dollar after the lists is a value", "$\r\n$\r\n$\r\n$\r\n$\r\n$\r\n$\r\nA\r\n$\r\n\r\n$\r\n$\r\n", {}, {}, {},
       6, "$", "$", {{"$", "$"}}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const SelectionFile file = parse_selection_file(c.text);
    EXPECT_EQ(file.names, c.names);
    EXPECT_EQ(file.states, c.states);
    EXPECT_EQ(file.sizes, c.sizes);
    EXPECT_EQ(file.complete_lists, c.complete_lists);
    EXPECT_EQ(file.target_folder, c.target_folder);
    EXPECT_EQ(file.start_menu, c.start_menu);
    EXPECT_EQ(file.variables, c.variables);
    EXPECT_EQ(file.target_platform, c.platform);
  }
}

TEST(SelectionFileTest, AnUpdateKeepsTheSelectionsAndTheOldPlatformAndTakesTheNewVariables) {
  const std::optional<std::string> updated =
      update_selection_text(kInstalledFile, {{"SERIAL", "9999"}, {"COMMENT", "one\r\ntwo"}});
  ASSERT_TRUE(updated);
  SelectionFile expected = installed_selection();
  expected.variables = {{"SERIAL", "9999"}, {"COMMENT", "one$NEWLINE$two"}};
  EXPECT_EQ(parse_selection_file(*updated), expected);
}

TEST(SelectionFileTest, UpdatesOfShortFiles) {
  const std::string lists = "A\r\n$\r\nTRUE\r\n$\r\n$\r\n$\r\n$\r\n$\r\n";
  const struct {
    const char* what;
    std::string old_text;
    std::optional<std::string> updated;
  } cases[] = {
      {"no file content", "", std::nullopt},
      {"five list ends", "A\r\n$\r\nTRUE\r\n$\r\n$\r\n$\r\n$\r\n", std::nullopt},
      // The settings are made up to four lines, so that the variables are not
      // read as settings; there is no old platform to keep.
      {"cut among the settings", lists + "C:\\T\\\r\nTRUE\r\n",
       lists + "C:\\T\\\r\nTRUE\r\n\r\n\r\nV\r\n1\r\nVRAK64WOW\r\nWin32\r\n"},
      {"LF line ends", "A\n$\nTRUE\n$\n$\n$\n$\n$\nT\nA\nS\nD\nOLD\n0\nVRAK64WOW\nx64",
       lists + "T\r\nA\r\nS\r\nD\r\nV\r\n1\r\nVRAK64WOW\r\nx64\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(update_selection_text(c.old_text, {{"V", "1"}}), c.updated);
  }
}

TEST(SelectionFileTest, OneLineForm) {
  const struct {
    std::string text;
    std::string one_line;
  } cases[] = {
      {"", ""},
      {"plain", "plain"},
      {"a\r\nb", "a$NEWLINE$b"},
      {"a\n\rb", "a$NEWLINE$$NEWLINE$b"},
      {"\r", "$NEWLINE$"},
      {"a$NEWLINE$b", "a$NEWLINE$b"},
  };
  for (const auto& [text, one_line] : cases) EXPECT_EQ(one_line_form(text), one_line) << testing::PrintToString(text);
}

}  // namespace
}  // namespace qm
