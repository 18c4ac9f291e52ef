// "Get File Version" and "Check File Version" on two libraries of ours whose
// version resources say 1.2.3.4 and 1.2.65535.0 (version_probe_*.rc).

#include <gtest/gtest.h>

#include <string>

#include "tests/commands/query/query_run.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

using test::run_query_script;
using test::script_error_report;

std::string older() { return test::program_folder() + "version_probe_older.dll"; }
std::string newer() { return test::program_folder() + "version_probe_newer.dll"; }

// A file without version information: a copy of nothing but text.
class Files {
 public:
  Files() { test::write_file(temp_.file("plain.txt"), "no version here"); }
  std::string plain() const { return temp_.file("plain.txt"); }
  std::string missing() const { return temp_.file("missing.dll"); }
  std::string folder() const { return temp_.path(); }

 private:
  test::TempFolder temp_;
};

TEST(GetFileVersionTest, TheFixedFileVersion) {
  const Files files;
  const struct Case {
    std::string file;
    const char* version;
  } cases[] = {
      {older(), "1.2.3.4"},
      {newer(), "1.2.65535.0"},  // the halves are unsigned
      {files.plain(), "0.0.0.0"},
      {files.missing(), "0.0.0.0"},
      {files.folder(), "0.0.0.0"},
      {std::string(300, 'n') + ".dll", "0.0.0.0"},
      {"", "0.0.0.0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const auto run = run_query_script("Set Variable | OLD | x\nGet File Version | " + c.file +
                                      " | $OLD$\nGet File Version | " + c.file + " | NEW");
    EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
    EXPECT_EQ(run->get("OLD"), c.version);
    EXPECT_EQ(run->get("NEW"), c.version);
  }
}

TEST(CheckFileVersionTest, AgainstADottedText) {
  const Files files;
  const struct Case {
    std::string file;
    const char* text;
    const char* higher;
  } cases[] = {
      {older(), "1.2.3.4", "FALSE"},  // equal is not higher
      {older(), "1.2.3", "TRUE"},     // 1.2.3.0
      {older(), "1.2.3.3", "TRUE"},
      {older(), "1.2.3.5", "FALSE"},
      {older(), "1.2.2.9", "TRUE"},
      {older(), "1.2.4.0", "FALSE"},
      {older(), "1.1.9.9", "TRUE"},
      {older(), "1.3", "FALSE"},
      {older(), "0.9.9.9", "TRUE"},
      {older(), "2", "FALSE"},
      {older(), "1", "TRUE"},
      {older(), "", "TRUE"},
      {older(), "1.2.3.x", "TRUE"},     // a last piece that is no number counts as 0
      {older(), "1.2.3.$4", "FALSE"},   // integer text: hexadecimal too
      {older(), "1.2.3.4.9", "FALSE"},  // a fifth number is not read
      {older(), "1.2.", "TRUE"},
      {older(), "1.2.3.-1", "FALSE"},   // compared as unsigned: the largest number
      {newer(), "1.2.65534.9", "TRUE"},
      {newer(), "1.2.65535", "FALSE"},
      {newer(), "1.2.3.4", "TRUE"},
      {files.plain(), "0", "FALSE"},
      {files.plain(), "", "FALSE"},
      {files.plain(), "0.0.0.1", "FALSE"},
      {files.missing(), "0.0.0.0", "FALSE"},
      {files.folder(), "", "FALSE"},
      {std::string(300, 'n') + ".dll", "", "FALSE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file + " against \"" + c.text + "\"");
    const auto run = run_query_script("Set Variable | HIGHER | old\nCheck File Version | higher | " + c.file +
                                      " | FALSE | | " + c.text + "\nCheck File Version | NEW | " + c.file +
                                      " | | unused | " + c.text);
    EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
    EXPECT_EQ(run->get("HIGHER"), c.higher);
    EXPECT_EQ(run->get("NEW"), c.higher);
  }
}

TEST(CheckFileVersionTest, AgainstAnotherFile) {
  const Files files;
  const struct Case {
    std::string file;
    std::string other;
    const char* higher;
  } cases[] = {
      {newer(), older(), "TRUE"},
      {older(), newer(), "FALSE"},
      {older(), older(), "FALSE"},
      {older(), files.plain(), "TRUE"},
      {older(), files.missing(), "TRUE"},
      {files.plain(), older(), "FALSE"},
      {files.missing(), files.plain(), "FALSE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file + " against " + c.other);
    // Field 5 is not read when field 4 names the other file.
    const auto run =
        run_query_script("Check File Version | R | " + c.file + " | -1 | " + c.other + " | not.a.version");
    EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
    EXPECT_EQ(run->get("R"), c.higher);
  }
}

TEST(CheckFileVersionTest, FieldsAreSubstituted) {
  const auto run = run_query_script("Set Variable | DLL | " + older() +
                                    "\nSet Variable | V | 1.2.3\nCheck File Version | R | $DLL$ | FALSE | | $V$");
  EXPECT_EQ(run->get("R"), "TRUE");
}

// Only the last piece may be no number; the others stop the script.
TEST(CheckFileVersionTest, APieceBeforeADotThatIsNoNumberIsAScriptError) {
  const struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"1.x.3", "'x' is not a valid integer value"},
      {"1..3", "'' is not a valid integer value"},
      {"one.2", "'one' is not a valid integer value"},
      {"1.2.99999999999.4", "'99999999999' is not a valid integer value"},
  };
  for (const Case& c : cases) {
    const auto run = run_query_script("Check File Version | R | " + older() + " | FALSE | | " + c.text);
    EXPECT_TRUE(run->outcome().failed) << c.text;
    EXPECT_EQ(run->outcome().error_report, script_error_report(2, c.message)) << c.text;
    EXPECT_EQ(run->get("R"), "") << c.text;  // defined before the text was read
  }
}

}  // namespace
}  // namespace qm
