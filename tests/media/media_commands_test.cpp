// "Extract 7Zip Archive" and "Run Light Mode Setup" run as script lines
// against real archives and a real light-mode setup.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "media/archive_extraction.h"
#include "platform/file_system.h"
#include "script/pe_image.h"
#include "tests/commands/query/query_run.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

using test::run_query_script;

std::string archive(const std::string& name) { return test::program_folder() + "qvx_fixtures\\" + name; }

TEST(ExtractArchiveCommandTest, OutcomeInTheResultVariable) {
  const struct Case {
    const char* archive;
    const char* password;
    std::string result;
  } cases[] = {
      {"small_password.7z", "Secret7", "SUCCESS"},
      {"small.7z", "", "SUCCESS"},
      // Encrypted names: the listing already fails.
      {"small_password.7z", "Wrong", kCannotOpenArchiveText},
      // Plain names: the extraction fails.
      {"tree_password.7z", "Wrong", "#1003"},
      {"missing.7z", "", "The archive file was not found"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.archive) + " " + c.password);
    const test::TempFolder temp;
    const std::string out = temp.file("Out\\");
    const auto run = run_query_script("Extract 7Zip Archive | " + archive(c.archive) + " | " + out + " | R | " +
                                      c.password + " | TRUE | TRUE");
    EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
    EXPECT_EQ(run->get("R"), c.result);
    EXPECT_EQ(platform::file_exists(out + "two.txt"), c.result == "SUCCESS");
  }
}

// Field 6: files that are there are replaced when true, kept when false.
TEST(ExtractArchiveCommandTest, FieldSixDecidesAboutFilesThatAreThere) {
  for (const bool replace : {true, false}) {
    SCOPED_TRACE(replace);
    const test::TempFolder temp;
    test::write_file(temp.file("one.txt"), "mine");
    const auto run = run_query_script("Extract 7Zip Archive | " + archive("small.7z") + " | " + temp.path() +
                                      " | R | | FALSE | " + (replace ? "TRUE" : "FALSE"));
    EXPECT_EQ(run->get("R"), "SUCCESS");
    EXPECT_EQ(test::read_file(temp.file("one.txt")) == "mine", !replace);
    EXPECT_TRUE(platform::file_exists(temp.file("two.txt")));
  }
}

// The package of a setup built by the build tool: its setup.exe without the
// engine in front.
std::string light_package(const std::string& setup_exe) {
  const std::string bytes = test::read_file(setup_exe);
  const auto end = pe_image_end(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  EXPECT_TRUE(end && *end < bytes.size());
  return bytes.substr(end.value_or(0));
}

TEST(RunLightModeSetupTest, RunsThePackageAndPutsItBack) {
  const test::TempFolder temp;
  const std::string setups = test::program_folder() + "..\\setups\\light\\";
  const std::string folder = temp.file("Light\\");
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string package = light_package(setups + "setup.exe");
  test::write_file(folder + "setup.exe", package);
  for (const char* name : {"setup.res", "setup.msi"}) test::copy_file(setups + name, folder + name);
  const std::string mark = temp.file("ran.txt");

  test::EngineRun run(test::script_package("Run Light Mode Setup | " + folder + "setup.exe | CODE | /s MARK=" + mark +
                                           " | TRUE"));
  // The engine whose image the package is run with.
  run.engine().startup.engine_path = test::program_folder() + "quillmore.exe";
  run.engine().startup.engine_folder = test::program_folder();
  ASSERT_TRUE(run.run());
  EXPECT_FALSE(run.outcome().failed) << run.outcome().error_report;
  EXPECT_EQ(run.get("CODE"), "7");
  EXPECT_EQ(test::read_file(mark).rfind("light setup ran", 0), 0u);
  EXPECT_EQ(test::read_file(folder + "setup.exe"), package);
  EXPECT_FALSE(platform::file_exists(folder + "setup.exe.nox"));
  EXPECT_FALSE(platform::file_exists(folder + "setup.exe.to"));
  EXPECT_FALSE(platform::file_exists(folder + "qvx.lib"));
}

TEST(RunLightModeSetupTest, WhatCannotBePreparedGivesMinusOne) {
  const test::TempFolder temp;
  // A package left in ".nox" by an earlier run is never overwritten.
  test::write_file(temp.file("held.exe"), "package");
  test::write_file(temp.file("held.exe.nox"), "only copy");
  for (const std::string& path : {temp.file("missing.exe"), temp.file("held.exe")}) {
    SCOPED_TRACE(path);
    test::EngineRun run(test::script_package("Run Light Mode Setup | " + path + " | CODE | | TRUE"));
    run.engine().startup.engine_path = test::program_folder() + "quillmore.exe";
    run.engine().startup.engine_folder = test::program_folder();
    ASSERT_TRUE(run.run());
    EXPECT_EQ(run.get("CODE"), "-1");
  }
  EXPECT_EQ(test::read_file(temp.file("held.exe")), "package");
  EXPECT_EQ(test::read_file(temp.file("held.exe.nox")), "only copy");
  EXPECT_FALSE(platform::file_exists(temp.file("held.exe.to")));
}

}  // namespace
}  // namespace qm
