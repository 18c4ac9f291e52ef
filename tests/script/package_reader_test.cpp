#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "script/build_constants.h"
#include "script/package_reader.h"
#include "script/script_error.h"
#include "script/variable_store.h"
#include "tests/support/package_text.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

using test::PackageText;

PackageText sample_package() {
  PackageText package;
  package.add_line("Set Variable", {"$TARGETDIR$", "C:\\Program Files\\Sample\\"});
  package.add_line("If", {"TARGETDIR", "0", "", "FALSE"});
  package.add_line("Comment");
  package.add_line("End");
  package.lines[1].media_folder = "OFFLINE\\";
  package.plugin_commands = {"Check Licence"};
  package.web_media_secrets = {"offline", "c2VjcmV0"};
  package.build_kind = "2";
  package.component_sizes = {"VRAK-PREDEF-COMPONENT", "0", "MAIN", "1048576"};
  package.media_files = {"OFFLINE", "0A1B2C3D\\file.cab", "OFFLINE\\"};
  package.language_dialog = "TRUE";
  package.default_language = "Deutsch";
  package.command_headers = {"3F2A", "0", "B7", "3"};
  package.build_constants = {"BUILDMODE", "WEB", "LOCMODE", "1"};
  return package;
}

TEST(PackageReaderTest, ReadsEverySectionInOrder) {
  const SetupPackage package = parse_package(sample_package().text());

  ASSERT_EQ(package.line_count(), 4u);
  EXPECT_EQ(package.command(0), "Set Variable");
  EXPECT_EQ(package.command(3), "End");
  EXPECT_EQ(package.line_id(2), PackageText::line_id(2));
  EXPECT_EQ(package.line_media_folders[1], "OFFLINE\\");
  EXPECT_EQ(package.product_code, "{12345678-ABCD-4321-8765-0123456789AB}");
  EXPECT_EQ(package.product_title, "Sample Product");
  EXPECT_TRUE(package.plugin_commands.contains("CHECK LICENCE"));
  EXPECT_EQ(package.publisher.publisher, "Brennivax");
  EXPECT_EQ(package.publisher.support_contact, "support@example.com");
  EXPECT_EQ(package.publisher.help_link, "https://example.com/help");
  EXPECT_EQ(package.publisher.update_info_link, "https://example.com/update");
  EXPECT_EQ(package.publisher.comments, "A comment");
  EXPECT_EQ(package.publisher.product_version, "1.2.3");
  EXPECT_EQ(package.web_media_secrets, (std::vector<std::string>{"offline", "c2VjcmV0"}));
  EXPECT_EQ(package.build_kind, kWebMediaBuild);
  EXPECT_EQ(package.component_sizes[3], "1048576");
  EXPECT_EQ(package.revision_code, "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}");
  EXPECT_EQ(package.media_files[1], "0A1B2C3D\\file.cab");
  EXPECT_TRUE(package.language_dialog);
  EXPECT_EQ(package.default_language, "Deutsch");
  EXPECT_EQ(package.build_constants, (std::vector<std::string>{"BUILDMODE", "WEB", "LOCMODE", "1"}));
  EXPECT_EQ(package.field_of_line(0, 2), "C:\\Program Files\\Sample\\");
}

TEST(PackageReaderTest, FieldAccessor) {
  PackageText text;
  const std::string id = text.add_line("Set Variable", {"A", "", "third"});
  text.add_line("Display Dialog", {"Welcome"});
  const std::string no_record = text.add_line("End");
  const SetupPackage package = parse_package(text.text());

  EXPECT_EQ(package.field(id, 0), id);
  EXPECT_EQ(package.field(id, 1), "A");
  EXPECT_EQ(package.field(id, 2), "") << "an empty field keeps its position";
  EXPECT_EQ(package.field(id, 3), "third");
  EXPECT_EQ(package.field(no_record, 1), "") << "a line without a record has empty fields";
  EXPECT_EQ(package.field("{00000000-0000-0000-0000-00000000000a}", 1), "")
      << "an unknown identifier has empty fields";

  std::string lower = id;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(package.field(lower, 3), "third") << "identifiers are found without regard to case";

  // The accessor does not check the record's length; past the last entry of
  // the list it answers with the empty text.
  const std::string last = PackageText::line_id(1);
  EXPECT_EQ(package.field(last, 1), "Welcome");
  EXPECT_EQ(package.field(last, 2), "");
  EXPECT_EQ(package.field(last, 1000), "");
}

