// The file query and text file commands in a real setup run: setup.exe with
// a script that writes, reads, searches and asks about real files.

#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>

#include "tests/support/script_text.h"
#include "tests/support/setup_folder.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

TEST(FileCommandsSetupTest, AScriptWorksWithRealFiles) {
  const test::TempFolder temp;
  const std::string dir = temp.path();
  CreateDirectoryA((dir + "Sub").c_str(), nullptr);
  test::write_file(dir + "Sub\\old.txt", "old\n");
  test::write_file(dir + "setup.ini", "[Main]\r\nName=From the INI\r\n");
  test::copy_file(test::program_folder() + "version_probe_older.dll", dir + "probe.dll");

  const test::SetupFolder setup(test::script_package(
                                    "Set Variable | DIR | " + dir +
                                    "\n"
                                    "Write to Text File | $DIR$notes.txt | second | FALSE\n"
                                    "Write to Text File | $DIR$notes.txt | first | TRUE\n"
                                    "Write to Text File | $DIR$notes.txt | third | FALSE\n"
                                    "Read from Text File | $DIR$notes.txt | LINE1 | END1\n"
                                    "Read from Text File | #READALL\\$DIR$notes.txt | REST | END2\n"
                                    "Read from Text File | $DIR$Sub\\old.txt | OLD | END3\n"
                                    "Does File/Folder Exist | NOTES | $DIR$notes.txt | TRUE\n"
                                    "Does File/Folder Exist | SUB | $DIR$Sub | FALSE\n"
                                    "Does File/Folder Exist | GONE | $DIR$gone.txt | TRUE\n"
                                    "Find All Files | $DIR$*.txt | TRUE | TRUE | FOUND\n"
                                    "Get File Version | $DIR$probe.dll | VERSION\n"
                                    "Get File Version | $DIR$notes.txt | NO_VERSION\n"
                                    "Check File Version | NEWER | $DIR$probe.dll | FALSE | | 1.2.3\n"
                                    "Check File Version | NOT_NEWER | $DIR$probe.dll | FALSE | | 1.2.3.4\n"
                                    "Get INI File Settings | INI | $DIR$setup.ini | Main | Name\n"
                                    "dump")
                                    .text());
  ASSERT_EQ(setup.run("/s"), 0u);
  const std::map<std::string, std::string> variables = setup.variables();
  const std::map<std::string, std::string> expected = {
      {"LINE1", "first"},
      {"END1", "FALSE"},
      {"REST", "second$NEWLINE$third"},
      {"END2", "TRUE"},
      {"OLD", "old"},
      {"END3", "TRUE"},
      {"NOTES", "TRUE"},
      {"SUB", "TRUE"},
      {"GONE", "FALSE"},
      {"FOUND", dir + "Sub\\old.txt|" + dir + "Sub|" + dir + "notes.txt"},
      {"VERSION", "1.2.3.4"},
      {"NO_VERSION", "0.0.0.0"},
      {"NEWER", "TRUE"},
      {"NOT_NEWER", "FALSE"},
      {"INI", "From the INI"},
  };
  for (const auto& [name, value] : expected) {
    ASSERT_EQ(variables.count(name), 1u) << name;
    EXPECT_EQ(variables.at(name), value) << name;
  }
  EXPECT_EQ(test::read_file(dir + "notes.txt"), "first\r\nsecond\r\nthird\r\n");
}

}  // namespace
}  // namespace qm
