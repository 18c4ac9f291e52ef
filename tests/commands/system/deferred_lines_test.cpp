// Deferred change lines run through the real run initialisation and
// interpreter: which properties a line records, when, and in which form.
// Line 0 of every script is its own "RUN" line, so the first line written
// here has index 1.

#include <gtest/gtest.h>

#include <windows.h>

#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "commands/system/deferred_lines.h"
#include "tests/support/engine_run.h"
#include "tests/support/script_text.h"

namespace qm {
namespace {

using test::EngineRun;
using test::PackageText;
using test::script_package;

using Properties = std::vector<std::pair<std::string, std::string>>;
using Texts = std::vector<std::string>;

constexpr const char* kMissingHeader = "Unable to obtain command headers. Please rebuild your project.";

// The installer property list as name/value pairs, after checking that the
// pass-through list holds the same pairs in the same order.
Properties recorded(EngineRun& run) {
  Properties pairs;
  Texts flat;
  for (const InstallerProperty& property : run.engine().properties.installer_properties()) {
    pairs.emplace_back(property.name, property.value);
    flat.push_back(property.name);
    flat.push_back(property.value);
  }
  EXPECT_EQ(run.engine().properties.pass_through(), flat) << "both lists record the same pairs";
  return pairs;
}

// The value that takes effect for each name: the one recorded last.
std::string effective(const Properties& properties, const std::string& name) {
  std::string value = "(not recorded)";
  for (const auto& [recorded_name, recorded_value] : properties)
    if (recorded_name == name) value = recorded_value;
  return value;
}

PackageText with_headers(std::string_view script, Texts headers) {
  PackageText package = script_package(script);
  package.command_headers = std::move(headers);
  return package;
}

void expect_clean_run(EngineRun& run, const std::string& what) {
  ASSERT_TRUE(run.run()) << what << ": initialisation stopped the script";
  EXPECT_FALSE(run.outcome().failed) << what << ": " << run.outcome().error_report;
}

TEST(DeferredLinesTest, EachCommandRecordsItsFields) {
  struct Case {
    const char* command;
    std::vector<std::pair<int, int>> values;  // value property n := field
  } cases[] = {
      {"Write Registry", {{1, 3}, {2, 4}, {3, 5}}},
      {"Create File Type", {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}}},
      {"Advertised File Type", {}},
      {"Create Folder", {{1, 1}}},
      {"Create Shortcut", {{1, 3}, {2, 1}, {3, 5}, {4, 6}}},
      {"Advertised Shortcut", {{1, 3}, {2, 1}, {3, 5}, {4, 6}}},
      {"Copy/Move Local Files", {{1, 1}, {2, 3}}},
      {"Delete Files", {{1, 1}}},
      {"Edit INI File", {{1, 1}, {2, 4}, {3, 5}, {4, 6}}},
      {"Set Environment", {{1, 2}}},
      {"Install Files", {{1, 3}}},
      {"Install Assembly", {{1, 3}}},
      {"Control Service", {{1, 1}, {2, 2}}},
      {"Create ODBC DSN", {}},
      {"Install ODBC Driver", {{1, 4}}},
      {"Install Service", {{1, 2}, {2, 4}, {3, 5}, {4, 9}, {5, 10}, {6, 13}, {7, 14}, {8, 15}, {9, 6}}},
  };
  for (const auto& c : cases) {
    // Every field names its number, behind a variable holding doubled
    // backslashes, so each value shows where it came from and that it was
    // expanded and normalized.
    std::string line = c.command;
    for (int field = 1; field <= 15; ++field) {
      // "Delete Files" needs a delete mode to pass validation; it is not read at run time.
      const bool delete_mode = line.starts_with("Delete Files") && field == 3;
      line += delete_mode ? " | TRUE" : " | $ROOT$\\\\f" + std::to_string(field);
    }
    EngineRun run(with_headers("Set Variable | ROOT | C:\\\\Data\n" + line, {"1A2B3C4D", "2"}));
    expect_clean_run(run, c.command);

    Properties expected = {{"A1A2B3C4D", "FALSE"}, {"A1A2B3C4D", "TRUE"}};
    for (const auto& [property, field] : c.values)
      expected.emplace_back("P1A2B3C4D_" + std::to_string(property), "C:\\Data\\f" + std::to_string(field));
    EXPECT_EQ(recorded(run), expected) << c.command;
    EXPECT_EQ(run.engine().deferred_lines, (Texts{"SKIP", "SKIP", "TRUE"})) << c.command;

    const std::string_view name = c.command;
    const bool shortcut = name.ends_with("Shortcut");
    const bool progid = name == "Advertised File Type";
    EXPECT_EQ(run.engine().shortcut_texts.size(), shortcut ? 3u : 0u) << c.command;
    EXPECT_EQ(run.engine().progid_texts.size(), progid ? 3u : 0u) << c.command;
  }
}

// "Write Registry" records the key path, the value name and the value
// (fields 3, 4, 5) for Windows Installer, which writes the value; the line
// itself writes nothing.
TEST(DeferredLinesTest, WriteRegistryRecordsKeyValueNameAndValue) {
  const struct Case {
    const char* key;
    const char* name;
    const char* value;
    const char* p1;
    const char* p2;
    const char* p3;
  } cases[] = {
      {"Software\\Quill", "Version", "1.2", "Software\\Quill", "Version", "1.2"},
      {"Software\\\\Quill\\\\Sub", "Dir\\\\Name", "C:\\\\Program Files\\\\Quill\\\\",
       "Software\\Quill\\Sub", "Dir\\Name", "C:\\Program Files\\Quill\\"},
      // A leading pair of backslashes stays.
      {"\\\\Software", "\\\\Name", "\\\\server\\\\share", "\\\\Software", "\\\\Name", "\\\\server\\share"},
      {"$KEY$\\\\Sub", "$NAME$", "$VALUE$", "Software\\Quill\\Sub", "Path", "C:\\Data\\Quill"},
      {"$KEY$", "", "", "Software\\Quill", "", ""},
      // Nothing is checked, nor expanded by the environment.
      {"$KEY$", "$MISSING$", "100%", "Software\\Quill", "$MISSING$", "100%"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " | " + c.name + " | " + c.value);
    const std::string key = "Software\\QuillmoreTests\\Deferred-" + std::to_string(GetCurrentProcessId());
    EngineRun run(with_headers("Set Variable | KEY | Software\\\\Quill\n"
                               "Set Variable | NAME | Path\n"
                               "Set Variable | VALUE | C:\\\\Data\\\\Quill\n"
                               "Write Registry | HKEY_CURRENT_USER | | " + key + " | Name | Value\n"
                               "Write Registry | $ROOT$ | $TYPE$ | " + std::string(c.key) + " | " + c.name + " | " +
                                   c.value,
                               {"0000000A", "4", "0000000B", "5"}));
    expect_clean_run(run, c.key);
    const Properties properties = recorded(run);
    EXPECT_EQ(effective(properties, "A0000000B"), "TRUE");
    EXPECT_EQ(effective(properties, "P0000000B_1"), c.p1);
    EXPECT_EQ(effective(properties, "P0000000B_2"), c.p2);
    EXPECT_EQ(effective(properties, "P0000000B_3"), c.p3);
    EXPECT_EQ(effective(properties, "P0000000B_4"), "(not recorded)");
    HKEY written = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &written), ERROR_SUCCESS)
        << "Windows Installer writes the value, not the line";
    if (written != nullptr) RegCloseKey(written);
  }
}

