// "Get Temporary File" and "Get Environment" on their script lines, against
// the real file system and this process's environment.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "script/path_text.h"
#include "tests/commands/query/query_run.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

using test::EngineRun;
using test::script_package;

std::unique_ptr<EngineRun> run_in(const std::string& script, const std::string& temp_folder) {
  auto run = std::make_unique<EngineRun>(script_package(script));
  run->engine().startup.temp_folder = temp_folder;
  EXPECT_TRUE(run->run());
  EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
  return run;
}

bool is_empty_file(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
         (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && data.nFileSizeLow == 0 && data.nFileSizeHigh == 0;
}

TEST(GetTemporaryFileTest, CreatesANewEmptyFileInTheEnginesTemporaryFolder) {
  test::TempFolder temp;
  // TEMPDIR changed by the script does not move the engine's temporary folder.
  const auto run = run_in(
      "Set Variable | TEMPDIR | C:\\elsewhere\\\nGet Temporary File | $FIRST$\nGet Temporary File | second",
      temp.path());
  const std::string first = run->get("FIRST");
  const std::string second = run->get("SECOND");
  for (const std::string& path : {first, second}) {
    EXPECT_EQ(folder_of(path), temp.path()) << path;
    const std::string name = file_name_of(path);
    EXPECT_EQ(name.substr(0, 3), "qvx") << path;
    EXPECT_EQ(name.substr(name.size() - 4), ".tmp") << path;
    EXPECT_TRUE(is_empty_file(path)) << path;
  }
  EXPECT_NE(first, second);
}

TEST(GetTemporaryFileTest, NoFileNoPath) {
  test::TempFolder temp;
  const auto run = run_in("Set Variable | T | old\nGet Temporary File | T", temp.file("missing\\"));
  EXPECT_EQ(run->get("T"), "");
}

// An environment variable of this process for the length of a test.
class EnvironmentVariable {
 public:
  EnvironmentVariable(std::string name, const std::string& value) : name_(std::move(name)) {
    SetEnvironmentVariableA(name_.c_str(), value.c_str());
  }
  ~EnvironmentVariable() { SetEnvironmentVariableA(name_.c_str(), nullptr); }
  EnvironmentVariable(const EnvironmentVariable&) = delete;
  EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

 private:
  std::string name_;
};

TEST(GetEnvironmentTest, OneVariable) {
  const EnvironmentVariable set("QM_QUERY_PROBE", "probe value");
  const struct {
    const char* script;
    const char* value;
  } cases[] = {
      {"Get Environment | QM_QUERY_PROBE | R", "probe value"},
      {"Get Environment | qm_query_probe | $R$", "probe value"},
      {"Set Variable | NAME | QM_QUERY_PROBE\nGet Environment | $NAME$ | R", "probe value"},
      {"Get Environment | QM_QUERY_NOT_SET | R", "%QM_QUERY_NOT_SET%"},
      {"Get Environment | QM_QUERY_PROBE%-%QM_QUERY_PROBE | R", "probe value-probe value"},
      {"Set Variable | R | old\nGet Environment | QM_QUERY_PROBE | R", "probe value"},
  };
  for (const auto& c : cases) {
    const auto run = test::run_query_script(c.script);
    EXPECT_EQ(run->get("R"), c.value) << c.script;
  }
}

TEST(GetEnvironmentTest, TheLongestValueComesBackWhole) {
  // 32,767 characters is the most a variable can hold (the terminating zero included).
  const std::string value(32766, 'v');
  const EnvironmentVariable set("QM_QUERY_BIG", value);
  const auto run = test::run_query_script("Get Environment | QM_QUERY_BIG | R");
  EXPECT_EQ(run->get("R").size(), value.size());
  EXPECT_TRUE(run->get("R") == value);
}

std::vector<std::string> environment_entries() {
  std::vector<std::string> entries;
  char* const block = GetEnvironmentStringsA();
  for (const char* entry = block; *entry != '\0'; entry += entries.back().size() + 1) entries.emplace_back(entry);
  FreeEnvironmentStringsA(block);
  return entries;
}

TEST(GetEnvironmentTest, AnEmptyNameGivesTheWholeEnvironment) {
  const EnvironmentVariable set("QM_QUERY_PROBE", "probe value");
  const auto run = test::run_query_script("Set Variable | EMPTY | \nGet Environment | $EMPTY$ | ALL");
  std::string expected;
  for (const std::string& entry : environment_entries()) {
    if (!expected.empty()) expected += "$NEWLINE$";
    expected += entry;
  }
  EXPECT_EQ(run->get("ALL"), expected);
  const std::string framed = "$NEWLINE$" + run->get("ALL") + "$NEWLINE$";
  EXPECT_NE(framed.find("$NEWLINE$QM_QUERY_PROBE=probe value$NEWLINE$"), std::string::npos);
}

}  // namespace
}  // namespace qm
