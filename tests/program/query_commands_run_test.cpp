// The query commands in whole setups under Wine: the real engine with a
// script appended, its variables read back through a dump line, its
// run-time errors as the user sees them.

#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <thread>

#include "tests/support/message_box.h"
#include "tests/support/script_text.h"
#include "tests/support/setup_folder.h"

namespace qm {
namespace {

constexpr const char* kCaption = "Sample Product - Quillmore Wizard";

std::string short_form(const std::string& path) {
  char buffer[MAX_PATH] = {};
  const DWORD length = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::string() : std::string(buffer, length);
}

std::string long_form(const std::string& path) {
  char buffer[MAX_PATH] = {};
  const DWORD length = GetLongPathNameA(path.c_str(), buffer, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::string() : std::string(buffer, length);
}

TEST(QueryCommandsRunTest, EachCommandLeavesItsResult) {
  SetEnvironmentVariableA("QM_QUERY_RUN", "from the test");
  test::TempFolder files;
  const std::string folder = files.file("Long Folder Name");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const std::string short_folder = short_form(folder);
  ASSERT_FALSE(short_folder.empty());

  const std::string script =
      "Set Variable | TEXT | aXbxc\n"
      "Replace String | TEXT | x | - | TRUE | FALSE\n"
      "Parse String | key=value=x | = | KEY | VALUE | 1\n"
      "Set Variable | PATH | C:\\\\dir\\\\x.bx.b\n"
      "Extract Path | PATH | 1\n"
      "Set Variable | CASED | Mixed Case\n"
      "Convert Case | CASED | TRUE\n"
      "Mathematics | -1 | 60 | 9 | SHIFTED\n"
      "Mathematics | 7 | 0 | 3 | QUOTIENT\n"
      "Get Temporary File | TEMPFILE\n"
      "Get Environment | QM_QUERY_RUN | FROMENV\n"
      "Set Variable | LONGPATH | " + short_folder + "\\\n"
      "Convert Path | LONGPATH | FALSE\n"
      "Set Variable | SHORTPATH | " + folder + "\n"
      "Convert Path | SHORTPATH | TRUE\n"
      "dump\n";
  test::SetupFolder setup(test::script_package(script).text());
  ASSERT_EQ(setup.run("/s"), 0u);
  SetEnvironmentVariableA("QM_QUERY_RUN", nullptr);

  std::map<std::string, std::string> variables = setup.variables();
  EXPECT_EQ(variables["TEXT"], "a-bxc");
  EXPECT_EQ(variables["KEY"], "key=value");
  EXPECT_EQ(variables["VALUE"], "x");
  EXPECT_EQ(variables["PATH"], "x.bx");
  EXPECT_EQ(variables["CASED"], "MIXED CASE");
  EXPECT_EQ(variables["SHIFTED"], "15");
  EXPECT_EQ(variables["QUOTIENT"], "");
  EXPECT_EQ(variables["FROMENV"], "from the test");
  EXPECT_EQ(variables["LONGPATH"], long_form(folder));
  EXPECT_EQ(variables["SHORTPATH"], short_folder);

  const std::string temp_file = variables["TEMPFILE"];
  EXPECT_EQ(temp_file.substr(0, variables["TEMPDIR"].size()), variables["TEMPDIR"]);
  EXPECT_EQ(temp_file.substr(temp_file.size() - 4), ".tmp");
  EXPECT_NE(GetFileAttributesA(temp_file.c_str()), INVALID_FILE_ATTRIBUTES) << "the file is left for the script";
  DeleteFileA(temp_file.c_str());
}

// Run as a user runs it: the error is shown, the script stops at that line,
// and the setup ends as after a normal end.
TEST(QueryCommandsRunTest, RunTimeErrorsNameTheLine) {
  const struct {
    const char* script;
    const char* report;
  } cases[] = {
      {"GoTo Label | ON\nSet Variable | SKIPPED | x\nLabel | ON\nmark a\ndump\nExtract Path | Skipped | 0\n"
       "mark z\ndump",
       "Runtime error in setup script:\r\rLine 7: Attempting to get value of undefined variable SKIPPED"},
      {"mark a\ndump\nParse String | a=b | = | K | V | first\nmark z\ndump",
       "Runtime error in setup script:\r\rLine 4: 'first' is not a valid integer value"},
  };
  for (const auto& c : cases) {
    test::SetupFolder setup(test::script_package(c.script).text());
    std::uint32_t exit_code = 1;
    std::thread run([&] { exit_code = setup.run(""); });
    const std::string shown = test::answer_message_box(kCaption);
    run.join();
    EXPECT_EQ(shown, c.report);
    EXPECT_EQ(exit_code, 0u);
    EXPECT_EQ(setup.variables()["RUN"], "a") << "nothing ran after the failing line";
  }
}

}  // namespace
}  // namespace qm