TEST(DeferredLinesTest, LineFlagsFollowWhatTheScriptReaches) {
  // Header list entries need not come in line order.
  const Texts headers = {"00000008", "8", "00000001", "1", "00000002", "2",
                         "00000004", "4", "00000007", "7"};
  EngineRun run(with_headers(R"(
    Set Variable | GO | no
    Create Folder | C:\Reached
    If | GO | 0 | yes | FALSE
      Create Folder | C:\Skipped
      Create Folder | C:\Skipped without a header
    End
    # Create Folder | C:\Commented out
    Write Registry | HKEY_LOCAL_MACHINE | | SOFTWARE\Quill | Folder | C:\Reached
    mark z)",
                             headers));
  expect_clean_run(run, "flags");
  EXPECT_EQ(run.get("RUN"), "z");

  const Properties properties = recorded(run);
  EXPECT_EQ(properties, (Properties{
                            // Start of the run: every line with a header, in line order.
                            {"A00000001", "FALSE"},
                            {"A00000002", "FALSE"},
                            {"A00000004", "FALSE"},
                            {"A00000007", "FALSE"},
                            {"A00000008", "FALSE"},
                            // The lines as they run.
                            {"A00000002", "TRUE"},
                            {"P00000002_1", "C:\\Reached"},
                            {"A00000008", "TRUE"},
                            {"P00000008_1", "SOFTWARE\\Quill"},
                            {"P00000008_2", "Folder"},
                            {"P00000008_3", "C:\\Reached"},
                        }));
  const struct {
    const char* name;
    const char* value;
  } effective_values[] = {
      {"A00000001", "FALSE"}, {"A00000002", "TRUE"}, {"A00000004", "FALSE"},
      {"A00000007", "FALSE"}, {"A00000008", "TRUE"},
  };
  for (const auto& e : effective_values) EXPECT_EQ(effective(properties, e.name), e.value) << e.name;

  EXPECT_EQ(run.engine().deferred_lines,
            (Texts{"SKIP", "SKIP", "TRUE", "SKIP", "FALSE", "FALSE", "SKIP", "SKIP", "TRUE", "SKIP"}));
}

