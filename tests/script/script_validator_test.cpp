#include "script/script_validator.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "script/package_reader.h"
#include "script/variable_store.h"
#include "tests/support/package_text.h"

namespace qm {
namespace {

struct Line {
  Line(std::string command, std::vector<std::string> fields = {}, std::string state = {})
      : command(std::move(command)), fields(std::move(fields)), state(std::move(state)) {}

  std::string command;
  std::vector<std::string> fields;
  std::string state;  // "C" comments the line out
};
using Script = std::vector<Line>;

constexpr std::int32_t kValid = -1;
constexpr std::int32_t kBlockCount = 2147483644;  // 0x7FFFFFFC
const std::string kCompiled = "Script compiled successfully";

// The build tool writes every field of a command; padding the short lists of
// the tests keeps a read past them from landing in the next line's record.
// An empty list stays empty: that line gets no record at all.
constexpr std::size_t kFieldsPerRecord = 10;

ValidationResult validate(const Script& script, VariableStore& variables) {
  test::PackageText text;
  for (const Line& line : script) {
    std::vector<std::string> fields = line.fields;
    if (!fields.empty()) fields.resize(kFieldsPerRecord);
    text.add_line(line.command, std::move(fields), line.state);
  }
  return validate_script(parse_package(text.text()), variables);
}

ValidationResult validate(const Script& script) {
  VariableStore variables;
  return validate(script, variables);
}

struct Case {
  const char* name;
  Script script;
  std::int32_t result;
  std::string reason;
};

void expect_outcomes(std::span<const Case> cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ValidationResult got = validate(c.script);
    EXPECT_EQ(got.result, c.result);
    EXPECT_EQ(got.reason, c.reason);
    EXPECT_EQ(got.ok(), c.result == kValid);
  }
}

// A line that tests the variable: valid only when it is defined.
Line test_of(std::string variable) { return {"If", {std::move(variable), "0", "x"}}; }

const std::vector<std::string> kKnownVariables = {
    "VRAKLOGO", "TIME", "DATE", "NEWINSTANCE", "SELECTED", "WINDOWHANDLE", "EXEDIR", "EXEFILE",
    "UNINSTALLLINK", "ENGINECACHE", "COPYWEBLOCK", "ABORT", "SILENT", "LOGGED", "CMDLINE", "REBOOTNOW",
    "SFXPATH", "SFXFILE", "LASTERROR", "PROGRESSMODE", "PROGRESSTEXT", "PROGRESS", "LICENSE", "USERNAME",
    "USERCOMPANY", "REBOOTCOMPUTER", "RUNAPP", "WIZARD", "VERSION", "TARGETDIR", "STARTMENU", "ADVERTISE",
    "ALLUSERS", "COMPLETE", "MINIMUM", "PERSONALIZED", "MODIFY", "REPAIR", "REMOVE", "DATADIR", "PRODUCTCODE",
    "REVISIONCODE", "ROOTDIR", "MAINTENANCE", "NEWLINE", "NEEDSUPGRADE", "TITLE", "COMPANY", "TEMPDIR",
    "SUPPORTDIR", "MSIFILE", "LANGUAGE",
};

// --- the store ---------------------------------------------------------------

TEST(ScriptValidatorTest, StartsFromAnEmptyStoreWithTheKnownVariables) {
  VariableStore variables;
  variables.define("LEFTOVER", "from before", category::kSetVariable);
  variables.define("TARGETDIR", "C:\\Old\\", category::kSetVariable);
  variables.keep("LEFTOVER");

  const ValidationResult result = validate({}, variables);

  EXPECT_TRUE(result.ok());
  EXPECT_EQ(result.reason, kCompiled);
  std::vector<std::string> names;
  for (const auto& [name, value] : variables.snapshot()) {
    names.push_back(name);
    EXPECT_EQ(value, "") << name;
  }
  EXPECT_EQ(names, kKnownVariables);
  EXPECT_TRUE(variables.persisted().empty());
}

TEST(ScriptValidatorTest, KnownVariablesAreDefinedEvenWhenTheCommandLineOverridesThem) {
  VariableStore variables;
  variables.set_silent_run(true);
  variables.set_overrides({{"TARGETDIR", "D:\\"}});
  const ValidationResult result = validate({test_of("TARGETDIR"), {"End"}}, variables);
  EXPECT_TRUE(result.ok()) << result.reason;
  EXPECT_TRUE(variables.exists("TARGETDIR"));
}

// --- block structure -----------------------------------------------------------

TEST(ScriptValidatorTest, BlockStructure) {
  const Line if_line = test_of("TARGETDIR");
  const Line else_if = {"Else If", {"TARGETDIR", "0", "y"}};
  const Line end = {"End"};
  const Line label = {"Label", {"Here"}};
  const Line dialog = {"Display Dialog", {"Welcome", "RESULT"}};
  const std::string nested = "LABEL statements cannot be nested inside loops/conditionals";
  const Case cases[] = {
      {"balanced if", {if_line, {"Comment"}, end}, kValid, kCompiled},
      {"else and else if are not blocks", {if_line, else_if, {"Else"}, end}, kValid, kCompiled},
      {"nested blocks", {if_line, {"Wizard Loop"}, dialog, end, end}, kValid, kCompiled},
      {"one end too many", {if_line, end, end}, kBlockCount, "Too many END statements"},
      {"end without if", {end}, kBlockCount, "Too many END statements"},
      {"if without end", {if_line, {"Comment"}}, kBlockCount, "Insufficient END statements"},
      {"wizard loop without end", {{"Wizard Loop"}, dialog}, kBlockCount, "Insufficient END statements"},
      {"commented end is not counted", {if_line, {"End", {}, "C"}}, kBlockCount, "Insufficient END statements"},
      {"commented if is not counted", {{"If", {}, "C"}, end}, kBlockCount, "Too many END statements"},
      {"lower-case c does not comment out", {if_line, {"End", {}, "c"}}, kValid, kCompiled},
      {"label inside if", {{"Comment"}, if_line, label, end}, 2, nested},
      {"label inside else", {if_line, {"Else"}, label, end}, 2, nested},
      {"label inside wizard loop", {{"Wizard Loop"}, label, end}, 1, nested},
      {"label after the block", {if_line, end, label}, kValid, kCompiled},
      {"label after a commented-out block", {{"If", {}, "C"}, label, {"End", {}, "C"}}, kValid, kCompiled},
      {"commented label inside a block", {if_line, {"Label", {"Here"}, "C"}, end}, kValid, kCompiled},
      {"nested label found before the missing end", {if_line, label}, 1, nested},
      {"block count is checked before labels", {label, label, if_line}, kBlockCount, "Insufficient END statements"},
  };
  expect_outcomes(cases);
}

// --- labels --------------------------------------------------------------------------

TEST(ScriptValidatorTest, Labels) {
  const Case cases[] = {
      {"redefined in another case", {{"Label", {"Start"}}, {"Comment"}, {"Label", {"START"}}}, 2,
       "LABEL re-defined: START"},
      {"commented labels count", {{"Label", {"Start"}, "C"}, {"Label", {"start"}}}, 1, "LABEL re-defined: start"},
      {"two empty labels", {{"Label"}, {"Label", {""}}}, 1, "LABEL re-defined: "},
      {"goto a later label", {{"GoTo Label", {"Finish"}}, {"Comment"}, {"Label", {"Finish"}}}, kValid, kCompiled},
      {"goto in another case", {{"Label", {"Finish"}}, {"GoTo Label", {"fInIsH"}}}, kValid, kCompiled},
      {"goto a commented-out label", {{"Label", {"Finish"}, "C"}, {"GoTo Label", {"Finish"}}}, kValid, kCompiled},
      {"goto nowhere", {{"Label", {"Finish"}}, {"GoTo Label", {"Nowhere"}}}, 1, "LABEL undefined: Nowhere"},
      {"goto without a name", {{"Label", {"Finish"}}, {"GoTo Label"}}, 1, "LABEL undefined: "},
      {"commented goto is not checked", {{"GoTo Label", {"Nowhere"}, "C"}}, kValid, kCompiled},
      {"redefinition is found before line checks", {{"GoTo Label", {"Nowhere"}}, {"Label", {"A"}}, {"Label", {"a"}}},
       2, "LABEL re-defined: a"},
  };
  expect_outcomes(cases);
}

TEST(ScriptValidatorTest, CollectsUpperCasedLabelNames) {
  const ValidationResult valid =
      validate({{"Label", {"Start"}}, {"Label", {"middle part"}, "C"}, {"Comment", {"Label"}}, {"Label", {"END"}}});
  EXPECT_TRUE(valid.ok());
  EXPECT_EQ(valid.label_names, (std::vector<std::string>{"START", "MIDDLE PART", "END"}));

  const ValidationResult redefined = validate({{"Label", {"One"}}, {"Label", {"Two"}}, {"Label", {"one"}}});
  EXPECT_EQ(redefined.result, 2);
  EXPECT_EQ(redefined.label_names, (std::vector<std::string>{"ONE", "TWO"}));
}

// --- variables: conditions and kept variables ---------------------------------------

TEST(ScriptValidatorTest, ConditionsNeedDefinedVariables) {
  const Case cases[] = {
      {"known variable", {test_of("TARGETDIR"), {"End"}}, kValid, kCompiled},
      {"known variable in lower case", {test_of("targetdir"), {"End"}}, kValid, kCompiled},
      {"reference to a known variable", {test_of("$TargetDir$"), {"End"}}, kValid, kCompiled},
      {"defined by an earlier line", {{"Set Variable", {"CHOICE", "a"}}, test_of("CHOICE"), {"End"}}, kValid, kCompiled},
      {"defined only by a later line",
       {{"Comment"}, test_of("CHOICE"), {"End"}, {"Set Variable", {"CHOICE", "a"}}}, 1, "Variable not defined: CHOICE"},
      {"defined only by a commented-out line",
       {{"Set Variable", {"CHOICE", "a"}, "C"}, test_of("CHOICE"), {"End"}}, 1, "Variable not defined: CHOICE"},
      {"undefined reference", {test_of("$CHOICE$"), {"End"}}, 0, "Variable not defined: $CHOICE$"},
      {"no variable", {{"If", {"", "0", "x"}}, {"End"}}, 0, "Variable required"},
      {"no parameters at all", {{"If"}, {"End"}}, 0, "Variable required"},
      {"value may be any literal", {{"If", {"TITLE", "0", "CHOICE"}}, {"End"}}, kValid, kCompiled},
      {"value may be empty", {{"If", {"TITLE", "0", ""}}, {"End"}}, kValid, kCompiled},
      {"value referring to a known variable", {{"If", {"TITLE", "0", "$company$"}}, {"End"}}, kValid, kCompiled},
      {"value referring to an undefined variable", {{"If", {"TITLE", "0", "$CHOICE$"}}, {"End"}}, 0,
       "Variable not defined: $CHOICE$"},
      {"both undefined: the value is named", {{"If", {"LEFT", "0", "$RIGHT$"}}, {"End"}}, 0,
       "Variable not defined: $RIGHT$"},
      {"else if is checked alike", {test_of("TITLE"), {"Else If", {"LEFT", "0", "x"}}, {"End"}}, 1,
       "Variable not defined: LEFT"},
      {"else if without variable", {test_of("TITLE"), {"Else If", {"", "0", "x"}}, {"End"}}, 1, "Variable required"},
      {"commented if is not checked", {{"If", {"", "0", "x"}, "C"}, {"End", {}, "C"}}, kValid, kCompiled},
  };
  expect_outcomes(cases);
}

TEST(ScriptValidatorTest, KeptVariablesAreDefinedBeforeAnyLineIsChecked) {
  const Case cases[] = {
      {"kept by a later line", {test_of("KEPT"), {"End"}, {"Set Variable", {"KEPT$VRAK$VRAK$TRUE", "x"}}}, kValid,
       kCompiled},
      {"kept by a later reference", {test_of("KEPT"), {"End"}, {"Set Variable", {"$Kept$$VRAK$VRAK$TRUE", "x"}}},
       kValid, kCompiled},
      {"kept by a commented-out line",
       {test_of("KEPT"), {"End"}, {"Set Variable", {"KEPT$VRAK$VRAK$TRUE", "x"}, "C"}}, kValid, kCompiled},
      {"flag must be exactly TRUE", {test_of("KEPT"), {"End"}, {"Set Variable", {"KEPT$VRAK$VRAK$true", "x"}}}, 0,
       "Variable not defined: KEPT"},
      {"flag FALSE", {test_of("KEPT"), {"End"}, {"Set Variable", {"KEPT$VRAK$VRAK$FALSE", "x"}}}, 0,
       "Variable not defined: KEPT"},
      {"no flag", {test_of("KEPT"), {"End"}, {"Set Variable", {"KEPT$VRAK$VRAK$", "x"}}}, 0,
       "Variable not defined: KEPT"},
  };
  expect_outcomes(cases);

  VariableStore variables;
  EXPECT_TRUE(validate({{"Set Variable", {"$VRAK$VRAK$TRUE", "x"}}}, variables).ok());
  EXPECT_EQ(variables.size(), kKnownVariables.size()) << "a marker without a name defines nothing";
}

// --- variables the commands create ------------------------------------------------

TEST(ScriptValidatorTest, CommandsDefineTheirResultVariables) {
  struct DefineCase {
    const char* command;
    std::vector<std::string> fields;  // "RES" marks the result field
  } cases[] = {
      {"Get Folder Location", {"RES", "5", "FALSE"}},
      {"Mathematics", {"1", "2", "0", "RES"}},
      {"Is MSI Setup Installed", {"{12345678-ABCD-4321-8765-0123456789AB}", "RES"}},
      {"Get INI File Settings", {"RES", "a.ini", "Section", "Key"}},
      {"Extract 7Zip Archive", {"a.7z", "C:\\Out", "RES"}},
      {"Run Light Mode Setup", {"a.exe", "RES"}},
      {"Read from Text File", {"a.txt", "RES", "EOF"}},
      {"Read from Text File", {"a.txt", "LINE", "RES"}},
      {"Parse String", {"a,b", ",", "RES", "REST"}},
      {"Parse String", {"a,b", ",", "FIRST", "RES"}},
      {"Check File Version", {"RES", "a.dll"}},
      {"Get System Settings", {"RES", "1"}},
      {"Get OS or SP Level", {"RES", "TRUE"}},
      {"Read Registry", {"RES", "2", "Software\\Sample", "Path"}},
      {"Check Registry", {"RES", "2", "Software\\Sample", "Path"}},
      {"Does File/Folder Exist", {"RES", "C:\\a.txt", "TRUE"}},
      {"Get Temporary File", {"RES"}},
      {"Get IIS Property", {"TRUE", "", "1", "", "ServerComment", "RES"}},
      {"Get IIS Site List", {"RES"}},
      {"Localization Variable", {"RES", "Hello"}},
      {"Set Variable", {"RES", "x"}},
      {"Set Variable", {"$RES$", "x"}},
      {"Set Variable", {"RES$VRAK$VRAK$FALSE", "x"}},
      {"Evaluate Expression", {"\"a\" = \"a\"", "RES"}},
      {"Run Program", {"a.exe", "FALSE", "", "TRUE", "RES"}},
      {"Run Program As", {"a.exe", "", "", "1", "user", "", "", "RES", "TRUE"}},
      {"Get File Version", {"a.dll", "RES"}},
      {"Get File Version", {"a.dll", "$res$"}},
      {"Get Environment", {"PATH", "RES"}},
      {"Get IIS Site Index", {"Default Web Site", "RES"}},
      {"Find All Files", {"C:\\*.txt", "FALSE", "FALSE", "RES"}},
      {"Check Disk Space", {"RES", "C:\\", "TRUE"}},
      {"MessageBox", {"Title", "Text", "0", "4", "RES"}},
      {"Check Service", {"Spooler", "", "RES"}},
      {"Check Process", {"a.exe", "RES"}},
      {"Register Library", {"a.dll", "TRUE", "RES"}},
      {"Apply Changes", {"Progress", "RES", "TRUE"}},
      {"Apply Patch", {"RES"}},
      {"Display Dialog", {"Welcome", "RES"}},
      {"Get Component State", {"MAIN", "RES"}},
      {"Get Component Space", {"MAIN", "RES"}},
      {"IIS Anonymous User", {"res"}},
  };
  for (const DefineCase& c : cases) {
    testing::Message trace;
    trace << c.command;
    for (const std::string& field : c.fields) trace << " | " << field;
    SCOPED_TRACE(trace);
    VariableStore variables;
    const ValidationResult active = validate({{c.command, c.fields}, test_of("RES"), {"End"}}, variables);
    EXPECT_TRUE(active.ok()) << active.reason;
    EXPECT_TRUE(variables.exists("RES"));
    EXPECT_EQ(validate({{c.command, c.fields, "C"}, test_of("RES"), {"End"}}).reason, "Variable not defined: RES")
        << "a commented-out line defines nothing";
  }
}

TEST(ScriptValidatorTest, OtherFieldsAndCommandsDefineNothing) {
  const Script scripts[] = {
      {{"Comment", {"RES"}}},
      {{"Web Media Block", {"RES", "https://example.com/RES"}}},
      {{"Install Files", {"RES", "RES", "C:\\Target"}}},
      {{"Check Plugin Thing", {"RES"}}},
      {{"get folder location", {"RES"}}},  // command names are compared exactly
      {{"Get Folder Location", {"", "RES"}}},
      {{"Run Program", {"RES", "RES", "RES", "FALSE", ""}}},
  };
  for (const Script& script : scripts) {
    SCOPED_TRACE(script[0].command);
    VariableStore variables;
    EXPECT_TRUE(validate(script, variables).ok());
    EXPECT_EQ(variables.size(), kKnownVariables.size());
  }
}

// --- command-specific checks --------------------------------------------------------

TEST(ScriptValidatorTest, WebMediaBlockNeedsALegalNameAndADownloadUrl) {
  const std::string url = "https://example.com/disk1";
  const std::string illegal = "Web Media Block name must be a legal file name";
  const std::string no_url = "Web Media Block must have at least one download URL";
  struct NameCase {
    std::string name;
    std::string url;
    std::int32_t result;
    std::string reason;
  } cases[] = {
      {"Disk1", url, kValid, kCompiled},
      {"", "", kValid, kCompiled},
      {"Disk1", "", 1, no_url},
      {"a/b", url, 1, illegal},
      {"a*b", url, 1, illegal},
      {"a?b", url, 1, illegal},
      {"a\"b", url, 1, illegal},
      {"a<b", url, 1, illegal},
      {"a>b", url, 1, illegal},
      {"a|b", url, 1, illegal},
      {"Media\\Disk1", url, kValid, kCompiled},
      {"C:Disk1", url, kValid, kCompiled},
      {"x?y\\Disk1", url, kValid, kCompiled},   // only the file-name part counts
      {"x|y:Disk1", url, kValid, kCompiled},
      {"Media\\Di*sk1", url, 1, illegal},
      {"a|b", "", 1, no_url},                   // the missing URL wins
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.name + " / " + c.url);
    const ValidationResult got = validate({{"Comment"}, {"Web Media Block", {c.name, c.url}}});
    EXPECT_EQ(got.result, c.result);
    EXPECT_EQ(got.reason, c.reason);
  }
}

