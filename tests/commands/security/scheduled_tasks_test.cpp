// "Schedule Task" and "Delete Scheduled Task" run through the real run
// initialisation and interpreter against Wine's Task Scheduler (the 1.0
// interfaces, which keep each task as a .job file in the Windows folder's
// Tasks folder). Tasks are read back through the scheduler's interfaces.

#include <gtest/gtest.h>

#include <windows.h>
#include <mstask.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands/security/task_trigger_text.h"
#include "tests/commands/security/task_probe.h"
#include "tests/support/engine_run.h"
#include "tests/support/script_text.h"

namespace qm {
namespace {

// The fields of a "Schedule Task" line by what they mean.
struct TaskLine {
  std::string name{};
  std::string computer{};
  std::string at_start{}, at_logon{}, weekly{};
  std::string days{};
  std::string time{};
  std::string connected{}, interactive{};
  std::string program = "C:\\Program Files\\Product\\update.exe";
  std::string folder = "C:\\Program Files\\Product\\";
  std::string parameters = "/quiet /log";
  std::string user{}, password{};

  std::vector<std::string> fields() const {
    return {name, computer, at_start, at_logon, weekly, days, time, connected, interactive, program, folder,
            parameters, user, password};
  }
};

void run_to_end(test::PackageText package) {
  package.add_line("Set Variable", {"AFTER", "reached"});
  test::EngineRun run(package);
  ASSERT_TRUE(run.run()) << "initialisation stopped the script";
  EXPECT_FALSE(run.outcome().failed) << run.outcome().error_report;
  EXPECT_EQ(run.get("AFTER"), "reached") << "the script goes on after every line";
}

SYSTEMTIME today() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return now;
}

int minutes_apart(int hour_a, int minute_a, int hour_b, int minute_b) {
  const int apart = std::abs((hour_a * 60 + minute_a) - (hour_b * 60 + minute_b));
  return std::min(apart, 24 * 60 - apart);
}

TEST(ScheduledTasksTest, Triggers) {
  test::TaskNames names("Triggers");
  const SYSTEMTIME now = today();
  const std::uint16_t today_bit = weekday_bit(now.wDayOfWeek);
  const struct Case {
    const char* name;
    TaskLine line;
    TASK_TRIGGER_TYPE type;
    WORD days;  // weekly: the day set; daily: the interval
    int hour, minute;  // -1: the time the line ran
  } cases[] = {
      {"monday", {.weekly = "TRUE", .days = "Monday", .time = "10:00 AM"}, TASK_TIME_TRIGGER_WEEKLY, TASK_MONDAY,
       10, 0},
      {"first day named", {.weekly = "TRUE", .days = "friday, MONDAY", .time = "10:30 PM"}, TASK_TIME_TRIGGER_WEEKLY,
       TASK_MONDAY, 22, 30},
      {"sunday", {.weekly = "TRUE", .days = "sunday", .time = "23:05"}, TASK_TIME_TRIGGER_WEEKLY, TASK_SUNDAY, 23, 5},
      {"every day", {.weekly = "TRUE", .days = "EVERY Day", .time = "7 AM"}, TASK_TIME_TRIGGER_DAILY, 1, 7, 0},
      {"no day named", {.weekly = "TRUE", .days = "someday", .time = "6:15 am"}, TASK_TIME_TRIGGER_WEEKLY, today_bit,
       6, 15},
      {"unreadable time", {.weekly = "TRUE", .days = "tuesday", .time = "25:00"}, TASK_TIME_TRIGGER_WEEKLY,
       TASK_TUESDAY, -1, -1},
      {"weekly only when exactly TRUE", {.weekly = "true", .days = "monday", .time = "10:00 AM"},
       TASK_TIME_TRIGGER_ONCE, 0, 0, 0},
      {"nothing asked", {}, TASK_TIME_TRIGGER_ONCE, 0, 0, 0},
      {"logon", {.at_logon = "TRUE"}, TASK_EVENT_TRIGGER_AT_LOGON, 0, 0, 0},
      {"logon over weekly", {.at_logon = "TRUE", .weekly = "TRUE", .days = "monday", .time = "10:00 AM"},
       TASK_EVENT_TRIGGER_AT_LOGON, 0, 10, 0},
      {"system start over logon", {.at_start = "TRUE", .at_logon = "TRUE"}, TASK_EVENT_TRIGGER_AT_SYSTEMSTART, 0, 0, 0},
      {"system start only when exactly TRUE", {.at_start = "-1", .at_logon = "TRUE"}, TASK_EVENT_TRIGGER_AT_LOGON, 0,
       0, 0},
  };
  test::PackageText package = test::script_package("");
  std::vector<std::string> task_names;
  for (const Case& c : cases) {
    TaskLine line = c.line;
    line.name = task_names.emplace_back(names.name(c.name));
    package.add_line("Schedule Task", line.fields());
  }
  run_to_end(package);
  const SYSTEMTIME after = today();
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    const std::optional<test::TaskFacts> task = test::read_task(task_names[i]);
    ASSERT_TRUE(task.has_value());
    EXPECT_EQ(task->program, "C:\\Program Files\\Product\\update.exe");
    EXPECT_EQ(task->parameters, "/quiet /log");
    EXPECT_EQ(task->working_folder, "C:\\Program Files\\Product\\");
    EXPECT_EQ(task->flags, DWORD{TASK_FLAG_RUN_ONLY_IF_LOGGED_ON});
    ASSERT_EQ(task->trigger_count, 1);
    const TASK_TRIGGER& trigger = task->trigger;
    EXPECT_EQ(trigger.TriggerType, c.type);
    if (c.type == TASK_TIME_TRIGGER_WEEKLY) {
      EXPECT_EQ(trigger.Type.Weekly.rgfDaysOfTheWeek, c.days);
      EXPECT_EQ(trigger.Type.Weekly.WeeksInterval, 1);
    }
    if (c.type == TASK_TIME_TRIGGER_DAILY) {
      EXPECT_EQ(trigger.Type.Daily.DaysInterval, c.days);
    }
    if (c.hour >= 0) {
      EXPECT_EQ(trigger.wStartHour, c.hour);
      EXPECT_EQ(trigger.wStartMinute, c.minute);
    } else {
      EXPECT_LE(minutes_apart(trigger.wStartHour, trigger.wStartMinute, after.wHour, after.wMinute), 2);
    }
    EXPECT_EQ(trigger.wBeginYear, now.wYear);
    EXPECT_EQ(trigger.wBeginMonth, now.wMonth);
    EXPECT_EQ(trigger.wBeginDay, now.wDay);
    EXPECT_EQ(trigger.MinutesDuration, 0u);
    EXPECT_EQ(trigger.MinutesInterval, 0u);
  }
}

