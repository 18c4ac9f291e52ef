// "Extract Path" and "Convert Path" on their script lines; "Convert Path" on
// real files and folders.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/commands/query/query_run.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

using test::run_query_script;
using test::script_error_report;

// The variable P after `lines` and then `command` on P.
std::string path_after(const std::string& lines, const std::string& command) {
  const auto run = run_query_script(lines + "\n" + command);
  EXPECT_FALSE(run->outcome().failed) << command << "\n" << run->outcome().error_report;
  return run->get("P");
}

TEST(PathCommandsTest, ExtractPath) {
  const struct {
    const char* value;
    const char* operation;
    const char* result;
  } cases[] = {
      {R"(C:\dir\sub\file.txt)", "0", "file.txt"},
      {R"(C:\dir\sub\file.txt)", "1", "file"},
      {R"(C:\dir\sub\file.txt)", "2", "txt"},
      {R"(C:\dir\sub\file.txt)", "3", R"(C:\dir\sub\)"},
      {R"(C:\dir\sub\file.txt)", "4", R"(C:\dir\)"},
      {R"(C:\dir\sub\file.txt)", "5", R"(C:\)"},
      {R"(C:\dir\sub\file.txt)", "$6", R"(C:\dir\sub\file.txt)"},
      {R"(C:\dir\sub\file.txt)", "7", R"(C:\dir\sub\file.txt)"},
      {R"(C:\x.bx.b)", "1", "x.bx"},
      {R"(C:\dir.old\readme)", "1", "readme"},
      {R"(\\server\share\dir\f.txt)", "5", R"(\\server\share\)"},
      // The value is normalized first: a network path keeps its "\\"
      // until operation 6 collapses that pair too.
      {R"(C:\\dir\\\\f.txt)", "3", R"(C:\dir\\)"},
      {R"(\\server\\share\\f.txt)", "6", R"(\server\share\f.txt)"},
      {R"(\\server\\share\\f.txt)", "99", R"(\\server\share\f.txt)"},
  };
  for (const auto& c : cases) {
    const std::string set = std::string("Set Variable | P | ") + c.value;
    EXPECT_EQ(path_after(set, std::string("Extract Path | P | ") + c.operation), c.result)
        << c.value << " op " << c.operation;
  }
}

TEST(PathCommandsTest, ExtractPathSubstitutesTheStoredValue) {
  // ROOT is defined after P, so P keeps the reference until the command runs.
  const std::string set = "Set Variable | P | $ROOT$\\sub\\f.txt\nSet Variable | ROOT | D:\\\\top";
  EXPECT_EQ(path_after(set, "Extract Path | p | 4"), "D:\\top\\");
}

TEST(PathCommandsTest, ScriptErrors) {
  const struct {
    const char* command;
    const char* message;
  } cases[] = {
      {"Extract Path | P | first", "'first' is not a valid integer value"},
      {"Extract Path | P | ", "'' is not a valid integer value"},
      {"Extract Path | P | $OP$", "'$OP$' is not a valid integer value"},  // read as written
      {"Extract Path | Skipped | 0", "Attempting to get value of undefined variable SKIPPED"},
      {"Convert Path | skipped | FALSE", "Attempting to get value of undefined variable SKIPPED"},
      {"Convert Path | Skipped | TRUE", "Attempting to get value of undefined variable SKIPPED"},
  };
  for (const auto& c : cases) {
    const auto run = run_query_script(
        std::string("Set Variable | P | C:\\x\nSet Variable | OP | 0\nGoTo Label | ON\nSet Variable | SKIPPED | x\n"
                    "Label | ON\n") +
        c.command + "\nmark z");
    EXPECT_EQ(run->outcome().error_report, script_error_report(7, c.message)) << c.command;
    EXPECT_EQ(run->get("RUN"), "") << c.command;
    EXPECT_EQ(run->get("P"), "C:\\x") << c.command;
  }
}

// A folder and a file whose names are not 8.3 names, in a private folder.
class LongNamedFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = temp_.file("Long Folder Name");
    file_ = folder_ + "\\Some Long File Name.text";
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
    test::write_file(file_, "x");
    short_file_ = short_form(file_);
    ASSERT_FALSE(short_file_.empty());
    ASSERT_NE(short_file_, file_) << "Windows gives the long names a short form";
  }

  static std::string short_form(const std::string& path) {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(buffer, length);
  }

  // The long form of the temporary folder itself, as the file system spells it.
  std::string long_form(const std::string& path) {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetLongPathNameA(path.c_str(), buffer, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(buffer, length);
  }

  std::string convert(const std::string& value, const char* short_form) {
    return path_after("Set Variable | P | " + value, std::string("Convert Path | P | ") + short_form);
  }

  test::TempFolder temp_;
  std::string folder_;
  std::string file_;
  std::string short_file_;
};

TEST_F(LongNamedFiles, ShortAndLongFormsRoundTrip) {
  const std::string long_file = long_form(file_);
  ASSERT_FALSE(long_file.empty());
  EXPECT_EQ(convert(file_, "TRUE"), short_file_);
  EXPECT_EQ(convert(short_file_, "FALSE"), long_file);
  EXPECT_EQ(convert(convert(long_file, "TRUE"), "FALSE"), long_file);
  EXPECT_EQ(convert(short_form(folder_) + "\\", "FALSE"), long_form(folder_)) << "no trailing backslash";
  EXPECT_EQ(convert(folder_ + "\\", "-1"), short_form(folder_ + "\\"))
      << "the short form is as Windows gives it";
}

TEST_F(LongNamedFiles, TheValueIsNormalizedAndUnquoted) {
  std::string doubled;
  for (const char c : short_file_) doubled += c == '\\' ? std::string("\\\\") : std::string(1, c);
  EXPECT_EQ(convert(doubled, "FALSE"), long_form(file_));
  EXPECT_EQ(convert("\"" + short_file_ + "\"", "FALSE"), long_form(file_));
}

TEST_F(LongNamedFiles, WhatIsNotFoundStays) {
  const std::string missing_below = short_form(folder_) + "\\NOSUCH~1\\FILE.TXT";
  EXPECT_EQ(convert(missing_below, "FALSE"), missing_below) << "the parents are not converted either";
  EXPECT_EQ(convert(missing_below, "TRUE"), "") << "no short form of a missing file";
  EXPECT_EQ(convert(short_form(folder_) + "\\*", "FALSE"), short_form(folder_) + "\\*") << "a wildcard is no name";
  EXPECT_EQ(convert("", "FALSE"), "");
  EXPECT_EQ(convert("", "TRUE"), "");
}

}  // namespace
}  // namespace qm