TEST(ScriptValidatorTest, RequiredFields) {
  const std::string required = "Variable required";
  const std::string no_target =
      "A target folder must be specified for files that are being installed.\r"
      "The value $TARGETDIR$ represents the destination folder chosen by the user.";
  const std::string no_mode = "At least one delete mode must be selected";
  const Case cases[] = {
      {"msi query without result", {{"Comment"}, {"Is MSI Setup Installed", {"{code}", ""}}}, 1, required},
      {"file search without result", {{"Comment"}, {"Find All Files", {"C:\\*.*", "TRUE", "TRUE", ""}}}, 1, required},
      {"disk space without result", {{"Comment"}, {"Check Disk Space", {"", "C:\\", "TRUE"}}}, 1, required},
      {"disk space without parameters", {{"Check Disk Space"}}, 0, required},
      {"install without target", {{"Comment"}, {"Install Files", {"Main", "", ""}}}, 1, no_target},
      {"install without parameters", {{"Install Files"}}, 0, no_target},
      {"install with target", {{"Install Files", {"", "", "$TARGETDIR$"}}}, kValid, kCompiled},
      {"delete without mode", {{"Comment"}, {"Delete Files", {"C:\\a.txt", "", "FALSE", "FALSE"}}}, 1, no_mode},
      {"delete with mode 1 as a number", {{"Delete Files", {"C:\\a.txt", "", "1", "0"}}}, 0, no_mode},
      {"delete with TRUE in field 3", {{"Delete Files", {"C:\\a.txt", "", "TRUE", ""}}}, kValid, kCompiled},
      {"delete with true in field 4", {{"Delete Files", {"C:\\a.txt", "", "", "true"}}}, kValid, kCompiled},
      {"delete with -1 in field 4", {{"Delete Files", {"C:\\a.txt", "", "FALSE", "-1"}}}, kValid, kCompiled},
      {"delete with a blank before TRUE", {{"Delete Files", {"C:\\a.txt", "", " TRUE", ""}}}, 0, no_mode},
      {"dialog without name", {{"Comment"}, {"Display Dialog", {"", "RESULT"}}}, 1, "Dialog name not specified"},
      {"dialog without parameters", {{"Display Dialog"}}, 0, "Dialog name not specified"},
      {"dialog with an undefined skip variable", {{"Comment"}, {"Display Dialog", {"Welcome", "R", "", "SKIPIT"}}}, 1,
       "Variable not defined: SKIPIT"},
      {"dialog with an undefined skip reference", {{"Display Dialog", {"Welcome", "R", "", "$SKIPIT$"}}}, 0,
       "Variable not defined: $SKIPIT$"},
      {"dialog with a known skip variable", {{"Display Dialog", {"Welcome", "R", "", "MAINTENANCE"}}}, kValid,
       kCompiled},
      {"dialog with a known skip reference", {{"Display Dialog", {"Welcome", "R", "", "$Maintenance$"}}}, kValid,
       kCompiled},
      {"dialog name is checked first", {{"Display Dialog", {"", "R", "", "SKIPIT"}}}, 0, "Dialog name not specified"},
      {"dialog defines its result after the check", {{"Display Dialog", {"Welcome", "R", "", "R"}}}, 0,
       "Variable not defined: R"},
  };
  expect_outcomes(cases);
}

