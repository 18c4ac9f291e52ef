// The command catalogue is the project's own table of commands: its names are
// the commands a setup script may use, and what is built of them.

#include "script/command_facts.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace qm {
namespace {

// Every built-in command a setup script may use, by the group that defines it.
const std::vector<std::vector<std::string>> kScriptCommands = {
    {"If", "Else If", "Else", "End", "Wizard Loop", "GoTo Label", "Label", "Comment", "Ignore",
     "Terminate Install", "Terminate with Exit Code", "Reboot Computer", "Reboot and Resume"},
    {"Set Variable"},
    {"Evaluate Expression"},
    {"Localization Variable"},
    {"Read Registry", "Check Registry", "Write Registry", "Delete Registry", "Set 64 Bit Mode"},
    {"Create Folder", "Delete Files", "Delete Files Recursive", "Copy/Move Local Files", "Edit INI File",
     "Install Files", "Set Environment"},
    {"Create Shortcut", "Advertised Shortcut", "Create File Type", "Advertised File Type"},
    {"Check Process", "Terminate Program", "Check Service", "Control Service", "Install Service", "Run Program",
     "Run Program As", "Register Library"},
    {"Create IIS Site", "Delete IIS Site", "Control IIS Site", "Create Virtual Folder", "Delete Virtual Folder",
     "Get IIS Site List", "Get IIS Site Index", "Get IIS Property", "Set IIS Property", "IIS Anonymous User"},
    {"Install Assembly", "Register Assembly", "Remove Assemblies", "Generate Native Images",
     "Run .NET Installer Class", "Create ODBC DSN", "Install ODBC Driver"},
    {"Create Share", "Delete Share", "Set Access Control", "Schedule Task", "Delete Scheduled Task"},
    {"Convert Path", "Convert Case", "Replace String", "Parse String", "Extract Path", "Mathematics",
     "Get Temporary File", "Get Environment"},
    {"Get System Settings", "Get OS or SP Level", "Get Folder Location", "Check Disk Space",
     "Is MSI Setup Installed"},
    {"Does File/Folder Exist", "Find All Files", "Get File Version", "Check File Version", "Read from Text File",
     "Write to Text File", "Get INI File Settings"},
    {"Define Component", "Delete Component", "Get Component State", "Set Component State", "Get Component Space",
     "Set Component Space", "Set Component Choice", "Set Component Visibility"},
    {"Save Feature Selections", "Load Feature Selections", "Transform Instance"},
    {"MessageBox", "MessageBalloon", "System Tray"},
    {"Display Dialog", "Hide Dialog"},
    {"Apply Changes", "Apply Patch"},
    {"Web Media Block"},
    {"Extract 7Zip Archive", "Run Light Mode Setup"},
};

// The sixteen commands that change the machine through Windows Installer.
const std::set<std::string> kDeferredCommands = {
    "Write Registry", "Create File Type", "Advertised File Type", "Create Folder", "Create Shortcut",
    "Advertised Shortcut", "Copy/Move Local Files", "Delete Files", "Edit INI File", "Set Environment",
    "Install Files", "Install Assembly", "Control Service", "Create ODBC DSN", "Install ODBC Driver",
    "Install Service"};

TEST(CommandCatalogueTest, HoldsOnlyScriptCommandsEachOnce) {
  std::set<std::string> known;
  for (const auto& group : kScriptCommands) known.insert(group.begin(), group.end());

  std::set<std::string> seen;
  for (const CommandFacts& facts : command_catalogue()) {
    const std::string name(facts.name);
    EXPECT_TRUE(known.contains(name)) << "\"" << name << "\" is no command a setup script may use";
    EXPECT_TRUE(seen.insert(name).second) << "\"" << name << "\" is in the catalogue twice";
    EXPECT_EQ(find_command_facts(name), &facts);
  }
  EXPECT_EQ(find_command_facts("Check Plugin Thing"), nullptr);
  EXPECT_EQ(find_command_facts("set variable"), nullptr) << "names are compared exactly";
}

// Not a check: the table of what is built, printed with every run.
TEST(CommandCatalogueTest, ShowsWhatIsStillToBuild) {
  std::size_t built = 0;
  std::size_t total = 0;
  std::ostringstream missing;
  for (const auto& group : kScriptCommands) {
    for (const std::string& name : group) {
      ++total;
      const CommandFacts* facts = find_command_facts(name);
      if (facts != nullptr && facts->built)
        ++built;
      else
        missing << "  " << name << (facts == nullptr ? " (no catalogue row)" : "") << "\n";
    }
  }
  std::printf("Commands built: %zu of %zu. Still to build:\n%s", built, total, missing.str().c_str());
}

TEST(CommandCatalogueTest, DeferredCommandsAreTheSixteen) {
  std::set<std::string> deferred;
  for (const CommandFacts& facts : command_catalogue())
    if (facts.deferred.deferred) deferred.emplace(facts.name);
  EXPECT_EQ(deferred, kDeferredCommands);
}

// The setup build tool reads the catalogue file itself (tools/command_catalogue.py
// lists what it read, one line per command): it must see what the engine sees.
TEST(CommandCatalogueTest, EngineAndBuildToolAgree) {
  std::ifstream file(test::program_folder() + "tool_command_list.txt");
  ASSERT_TRUE(file) << "the build writes tool_command_list.txt beside the test program";
  std::vector<std::string> tool_lines;
  for (std::string line; std::getline(file, line);) tool_lines.push_back(line);

  std::vector<std::string> engine_lines;
  for (const CommandFacts& facts : command_catalogue()) {
    const std::string fields =
        facts.fields == CommandFacts::kAnyFieldCount ? "any" : std::to_string(facts.fields);
    const std::string values =
        facts.deferred.deferred ? std::to_string(facts.deferred.values.size()) : std::string("-");
    engine_lines.push_back(std::string(facts.name) + "\t" + fields + "\t" + values);
  }
  EXPECT_EQ(engine_lines, tool_lines);
}

}  // namespace
}  // namespace qm
