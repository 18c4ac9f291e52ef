// The security commands in a real setup.exe, run silently: the access list,
// the tasks and the script's own variables are what the run left behind.

#include <gtest/gtest.h>

#include <windows.h>
#include <mstask.h>

#include <string>

#include "tests/commands/security/access_list_probe.h"
#include "tests/commands/security/task_probe.h"
#include "tests/support/registry_keys.h"
#include "tests/support/script_text.h"
#include "tests/support/setup_folder.h"

namespace qm {
namespace {

TEST(SecuritySetupTest, ASilentSetupGrantsSchedulesAndShares) {
  const test::TestRegistryKeys keys("SecuritySetup");
  const std::string key = keys.path("Settings");
  test::create_key(HKEY_CURRENT_USER, KEY_WOW64_64KEY, key);
  test::TaskNames tasks("Setup");
  const std::string updater = tasks.name("updater");
  const std::string old_task = tasks.name("old");
  const std::string pid = std::to_string(GetCurrentProcessId());

  const test::SetupFolder setup(
      test::script_package(
          "Set Variable | KEY | HKEY_CURRENT_USER\\\\" + key + "\n"
          "Set Variable | APPDIR | C:\\Product\n"
          "Set Access Control | $KEY$ | | | | TRUE | Users | | TRUE | TRUE | | | | | TRUE | |\n"
          "mark a\n"
          "Schedule Task | " + old_task + " | | | TRUE | | | | | | C:\\old.exe | | | |\n"
          "Schedule Task | " + updater +
          " | | | | TRUE | Every Day | 9:30 PM | | TRUE | $APPDIR$\\\\update.exe | $APPDIR$ | /check | |\n"
          "mark b\n"
          "Delete Scheduled Task | " + old_task + " |\n"
          "mark c\n"
          "Create Share | $TEMPDIR$ | QMSETUP" + pid + " | Temporary files\n"
          "Delete Share | QMSETUP" + pid + "\n"
          "mark d\n"
          "dump")
          .text());
  ASSERT_EQ(setup.run("/s"), 0u);
  const auto variables = setup.variables();
  ASSERT_TRUE(variables.count("RUN")) << "the script reached its end";
  EXPECT_EQ(variables.at("RUN"), "abcd");

  EXPECT_EQ(test::key_access(HKEY_CURRENT_USER, KEY_WOW64_64KEY, key).value_or(test::AccessEntries{}).back(),
            "S-1-5-32-545 allow 1F01FF 3");
  test::set_key_access(HKEY_CURRENT_USER, KEY_WOW64_64KEY, key, nullptr);

  const std::optional<test::TaskFacts> task = test::read_task(updater);
  ASSERT_TRUE(task.has_value());
  EXPECT_EQ(task->program, "C:\\Product\\update.exe");
  EXPECT_EQ(task->working_folder, "C:\\Product");
  EXPECT_EQ(task->parameters, "/check");
  EXPECT_EQ(task->flags, DWORD{TASK_FLAG_RUN_ONLY_IF_LOGGED_ON | TASK_FLAG_INTERACTIVE});
  EXPECT_EQ(task->trigger.TriggerType, TASK_TIME_TRIGGER_DAILY);
  EXPECT_EQ(task->trigger.wStartHour, 21);
  EXPECT_EQ(task->trigger.wStartMinute, 30);
  EXPECT_FALSE(test::read_task(old_task).has_value());
}

}  // namespace
}  // namespace qm