TEST(ScriptValidatorTest, VariableCommandsNeedTheBareNameOfADefinedVariable) {
  for (const char* command : {"Convert Path", "Convert Case", "Extract Path", "Replace String"}) {
    const Case cases[] = {
        {"known", {{command, {"TARGETDIR", "TRUE"}}}, kValid, kCompiled},
        {"known, lower case", {{command, {"targetdir", "TRUE"}}}, kValid, kCompiled},
        {"defined earlier", {{"Set Variable", {"PATHTEXT", "x"}}, {command, {"PathText", "TRUE"}}}, kValid, kCompiled},
        {"undefined", {{"Comment"}, {command, {"PathText", "TRUE"}}}, 1, "Variable not defined: PathText"},
        {"written as a reference", {{command, {"$TARGETDIR$", "TRUE"}}}, 0, "Variable not defined: $TARGETDIR$"},
        {"empty", {{command}}, 0, "Variable not defined: "},
    };
    SCOPED_TRACE(command);
    expect_outcomes(cases);
  }
}

TEST(ScriptValidatorTest, ExpressionSyntax) {
  const std::string syntax =
      "Syntax error in expression. Please review the help topic \"Evaluate Expression\" for the correct syntax.";
  struct ExpressionCase {
    std::string expression;
    bool valid;
  } cases[] = {
      {"$A$ = \"yes\" and $B$ <> \"\"", true},  // references need not be defined
      {"($X$ = \"1\" or $X$ = \"2\") and $Y$ >= \"M\"", true},
      {"\"a\" = \"a\"", true},
      {"$TARGETDIR$ = \"C:\\\"", true},
      {"", false},
      {"\"a\" = \"a\" AND \"b\" = \"b\"", false},
      {"\"a\" = \"b\" and", false},
      {"$A$ = yes", false},
      {"($A$ = \"1\"", false},
      {"$A$", false},
  };
  for (const ExpressionCase& c : cases) {
    SCOPED_TRACE(c.expression);
    VariableStore variables;
    const ValidationResult got = validate({{"Comment"}, {"Evaluate Expression", {c.expression, "OUTCOME"}}}, variables);
    EXPECT_EQ(got.result, c.valid ? kValid : 1);
    EXPECT_EQ(got.reason, c.valid ? kCompiled : syntax);
    EXPECT_TRUE(variables.exists("OUTCOME")) << "the result variable is defined before the check";
  }
}