TEST(ScheduledTasksTest, FlagsAndFields) {
  test::TaskNames names("Flags");
  const struct Case {
    const char* name;
    std::string connected, interactive;
    DWORD flags;
  } cases[] = {
      {"interactive", "", "TRUE", TASK_FLAG_RUN_ONLY_IF_LOGGED_ON | TASK_FLAG_INTERACTIVE},
      {"connected", "TRUE", "", TASK_FLAG_RUN_ONLY_IF_LOGGED_ON | TASK_FLAG_RUN_IF_CONNECTED_TO_INTERNET},
      {"both", "TRUE", "TRUE",
       TASK_FLAG_RUN_ONLY_IF_LOGGED_ON | TASK_FLAG_INTERACTIVE | TASK_FLAG_RUN_IF_CONNECTED_TO_INTERNET},
      {"lower case", "true", "True", TASK_FLAG_RUN_ONLY_IF_LOGGED_ON},
      {"substituted", "$YES$", "$NO$", TASK_FLAG_RUN_ONLY_IF_LOGGED_ON | TASK_FLAG_RUN_IF_CONNECTED_TO_INTERNET},
  };
  test::PackageText package = test::script_package(
      "Set Variable | YES | TRUE\nSet Variable | NO | FALSE\n"
      "Set Variable | APP | C:\\\\Tools\nSet Variable | ARGS | /a \"b c\"");
  std::vector<std::string> task_names;
  for (const Case& c : cases) {
    TaskLine line{.connected = c.connected, .interactive = c.interactive, .program = "$APP$\\\\run.exe",
                  .folder = "$APP$", .parameters = "$ARGS$"};
    line.name = task_names.emplace_back(names.name(c.name));
    package.add_line("Schedule Task", line.fields());
  }
  run_to_end(package);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].name);
    const std::optional<test::TaskFacts> task = test::read_task(task_names[i]);
    ASSERT_TRUE(task.has_value());
    EXPECT_EQ(task->flags, cases[i].flags);
    EXPECT_EQ(task->program, "C:\\Tools\\run.exe") << "substituted and normalized";
    EXPECT_EQ(task->working_folder, "C:\\Tools");
    EXPECT_EQ(task->parameters, "/a \"b c\"");
  }
}