TEST(PackageReaderTest, FieldsSearchEveryParameterListInOrder) {
  PackageText text;
  const std::string id = text.add_line("Set Variable", {"A", "from the package"});
  SetupPackage package = parse_package(text.text());
  package.parameter_lists.insert(package.parameter_lists.begin(), ParameterList({id, "A", "from the first list"}));
  EXPECT_EQ(package.field(id, 2), "from the first list");
  const std::string other = PackageText::line_id(7);
  package.parameter_lists.push_back(ParameterList({other, "seven"}));
  EXPECT_EQ(package.field(other, 1), "seven");
}

TEST(PackageReaderTest, DollarEntries) {
  struct Case {
    const char* written;
    const char* read;
  } cases[] = {
      {"$DOLLAR$", "$"},
      {"$dollar$", "$"},
      {"$Wild_Dollar$", "$"},
      {"$WILD_DOLLAR$", "$"},
      {"Price: $DOLLAR$", "Price: $DOLLAR$"},
      {"$DOLLAR$$DOLLAR$", "$DOLLAR$$DOLLAR$"},
      {" $DOLLAR$", " $DOLLAR$"},
      {"$$", "$$"},
  };
  for (const Case& c : cases) {
    PackageText text;
    const std::string id = text.add_line("Set Variable", {"A", c.written, "after"});
    const SetupPackage package = parse_package(text.text());
    EXPECT_EQ(package.field(id, 2), c.read) << c.written;
    EXPECT_EQ(package.field(id, 3), "after") << c.written;
  }
}

TEST(PackageReaderTest, LinesAreTakenWhole) {
  PackageText text;
  const std::string id = text.add_line("Set Variable", {"  A  ", "x\ty", "#", "$ "});
  text.product_title = "  Padded Title ";
  const SetupPackage package = parse_package(text.text());
  EXPECT_EQ(package.field(id, 1), "  A  ");
  EXPECT_EQ(package.field(id, 2), "x\ty");
  EXPECT_EQ(package.field(id, 4), "$ ") << "only a line that is exactly $ ends a list";
  EXPECT_EQ(package.product_title, "  Padded Title ");
}

TEST(PackageReaderTest, OnlyUpperCaseCCommentsALineOut) {
  PackageText text;
  text.add_line("Set Variable", {"A", "1"}, "C");
  text.add_line("Set Variable", {"A", "2"}, "c");
  text.add_line("Set Variable", {"A", "3"}, "");
  text.add_line("Set Variable", {"A", "4"}, "C ");
  const SetupPackage package = parse_package(text.text());
  EXPECT_TRUE(package.is_commented_out(0));
  EXPECT_FALSE(package.is_commented_out(1));
  EXPECT_FALSE(package.is_commented_out(2));
  EXPECT_FALSE(package.is_commented_out(3));
}

TEST(PackageReaderTest, LanguageDialogFlagIsExactlyTRUE) {
  const std::pair<const char*, bool> cases[] = {
      {"TRUE", true}, {"true", false}, {"True", false}, {"-1", false}, {"TRUE ", false}, {"", false}};
  for (const auto& [flag, expected] : cases) {
    PackageText text;
    text.language_dialog = flag;
    EXPECT_EQ(parse_package(text.text()).language_dialog, expected) << '"' << flag << '"';
  }
}

TEST(PackageReaderTest, TrailingBytesAfterTheLastSectionAreIgnored) {
  const std::string text = sample_package().text();
  const SetupPackage plain = parse_package(text);
  std::string signed_text = text;
  signed_text += std::string("\x30\x82\x05\x00\0\0binary signature\r\n$\r\n", 27);
  const SetupPackage with_signature = parse_package(signed_text);
  EXPECT_EQ(with_signature.build_constants, plain.build_constants);
  EXPECT_EQ(with_signature.line_count(), plain.line_count());
  EXPECT_EQ(with_signature.field_of_line(0, 2), plain.field_of_line(0, 2));
}