// --- deferred line list -----------------------------------------------------------------

TEST(ScriptValidatorTest, MachineChangingLinesStartAsNotYetRun) {
  const char* deferred_commands[] = {
      "Copy/Move Local Files", "Create Folder",   "Create Shortcut",   "Advertised Shortcut",
      "Edit INI File",         "Install Assembly", "Set Environment",  "Install Service",
      "Install ODBC Driver",   "Create ODBC DSN",  "Control Service",  "Write Registry",
      "Create File Type",      "Advertised File Type",
  };
  Script script;
  std::vector<std::string> expected;
  for (const char* command : deferred_commands) {
    script.push_back({command, {"x"}});
    expected.push_back("FALSE");
  }
  script.push_back({"Install Files", {"", "", "$TARGETDIR$"}});
  script.push_back({"Delete Files", {"C:\\a.txt", "", "TRUE", "FALSE"}});
  expected.insert(expected.end(), {"FALSE", "FALSE"});
  for (const Line& other : Script{{"Create Folder", {"x"}, "C"},
                                  {"create folder", {"x"}},
                                  {"Comment"},
                                  {"Set Variable", {"A", "b"}},
                                  {"Delete Files Recursive", {"C:\\Temp\\*.*"}}}) {
    script.push_back(other);
    expected.push_back("SKIP");
  }

  const ValidationResult result = validate(script);
  EXPECT_TRUE(result.ok()) << result.reason;
  EXPECT_EQ(result.deferred_lines, expected);
}