TEST(ScheduledTasksTest, AnExistingTaskIsChangedNotDuplicated) {
  test::TaskNames names("Changed");
  const std::string name = names.name("task");
  test::PackageText package = test::script_package("Set Variable | TASK | " + name);
  const TaskLine first{.name = "$TASK$", .weekly = "TRUE", .days = "monday", .time = "1:00"};
  const TaskLine second{.name = "$TASK$", .at_logon = "TRUE", .program = "C:\\second.exe"};
  package.add_line("Schedule Task", first.fields());
  package.add_line("Schedule Task", second.fields());
  run_to_end(package);
  const std::optional<test::TaskFacts> task = test::read_task(name);
  ASSERT_TRUE(task.has_value());
  EXPECT_EQ(task->program, "C:\\second.exe");
  EXPECT_EQ(task->trigger_count, 1) << "the old trigger is gone";
  EXPECT_EQ(task->trigger.TriggerType, TASK_EVENT_TRIGGER_AT_LOGON);
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_NE(GetFileAttributesA((std::string(windows) + "\\Tasks\\" + name + ".job").c_str()), INVALID_FILE_ATTRIBUTES)
      << "kept as the scheduler's file";
}

TEST(ScheduledTasksTest, Computers) {
  test::TaskNames names("Computers");
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = sizeof computer;
  ASSERT_TRUE(GetComputerNameA(computer, &length));
  const struct Case {
    const char* name;
    std::string computer;
    bool made;
  } cases[] = {
      {"this computer", "", true},
      {"this computer by name", computer, true},
      {"this computer as UNC", std::string("\\\\") + computer, true},
      {"unknown computer", "NO-SUCH-HOST-QM", false},
  };
  test::PackageText package = test::script_package("");
  std::vector<std::string> task_names;
  for (const Case& c : cases) {
    TaskLine line{.computer = c.computer, .at_logon = "TRUE"};
    line.name = task_names.emplace_back(names.name(c.name));
    package.add_line("Schedule Task", line.fields());
  }
  run_to_end(package);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(test::read_task(task_names[i]).has_value(), cases[i].made);
  }
}

TEST(ScheduledTasksTest, Deleting) {
  test::TaskNames names("Deleting");
  const std::string kept = names.name("kept");
  const std::string removed = names.name("removed");
  const std::string elsewhere = names.name("elsewhere");
  test::PackageText package = test::script_package("Set Variable | GONE | " + removed);
  for (const std::string& name : {kept, removed, elsewhere})
    package.add_line("Schedule Task", TaskLine{.name = name, .at_logon = "TRUE"}.fields());
  package.add_line("Delete Scheduled Task", {"$GONE$", ""});
  package.add_line("Delete Scheduled Task", {"$GONE$", ""});  // no longer there
  package.add_line("Delete Scheduled Task", {names.name("never made"), ""});
  package.add_line("Delete Scheduled Task", {elsewhere, "NO-SUCH-HOST-QM"});  // not this computer's
  package.add_line("Delete Scheduled Task", {"", ""});
  run_to_end(package);
  EXPECT_TRUE(test::read_task(kept).has_value());
  EXPECT_FALSE(test::read_task(removed).has_value());
  EXPECT_TRUE(test::read_task(elsewhere).has_value());
}

}  // namespace
}  // namespace qm