TEST(DeferredLinesTest, NoDeferredLineReachedLeavesOnlyFalseFlags) {
  EngineRun run(with_headers(R"(
    Terminate Install
    Write Registry | HKEY_LOCAL_MACHINE | | SOFTWARE\Quill | Name | value
    Create ODBC DSN | Quill | driver | attributes)",
                             {"0000000A", "2", "0000000B", "3"}));
  expect_clean_run(run, "never reached");
  EXPECT_EQ(recorded(run), (Properties{{"A0000000A", "FALSE"}, {"A0000000B", "FALSE"}}));
  EXPECT_EQ(run.engine().deferred_lines, (Texts{"SKIP", "SKIP", "FALSE", "FALSE"}));
}

TEST(DeferredLinesTest, ALineThatRunsTwiceRecordsTwice) {
  EngineRun run(with_headers(R"(
    Set Variable | PASS | 1
    Label | Again
    Write Registry | HKEY_LOCAL_MACHINE | | SOFTWARE\Pass$PASS$ | Value | $PASS$
    Create Shortcut | target | Pass $PASS$ | C:\Menu | description $PASS$ | | icon
    If | PASS | 0 | 1 | FALSE
      Set Variable | PASS | 2
      GoTo Label | Again
    End)",
                             {"0000000C", "3", "0000000D", "4"}));
  expect_clean_run(run, "loop");

  const Properties properties = recorded(run);
  EXPECT_EQ(properties, (Properties{
                            {"A0000000C", "FALSE"},
                            {"A0000000D", "FALSE"},
                            {"A0000000C", "TRUE"},
                            {"P0000000C_1", "SOFTWARE\\Pass1"},
                            {"P0000000C_2", "Value"},
                            {"P0000000C_3", "1"},
                            {"A0000000D", "TRUE"},
                            {"P0000000D_1", "C:\\Menu"},
                            {"P0000000D_2", "target"},
                            {"P0000000D_3", ""},
                            {"P0000000D_4", "icon"},
                            {"A0000000C", "TRUE"},
                            {"P0000000C_1", "SOFTWARE\\Pass2"},
                            {"P0000000C_2", "Value"},
                            {"P0000000C_3", "2"},
                            {"A0000000D", "TRUE"},
                            {"P0000000D_1", "C:\\Menu"},
                            {"P0000000D_2", "target"},
                            {"P0000000D_3", ""},
                            {"P0000000D_4", "icon"},
                        }));
  EXPECT_EQ(effective(properties, "P0000000C_1"), "SOFTWARE\\Pass2");
  EXPECT_EQ(effective(properties, "P0000000C_3"), "2");
  EXPECT_EQ(run.engine().shortcut_texts, (Texts{"P0000000D_1", "Pass 1~1|Pass 1", "description 1", "P0000000D_1",
                                                "Pass 2~1|Pass 2", "description 2"}));
  EXPECT_EQ(run.engine().deferred_lines[3], "TRUE");
  EXPECT_EQ(run.engine().deferred_lines[4], "TRUE");
}

TEST(DeferredLinesTest, RecordedValuesAreExpandedAndNormalized) {
  struct Case {
    const char* field;
    const char* value;
  } cases[] = {
      {R"(C:\Program Files\Quill)", R"(C:\Program Files\Quill)"},
      {R"(C:\\Program Files\\Quill\\)", R"(C:\Program Files\Quill\)"},
      {R"(C:\Program Files\\\\Quill)", R"(C:\Program Files\\Quill)"},
      {R"(\\server\share\Quill)", R"(\\server\share\Quill)"},
      {R"(\\server\\share\\Quill)", R"(\\server\share\Quill)"},
      {R"(\\\\server\\share\\Quill)", R"(\\server\share\Quill)"},
      {R"($ROOT$\Quill)", R"(C:\Data\Quill)"},
      {R"($SHARE$\\Quill)", R"(\\server\share\Quill)"},
      {"first line$NEWLINE$second line", "first line$NEWLINE$second line"},
      {"$LINES$", "one$NEWLINE$two"},
      // Nothing is checked at run time.
      {R"($NO_SUCH$\\Quill)", R"($NO_SUCH$\Quill)"},
      {"", ""},
  };
  // One "Create Folder" line per case; line i + 4 has the header "F<i>".
  std::string script = "Set Variable | ROOT | C:\\\\Data\n"
                       "Set Variable | SHARE | \\\\server\\\\share\n"
                       "Set Variable | LINES | one$NEWLINE$two\n";
  Texts headers;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    script += std::string("Create Folder | ") + cases[i].field + "\n";
    headers.push_back("F" + std::to_string(i));
    headers.push_back(std::to_string(i + 4));
  }
  EngineRun run(with_headers(script, headers));
  expect_clean_run(run, "values");
  const Properties properties = recorded(run);
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(effective(properties, "PF" + std::to_string(i) + "_1"), cases[i].value) << cases[i].field;
}

