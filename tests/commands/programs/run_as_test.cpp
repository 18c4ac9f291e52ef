// "Run Program As": the environment block and window states it builds, and
// real starts of our test program with a working folder and an environment,
// as the current user and as an account.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "commands/programs/run_as.h"
#include "tests/commands/query/query_run.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

using test::EngineRun;

TEST(RunAsTest, EnvironmentBlocksAndWindowStates) {
  using namespace std::string_literals;
  const struct {
    std::string lines;
    std::string block;
  } blocks[] = {
      {"", ""},
      {"A=1", "A=1\0\0"s},
      {"A=1\r\nB=two words", "A=1\0B=two words\0\0"s},
      {"A=1\nB=2\n", "A=1\0B=2\0\0"s},
      {"A=1\r\n\r\nB=2", "A=1\0B=2\0\0"s},  // an empty line would end the block early
      {"\r\n", ""},
  };
  for (const auto& c : blocks) EXPECT_EQ(environment_block(c.lines), c.block) << c.lines;

  const int states[][2] = {{0, SW_SHOW},           {1, SW_HIDE},           {2, SW_SHOWMAXIMIZED},
                           {3, SW_SHOWMINIMIZED},  {4, SW_SHOWMINNOACTIVE}, {5, SW_HIDE},
                           {-1, SW_HIDE}};
  for (const auto& [number, state] : states) EXPECT_EQ(show_state_of(number), state) << number;
}

std::unique_ptr<EngineRun> run_line(const std::string& line) {
  auto run = std::make_unique<EngineRun>(test::script_package(line));
  EXPECT_TRUE(run->run());
  return run;
}

// Fields: program | working folder | parameters | show | user | password |
// domain | variable | wait | environment.
std::string run_as_line(const std::string& program, const std::string& folder, const std::string& parameters,
                        const std::string& user, bool wait, const std::string& environment) {
  return "Run Program As | " + program + " | " + folder + " | " + parameters + " | 1 | " + user + " | secret | | CODE | " +
         (wait ? "TRUE" : "FALSE") + " | " + environment;
}

TEST(RunAsTest, TheCurrentUserStartsTheProgramInItsFolderWithItsEnvironment) {
  test::TempFolder folder;
  const std::string program = test::program_folder() + "test_program.exe";
  const std::string record = folder.file("record.txt");
  const auto run = run_line(run_as_line(program, folder.path(), "record " + record + " x", "", true,
                                        "QM_TEST_VALUE=from the script$NEWLINE$OTHER=1"));
  ASSERT_FALSE(run->outcome().failed) << run->outcome().error_report;
  EXPECT_EQ(run->get("CODE"), "7");
  const std::string recorded = test::read_file(record);
  EXPECT_NE(recorded.find("\"" + program + "\" record " + record + " x\r\n"), std::string::npos) << recorded;
  std::string working = folder.path();
  working.pop_back();
  EXPECT_NE(recorded.find("\r\n" + working + "\r\n"), std::string::npos) << "the working folder: " << recorded;
  EXPECT_NE(recorded.find("\r\nfrom the script\r\n"), std::string::npos) << recorded;
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_NE(std::string(current) + "\\", folder.path()) << "the engine's folder is back";

  const struct {
    std::string line;
    const char* code;
  } cases[] = {
      {run_as_line(program, "", "sleep 3000", "", false, ""), "259"},
      {run_as_line(program, "", "exit 12", "", true, ""), "12"},
      {run_as_line(folder.file("missing.exe"), "", "", "", true, ""), "-11"},
  };
  for (const auto& c : cases) EXPECT_EQ(run_line(c.line)->get("CODE"), c.code) << c.line;
}

TEST(RunAsTest, AShowStateThatIsNoNumberStopsTheScript) {
  const auto run =
      run_line("Run Program As | x.exe | | | hidden | | | | CODE | TRUE |");
  EXPECT_TRUE(run->outcome().failed);
  EXPECT_EQ(run->outcome().error_report, test::script_error_report(2, "'hidden' is not a valid integer value"));
}

// Wine has one account: its logon answers any name with a token that is no
// real token, so the window station cannot be opened to the account (-6).
// On Windows the program starts as the account. What can be seen here is
// that the start either ran the program or gave one of our codes.
TEST(RunAsTest, AnAccountStartsTheProgramOrSaysWhyNot) {
  test::TempFolder folder;
  const std::string program = test::program_folder() + "test_program.exe";
  const auto run = run_line(run_as_line(program, "", "record " + folder.file("as.txt"), "quillmore-test-user", true, ""));
  ASSERT_FALSE(run->outcome().failed) << run->outcome().error_report;
  const std::string code = run->get("CODE");
  if (code == "7") {
    EXPECT_FALSE(test::read_file(folder.file("as.txt")).empty());
  } else {
    const int number = std::stoi(code);
    EXPECT_TRUE(number >= -10 && number <= -2) << code;
  }
  RecordProperty("run_as_code", code);
}

}  // namespace
}  // namespace qm