TEST(ScriptValidatorTest, DeferredListCoversTheLinesLookedAt) {
  const ValidationResult failed_at_line =
      validate({{"Create Folder", {"x"}}, {"Install Files", {"", "", ""}}, {"Create Folder", {"y"}}});
  EXPECT_EQ(failed_at_line.result, 1);
  EXPECT_EQ(failed_at_line.deferred_lines, (std::vector<std::string>{"FALSE", "SKIP"}));

  const ValidationResult failed_before = validate({{"Create Folder", {"x"}}, {"End"}});
  EXPECT_EQ(failed_before.result, kBlockCount);
  EXPECT_TRUE(failed_before.deferred_lines.empty());

  EXPECT_TRUE(validate({}).deferred_lines.empty());
}

// --- wizard loops ---------------------------------------------------------------------

TEST(ScriptValidatorTest, WizardLoopBodiesHoldOnlyDialogs) {
  const Line loop = {"Wizard Loop"};
  const Line dialog = {"Display Dialog", {"Welcome", "RESULT"}};
  const Line end = {"End"};
  const Line set = {"Set Variable", {"A", "b"}};
  const std::string body = "Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP";
  const Case cases[] = {
      {"dialogs and comments",
       {loop, dialog, {"Comment", {"note"}}, {"Ignore"}, {"Display Dialog", {"Finish", "RESULT"}}, end, test_of("RESULT"),
        end},
       kValid, kCompiled},
      {"set variable inside", {{"Comment"}, loop, dialog, set, end}, 3, body},
      {"commented set variable inside", {loop, dialog, {"Set Variable", {"A", "b"}, "C"}, end}, kValid, kCompiled},
      {"if inside", {loop, test_of("TITLE"), dialog, end, end}, 1, body},
      {"wizard loop inside", {loop, {"Wizard Loop"}, dialog, end, end}, 1, body},
      {"set variable after the loop", {loop, dialog, end, set}, kValid, kCompiled},
      {"set variable before the loop", {set, loop, dialog, end}, kValid, kCompiled},
      {"the body ends at the first active end", {loop, dialog, {"End", {}, "C"}, set, end}, 3, body},
      {"a commented-out loop has no body", {{"Wizard Loop", {}, "C"}, set, {"End", {}, "C"}}, kValid, kCompiled},
      {"line checks come first", {loop, set, end, {"GoTo Label", {"Nowhere"}}}, 3, "LABEL undefined: Nowhere"},
      {"dialogs in the body are checked", {loop, {"Display Dialog", {"", "RESULT"}}, end}, 1,
       "Dialog name not specified"},
  };
  expect_outcomes(cases);
}

