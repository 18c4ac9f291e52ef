// Plug-in command lines run through the interpreter with a real plug-in
// library (test_plugin.dll; its parameter text chooses what it does).

#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "tests/support/engine_run.h"
#include "tests/support/message_box.h"
#include "tests/support/script_text.h"

namespace qm {
namespace {

using test::EngineRun;

constexpr const char* kPlugin = "Check Licence";

test::PackageText plugin_script(const std::string& parameter, const std::string& library = "test_plugin.dll") {
  test::PackageText package = test::script_package(
      "Set Variable | KEPT | still here\n"
      "check licence | " + parameter + " | " + library + "\n"
      "mark z");
  package.plugin_commands = {kPlugin};
  return package;
}

void install_plugin(const std::string& folder) {
  CreateDirectoryA(folder.c_str(), nullptr);
  test::copy_file(test::program_folder() + "test_plugin.dll", folder + "test_plugin.dll");
}


TEST(PluginCommandTest, TheStoreComesBackFromThePlugin) {
  struct Case {
    const char* parameter;
    const char* new_variable;  // defined by the plug-in, or null
    bool fails;
  } cases[] = {
      {"append LICENCE=valid key", "LICENCE", false},
      {"fail", nullptr, false},          // -1: the store stays as it was
      {"crash-second", nullptr, false},  // a crashing plug-in does not take the setup with it
      {"empty", nullptr, true},          // nothing came back: the setup cannot go on
  };
  for (const Case& c : cases) {
    EngineRun run(plugin_script(c.parameter));
    install_plugin(run.engine().startup.support_folder);
    ASSERT_TRUE(run.run());
    EXPECT_EQ(run.outcome().failed, c.fails) << c.parameter << ": " << run.outcome().error_report;
    if (c.fails) {
      EXPECT_EQ(run.outcome().error_report, "Runtime error in setup script:\r\rLine 3: General setup failure");
      continue;
    }
    EXPECT_EQ(run.get("KEPT"), "still here") << c.parameter;
    EXPECT_EQ(run.get("RUN"), "z") << c.parameter;
    if (c.new_variable) {
      EXPECT_EQ(run.get(c.new_variable), "valid key");
    }
  }
}

TEST(PluginCommandTest, LibrariesOfAMediaFolderComeFromTheDataFolder) {
  test::PackageText package = plugin_script("append FOUND=yes");
  package.lines[2].media_folder = "OFFLINE\\";
  EngineRun run(package);
  CreateDirectoryA(run.engine().startup.data_folder.c_str(), nullptr);
  install_plugin(run.engine().startup.data_folder + "OFFLINE\\");
  ASSERT_TRUE(run.run());
  EXPECT_FALSE(run.outcome().failed) << run.outcome().error_report;
  EXPECT_EQ(run.get("FOUND"), "yes");
}

TEST(PluginCommandTest, WithoutItsSourcesASilentRunCannotGoOn) {
  test::PackageText package = plugin_script("append FOUND=yes");
  package.lines[2].media_folder = "OFFLINE\\";
  EngineRun run(package);
  ASSERT_TRUE(run.run());
  EXPECT_EQ(run.outcome().error_report,
            "Runtime error in setup script:\r\rLine 3: Original setup sources required to complete operation, "
            "sources not found");
}

// The message is shown even in a silent run, and the script goes on.
TEST(PluginCommandTest, AMissingOrUnusableLibraryIsReportedAndSkipped) {
  for (const char* library : {"missing.dll", "not_a_library.dll"}) {
    EngineRun run(plugin_script("append FOUND=yes", library));
    CreateDirectoryA(run.engine().startup.support_folder.c_str(), nullptr);
    test::write_file(run.engine().startup.support_folder + "not_a_library.dll", "plain text");
    std::string shown;
    std::thread answer([&] { shown = test::answer_message_box("Sample Product - Quillmore Wizard"); });
    ASSERT_TRUE(run.run());
    answer.join();
    EXPECT_EQ(shown,
              "Unable to load plug-in library. Please rebuild your project and make sure all required plug-ins are "
              "installed.\r\rAction skipped")
        << library;
    EXPECT_FALSE(run.outcome().failed) << run.outcome().error_report;
    EXPECT_EQ(run.get("RUN"), "z") << library;
    EXPECT_FALSE(run.engine().variables.exists("FOUND"));
  }
}

}  // namespace
}  // namespace qm