TEST(DeferredLinesTest, ALineWithoutAHeaderStopsTheScript) {
  struct Case {
    const char* what;
    Texts headers;
    std::size_t failed_line;   // as users count lines
    Properties properties;
  } cases[] = {
      {"no header list at all", {}, 2, {}},
      {"only the first line has a header",
       {"0000000A", "1"},
       4,
       {{"A0000000A", "FALSE"}, {"A0000000A", "TRUE"}, {"P0000000A_1", "C:\\One"}}},
      {"an empty header", {"", "1"}, 2, {}},
      {"the line index appears only as a header text", {"1", "3"}, 2, {{"A1", "FALSE"}}},
      {"a header for another line only (a line added after the build)",
       {"0000000C", "2"},
       2,
       {{"A0000000C", "FALSE"}}},
  };
  for (const auto& c : cases) {
    EngineRun run(with_headers(R"(
      Create Folder | C:\One
      mark a
      Create Shortcut | target | Name | C:\Menu | description | | icon
      mark z)",
                               c.headers));
    ASSERT_TRUE(run.run()) << c.what;
    const RunOutcome& outcome = run.outcome();
    EXPECT_TRUE(outcome.failed) << c.what;
    EXPECT_EQ(outcome.failed_line, c.failed_line) << c.what;
    EXPECT_EQ(outcome.error_report, "Runtime error in setup script:\r\rLine " + std::to_string(c.failed_line) +
                                        ": " + kMissingHeader)
        << c.what;
    EXPECT_EQ(run.get("RUN").find('z'), std::string::npos) << c.what << ": nothing runs after the error";
    EXPECT_EQ(recorded(run), c.properties) << c.what;
    EXPECT_EQ(run.engine().deferred_lines[c.failed_line - 1], "FALSE") << c.what << ": the line is not marked";
    EXPECT_TRUE(run.engine().shortcut_texts.empty()) << c.what;
  }
}

TEST(DeferredLinesTest, ShortcutNameText) {
  struct Case {
    const char* long_name;
    const char* text;
  } cases[] = {
      {"Quill Help", "Quill~1|Quill Help"},   // a five-letter word, its blank trimmed
      {"Help", "Help~1|Help"},                 // shorter than six characters
      {"Uninstall Quill", "Uninst~1|Uninstall Quill"},
      {"Readme", "Readme~1|Readme"},
      {"  Read me", "Read~1|  Read me"},       // leading blanks trimmed from the short part only
      {"\tQuill", "Quill~1|\tQuill"},          // control characters count as blanks
      {"Ab\x01" "cdef", "Ab\x01" "cde~1|Ab\x01" "cdef"},  // but not inside the text
      {"      Quill", "~1|      Quill"},      // nothing but blanks in the first six
      {"", "~1|"},
      {"Qu ill", "Qu ill~1|Qu ill"},
  };
  for (const auto& c : cases) EXPECT_EQ(shortcut_name_text(c.long_name), c.text) << '"' << c.long_name << '"';
}