// The engine reads its package out of its own file, where more data may
// follow; the scanner tells where the package ends without reading further.
TEST(PackageScannerTest, FindsTheEndOfThePackageAsTheBytesArrive) {
  const std::string package = sample_package().text();
  const std::string tail = std::string("\x30\x82\x05\x00\0\0more data after the package\r\n$\r\n", 40);
  const std::string file = package + tail;

  // Whole at once, or a few bytes at a time: the same end, and only then.
  for (const std::size_t step : {file.size(), std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
    PackageScanner scanner;
    std::optional<std::size_t> end;
    std::size_t arrived = 0;
    while (!end && arrived < file.size()) {
      arrived = std::min(file.size(), arrived + step);
      end = scanner.scan(std::string_view(file).substr(0, arrived), false);
      if (end) {
        EXPECT_GE(arrived, package.size()) << "step " << step;
      }
    }
    ASSERT_TRUE(end) << "step " << step;
    EXPECT_EQ(*end, package.size()) << "step " << step;
  }

  // A package cut short never ends; its last line counts once nothing more
  // can come.
  const std::string without_last_line_end = package.substr(0, package.size() - 2);
  EXPECT_FALSE(PackageScanner().scan(without_last_line_end, false));
  EXPECT_EQ(PackageScanner().scan(without_last_line_end, true), without_last_line_end.size());
  EXPECT_FALSE(PackageScanner().scan(package.substr(0, package.size() / 2), true));
  EXPECT_FALSE(PackageScanner().scan("", true));
}

TEST(PackageReaderTest, AFieldEqualToALaterLinesIdentifierStartsItsRecord) {
  // A record is found by the first entry equal to the identifier, wherever
  // it stands, even inside the record of another line.
  PackageText text;
  const std::string second = PackageText::line_id(1);
  const std::string first = text.add_line("Set Variable", {second, "inside the first record"});
  text.add_line("Set Variable", {"B", "own record"});
  const SetupPackage package = parse_package(text.text());
  EXPECT_EQ(package.field(first, 1), second);
  EXPECT_EQ(package.field(second, 1), "inside the first record");
}

TEST(PackageReaderTest, CommandHeaders) {
  PackageText text;
  for (int i = 0; i < 13; ++i) text.add_line("Write Registry", {"HKLM"});
  // "12" is a header here, and also the decimal index of line 12.
  text.command_headers = {"12", "3", "A0B1C2D3", "12", "FF", "5"};
  const SetupPackage package = parse_package(text.text());

  EXPECT_EQ(package.header(3), "12");
  EXPECT_EQ(package.header(12), "A0B1C2D3") << "a header that looks like a line index is not one";
  EXPECT_EQ(package.header(5), "FF");
  EXPECT_EQ(package.header(0, HeaderLookup::kTolerant), "");
  try {
    package.header(0);
    FAIL() << "a missing header is a script error";
  } catch (const ScriptError& error) {
    EXPECT_STREQ(error.what(), "Unable to obtain command headers. Please rebuild your project.");
  }
}

TEST(PackageReaderTest, AcceptsLineFeedsWithoutCarriageReturns) {
  std::string text = sample_package().text();
  std::string lf_only;
  for (char c : text)
    if (c != '\r') lf_only += c;
  const SetupPackage package = parse_package(lf_only);
  EXPECT_EQ(package.field_of_line(0, 2), "C:\\Program Files\\Sample\\");
  EXPECT_EQ(package.default_language, "Deutsch");
}

// Every way of cutting the package short must be reported, naming the
// section, and none may hang or crash.
TEST(PackageReaderTest, TruncatedPackagesAreErrors) {
  const std::string text = sample_package().text();
  std::size_t cuts = 0;
  for (std::size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", end + 2)) {
    const std::string cut = text.substr(0, end + 2);
    if (cut.size() == text.size()) break;
    ++cuts;
    try {
      parse_package(cut);
      ADD_FAILURE() << "no error for a package cut after byte " << cut.size();
    } catch (const PackageError& error) {
      EXPECT_NE(std::string(error.what()).find("incomplete"), std::string::npos) << error.what();
    }
  }
  EXPECT_GT(cuts, 30u);
}

TEST(PackageReaderTest, ErrorsNameWhatIsWrong) {
  struct Case {
    std::string text;
    const char* expected;
  };
  PackageText bad_kind;
  bad_kind.build_kind = "two";
  PackageText no_headers_end = sample_package();
  std::string cut_in_headers = no_headers_end.text();
  cut_in_headers = cut_in_headers.substr(0, cut_in_headers.find("3F2A\r\n") + 6);
  PackageText mismatched = sample_package();

  std::string fewer_ids = mismatched.text();
  const std::string last_id = PackageText::line_id(3) + "\r\n";
  fewer_ids.erase(fewer_ids.find(last_id), last_id.size());

  const Case cases[] = {
      {"", "The setup package is empty."},
      {"Set Variable\r\nEnd\r\n", "ends before the end of the command list"},
      {cut_in_headers, "ends before the end of the command header list"},
      {bad_kind.text(), "the build kind 'two' is not a number"},
      {fewer_ids, "the line identifier list has 3 entries for 4 script lines"},
  };
  for (const Case& c : cases) {
    try {
      parse_package(c.text);
      ADD_FAILURE() << "no error, expected: " << c.expected;
    } catch (const PackageError& error) {
      EXPECT_NE(std::string(error.what()).find(c.expected), std::string::npos) << error.what();
    }
  }
}

TEST(PackageReaderTest, ReadsAPackageFile) {
  test::TempFolder folder;
  const std::string path = folder.file("qvx.tmp");
  test::write_file(path, sample_package().text());
  EXPECT_EQ(read_package(path).default_language, "Deutsch");
  EXPECT_THROW(read_package(folder.file("missing.tmp")), PackageError);
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

TEST(BuildConstantsTest, Substitution) {
  const std::vector<std::string> constants = {"BUILDMODE", "WEB", "LOCMODE", "1", "NESTED", "#buildmode#-#LOCMODE#",
                                              "SELF", "x#SELF#"};
  const std::pair<const char*, const char*> cases[] = {
      {"#BUILDMODE#", "WEB"},
      {"mode #buildmode# / #LocMode#", "mode WEB / 1"},
      {"#NESTED#", "WEB-1"},
      {"#UNDEFINED#", "#UNDEFINED#"},
      {"50# off", "50# off"},
      {"no constants", "no constants"},
      {"", ""},
  };
  for (const auto& [text, result] : cases) EXPECT_EQ(substitute_constants(text, constants), result) << text;
  EXPECT_EQ(substitute_constants("#LOCMODE#", {}), "#LOCMODE#");

  const std::string self = substitute_constants("#SELF#", constants);
  EXPECT_EQ(self.size(), VariableStore::kMaxExpandPasses + 6u) << "a constant holding itself stops";
}

// Each pass tries the constants in list order, each on the result of the one
// before, whether or not a reference to it stood in the text at the start.
TEST(BuildConstantsTest, ListOrderWithinAPass) {
  const std::vector<std::string> twice = {"A", "x", "B", "#A#", "A", "y"};
  const std::vector<std::string> later = {"OUTER", "[#INNER#]", "INNER", "in"};
  const std::vector<std::string> earlier = {"INNER", "in", "OUTER", "[#INNER#]"};
  const struct {
    const std::vector<std::string>* constants;
    const char* text;
    const char* result;
  } cases[] = {
      {&twice, "#B#", "y"},          // the second A comes after B: it replaces what B brought in
      {&twice, "#A# #B#", "x y"},
      {&later, "#OUTER#", "[in]"},   // INNER comes later in the same pass
      {&earlier, "#OUTER#", "[in]"}, // INNER is already past: the next pass takes it
      {&earlier, "#inner##OUTER#", "in[in]"},
  };
  for (const auto& c : cases) EXPECT_EQ(substitute_constants(c.text, *c.constants), c.result) << c.text;
}

// A constant whose value brings in its own reference twice would double the
// text on every pass; the growth bound stops it at the last pass that fits,
// after a handful of passes.
TEST(BuildConstantsTest, GrowthIsBounded) {
  const std::vector<std::string> constants = {"TWICE", "#TWICE##TWICE#", "BUILDMODE", "WEB"};
  const std::string doubled = substitute_constants("#TWICE#", constants);
  EXPECT_LE(doubled.size(), 7 + kMaxConstantsGrowth);
  EXPECT_GT(doubled.size(), kMaxConstantsGrowth / 2) << "it goes as far as the bound allows";

  // The bound is on what substitution adds: a long text keeps its constants.
  const std::string long_text(2 * kMaxConstantsGrowth, 'x');
  EXPECT_EQ(substitute_constants(long_text + "#BUILDMODE#", constants), long_text + "WEB");
}

}  // namespace
}  // namespace qm