// --- a whole script -----------------------------------------------------------------------

TEST(ScriptValidatorTest, TypicalScriptCompiles) {
  VariableStore variables;
  const ValidationResult result = validate(
      {
          {"Comment", {"Sample setup"}},
          {"Set Variable", {"PRODUCTVER$VRAK$VRAK$TRUE", "1.0"}},
          {"Get Folder Location", {"PROGFILES", "5", "FALSE"}},
          {"Set Variable", {"$TARGETDIR$", "$PROGFILES$\\Sample"}},
          {"Label", {"Wizard"}},
          {"Wizard Loop"},
          {"Display Dialog", {"Welcome", "DIALOG", "", ""}},
          {"Display Dialog", {"Folder", "DIALOG", "", "MAINTENANCE"}},
          {"End"},
          {"If", {"DIALOG", "0", "CANCEL"}},
          {"Terminate Install"},
          {"Else If", {"DIALOG", "0", "BACK"}},
          {"GoTo Label", {"wizard"}},
          {"End"},
          {"Install Files", {"", "", "$TARGETDIR$"}},
          {"Create Shortcut", {"$TARGETDIR$\\app.exe"}},
          {"Apply Changes", {"Progress", "APPLY", "TRUE"}},
          {"If", {"$APPLY$", "0", "$COMPLETE$"}},
          {"Run Program", {"$TARGETDIR$\\app.exe", "FALSE", "", "FALSE", "EXITCODE"}},
          {"End"},
          {"Evaluate Expression", {"$EXITCODE$ = \"0\" and $PRODUCTVER$ <> \"\"", "FINE"}},
      },
      variables);

  EXPECT_EQ(result.result, kValid);
  EXPECT_EQ(result.reason, kCompiled);
  EXPECT_EQ(result.label_names, std::vector<std::string>{"WIZARD"});
  std::vector<std::string> expected_deferred(21, "SKIP");
  expected_deferred[14] = "FALSE";
  expected_deferred[15] = "FALSE";
  EXPECT_EQ(result.deferred_lines, expected_deferred);
  for (const char* name : {"PRODUCTVER", "PROGFILES", "DIALOG", "APPLY", "EXITCODE", "FINE"}) {
    EXPECT_TRUE(variables.exists(name)) << name;
    EXPECT_EQ(variables.get(name), "") << name;
  }
}

}  // namespace
}  // namespace qm