TEST(DeferredLinesTest, ShortcutAndProgIdTexts) {
  EngineRun run(with_headers(R"(
    Set Variable | PROGID | Quill.Document
    Set Variable | NAME | Quill Help
    Create Shortcut | $APP$ | $NAME$ Guide | C:\\Start\\Menu | Opens the $NAME$ in C:\\Guide | args | icon
    Advertised Shortcut | target | Tool | C:\Menu | | args | icon
    Advertised File Type | $PROGID$ | .qdoc | $NAME$ document in C:\\Docs | icon | verb)",
                             {"5C000003", "3", "5C000004", "4", "F7000005", "5"}));
  expect_clean_run(run, "triples");

  // The texts are expanded but not normalized.
  EXPECT_EQ(run.engine().shortcut_texts,
            (Texts{"P5C000003_1", "Quill~1|Quill Help Guide", "Opens the Quill Help in C:\\\\Guide",  //
                   "P5C000004_1", "Tool~1|Tool", ""}));
  // The first text is field 1 as written, reference and all.
  EXPECT_EQ(run.engine().progid_texts,
            (Texts{"$PROGID$", "Quill.Document", "Quill Help document in C:\\\\Docs"}));

  const Properties properties = recorded(run);
  EXPECT_EQ(effective(properties, "P5C000003_1"), "C:\\Start\\Menu");
  EXPECT_EQ(effective(properties, "P5C000003_2"), "$APP$") << "an unknown reference is recorded as it is";
  EXPECT_EQ(effective(properties, "AF7000005"), "TRUE");
  for (const auto& [name, value] : properties)
    EXPECT_FALSE(name.starts_with("PF7000005")) << "an advertised file type records its flag only: " << name;
}

TEST(DeferredLinesTest, TranslatedTextsWhenALanguageIsChosen) {
  const PackageText package = with_headers(R"(
    Choose Test Language | German
    Create Shortcut | target | Help | C:\Menu | Opens help | args | icon
    Advertised File Type | $PROGID$ | .q | Document | icon | verb
    Create File Type | Quill.Document | .q | Document | C:\App | verb
    Install Service | f1 | f2 | f3 | f4 | f5 | f6 | f7 | f8 | f9 | f10 | f11 | f12 | f13 | f14 | f15
    Control Service | Spooler | start
    Create Shortcut | target | Untranslated | C:\Menu | Stays | args | icon)",
                                           {"00000002", "2", "00000003", "3", "00000004", "4", "00000005", "5",
                                            "00000006", "6", "00000007", "7"});
  struct Text {
    std::size_t line;
    const char* translation;
  } texts[] = {
      {2, "Hilfe zu $TITLE$"},  // substituted again after translation
      {2, "Oeffnet die Hilfe in C:\\\\Hilfe"},
      {3, "Quill.Dokument"},
      {3, "Dokument"},
      {4, "C:\\\\Typen\\\\$TITLE$"},  // normalized after translation
      {4, "Dokument\\\\\\\\Typ"},
      {5, "Dienst 1"},
      {5, "Dienst 2"},
      {5, "Dienst 3"},
      {5, "Dienst 4"},
      {5, "Dienst 5"},
      {6, "Druckwarteschlange"},
  };

  EngineRun run(package);
  Translations& translations = run.engine().translations;
  for (const Text& text : texts) {
    translations.keys.push_back(PackageText::line_id(text.line));
    translations.sources.emplace_back();
    translations.translated.emplace_back(text.translation);
  }
  // Run initialisation starts every run without a language; this line
  // chooses one while the script runs, with the tables above loaded (as
  // loaded last, so that no file replaces them).
  run.engine().commands.add("Choose Test Language", [](Engine& engine, const ScriptLine& line) {
    engine.translations.current_language = engine.field(line, 1);
    engine.translations.loaded_language = engine.field(line, 1);
  });
  expect_clean_run(run, "translated");

  EXPECT_EQ(run.engine().shortcut_texts,
            (Texts{"P00000002_1", "Hilfe~1|Hilfe zu Sample Product", "Oeffnet die Hilfe in C:\\\\Hilfe",  //
                   "P00000007_1", "Untran~1|Untranslated", "Stays"}));
  EXPECT_EQ(run.engine().progid_texts, (Texts{"$PROGID$", "Quill.Dokument", "Dokument"}));

  const Properties properties = recorded(run);
  const struct {
    const char* name;
    const char* value;
  } values[] = {
      {"P00000004_1", "C:\\Typen\\Sample Product"},
      {"P00000004_2", ".q"},
      {"P00000004_3", "Dokument\\\\Typ"},
      {"P00000004_4", "C:\\App"},
      {"P00000005_1", "f2"},
      {"P00000005_2", "Dienst 1"},  // field 4
      {"P00000005_3", "Dienst 2"},  // field 5
      {"P00000005_4", "Dienst 4"},  // field 9
      {"P00000005_5", "Dienst 5"},  // field 10
      {"P00000005_6", "f13"},
      {"P00000005_7", "f14"},
      {"P00000005_8", "f15"},
      {"P00000005_9", "Dienst 3"},  // field 6
      {"P00000006_1", "Druckwarteschlange"},
      {"P00000006_2", "start"},
  };
  for (const auto& v : values) EXPECT_EQ(effective(properties, v.name), v.value) << v.name;
}

}  // namespace
}  // namespace qm
