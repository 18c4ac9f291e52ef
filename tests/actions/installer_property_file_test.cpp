// Reading the installer property file and the Property table's quote marker,
// as the product database's custom action does: the file the engine writes,
// and the damage a file in the temporary folder may have.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/installer_property_file.h"

namespace qm::actions {
namespace {

using namespace std::string_literals;
using Properties = std::vector<InstallerProperty>;

struct FileCase {
  const char* description;
  std::string text;
  Properties expected;
};

TEST(InstallerPropertyFileTest, TheFileAsTheEngineWritesIt) {
  const std::string text =
      "SourceDir\r\nC:\\Setup\\data\\\r\n$ex\r\n"
      "MEDIAPACKAGEPATH\r\n\\Setup\\\r\n$ex\r\n"
      "A3F2A\r\nTRUE\r\n$ex\r\n"
      "P3F2A_3\r\nit's \"quoted\" [x] `y`$NEWLINE$second$newline$\r\n$ex\r\n"
      "EMPTY\r\n\r\n$ex\r\n"
      "ITSELF\r\n$ex\r\n$ex\r\n"
      "QUOTE\r\nO$Quote$Brien $QUOTE \r\n$ex\r\n"
      "A3F2A\r\nFALSE\r\n$ex\r\n";
  const Properties expected{{"SourceDir", "C:\\Setup\\data\\"},
                            {"MEDIAPACKAGEPATH", "\\Setup\\"},
                            {"A3F2A", "TRUE"},
                            {"P3F2A_3", "it's \"quoted\" [x] `y`\r\nsecond\r\n"},
                            {"EMPTY", ""},
                            {"ITSELF", "$ex"},
                            {"QUOTE", "O'Brien $QUOTE "},
                            {"A3F2A", "FALSE"}};
  EXPECT_EQ(parse_installer_property_file(text), expected) << "every triple in order, a name twice kept twice";
}

TEST(InstallerPropertyFileTest, ADamagedFileGivesWhatCanBeToldApart) {
  const FileCase cases[] = {
      {"nothing", "", {}},
      {"line feeds alone", "A\n1\n$ex\nB\n2\n$ex\n", {{"A", "1"}, {"B", "2"}}},
      {"no line end after the last marker", "A\r\n1\r\n$ex", {{"A", "1"}}},
      {"the last marker lost", "A\r\n1\r\n$ex\r\nB\r\n2\r\n", {{"A", "1"}, {"B", "2"}}},
      {"a name alone at the end", "A\r\n1\r\n$ex\r\nB\r\n", {{"A", "1"}}},
      {"no marker at all", "A\r\n1\r\nB\r\n2\r\n", {}},
      {"a stray marker where a name belongs", "$ex\r\n$ex\r\nA\r\n1\r\n$ex\r\n", {{"A", "1"}}},
      {"a value with a bare line feed", "A\r\nfirst\nsecond\r\n$ex\r\nB\r\n2\r\n$ex\r\n",
       {{"A", "first\nsecond"}, {"B", "2"}}},
      {"a value over three lines", "A\r\none\r\ntwo\nthree\r\n$ex\r\n", {{"A", "one\r\ntwo\nthree"}}},
      {"a value line missing", "A\r\n$ex\r\nB\r\n2\r\n$ex\r\n", {{"A", ""}, {"B", "2"}}},
      {"an empty name", "\r\n1\r\n$ex\r\nB\r\n2\r\n$ex\r\n", {{"B", "2"}}},
      {"a marker in other case is text", "A\r\n$EX\r\n$ex\r\n", {{"A", "$EX"}}},
      {"a carriage return inside a line", "A\rB\r\n1\r2\r\n$ex\r\n", {{"A\rB", "1\r2"}}},
      {"a zero byte", "A\r\n1\0002\r\n$ex\r\n"s, {{"A", "1\0002"s}}},
  };
  for (const FileCase& c : cases)
    EXPECT_EQ(parse_installer_property_file(c.text), c.expected) << c.description;
}

TEST(InstallerPropertyFileTest, AnOverlongLineSpoilsOnlyItsProperty) {
  const std::string longest(kMaxLineLength, 'v');
  const std::string text = "LONG\r\n" + longest + "v\r\n$ex\r\n" + std::string(kMaxLineLength + 1, 'N') +
                           "\r\n1\r\n$ex\r\nKEPT\r\n" + longest + "\r\n$ex\r\n";
  const Properties properties = parse_installer_property_file(text);
  ASSERT_EQ(properties.size(), 1u);
  EXPECT_EQ(properties[0].name, "KEPT");
  EXPECT_EQ(properties[0].value, longest) << "a line of exactly the limit is taken";
}

TEST(InstallerPropertyFileTest, QuotesOfThePropertyTable) {
  struct Case {
    const char* value;
    bool marked;
    const char* restored;
  };
  const Case cases[] = {
      {"O$QUOTE$Brien", true, "O'Brien"},
      {"$quote$$Quote$", true, "''"},
      {"$QUOTE$QUOTE$", true, "'QUOTE$"},
      {"$$QUOTE$$", true, "$'$"},
      {"$QUOTE", false, "$QUOTE"},
      {"a$NEWLINE$b", false, "a$NEWLINE$b"},
      {"", false, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(holds_quote_marker(c.value), c.marked) << c.value;
    EXPECT_EQ(restore_quotes(c.value), c.restored) << c.value;
  }
  EXPECT_EQ(decode_file_value("$NEWLINE$QUOTE$"), "\r\nQUOTE$") << "a replacement is not read again";
}

}  // namespace
}  // namespace qm::actions
