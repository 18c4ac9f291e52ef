// The readings the security commands make of their fields before Windows
// sees them: share targets, shared folder paths, registry key names, SID
// texts, day texts and start times.

#include <gtest/gtest.h>

#include <windows.h>
#include <mstask.h>

#include <optional>
#include <string>
#include <vector>

#include "commands/security/security_object_name.h"
#include "commands/security/share_target.h"
#include "commands/security/task_trigger_text.h"

namespace qm {
namespace {

TEST(ShareTargetTest, SplitAtTheFirstBar) {
  const struct {
    const char* text;
    const char* subject;
    const char* computer;
  } cases[] = {
      {"C:\\Data|SERVER", "C:\\Data", "SERVER"},
      {"C:\\Data", "C:\\Data", ""},
      {"C:|", "C:", ""},
      {"Printer|\\\\HOST|more", "Printer", "\\\\HOST|more"},
      {"|HOST", "", "HOST"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const ShareTarget target = split_share_target(c.text);
    EXPECT_EQ(target.subject, c.subject);
    EXPECT_EQ(target.computer, c.computer);
  }
}

TEST(ShareTargetTest, FoldersAndPrinters) {
  const struct {
    const char* subject;
    bool folder;
    const char* path;  // as shared, for a folder
  } cases[] = {
      {"C:", true, "C:\\"},
      {"d:", true, "D:\\"},
      {"C:\\", true, "C:\\"},  // a drive's root keeps its backslash
      {"c:\\program files\\app\\", true, "C:\\PROGRAM FILES\\APP"},
      {"c:\\program files\\app", true, "C:\\PROGRAM FILES\\APP"},
      {"c:\\two\\\\", true, "C:\\TWO\\"},  // only one backslash goes
      {"\\\\server\\share\\data\\", true, "\\\\SERVER\\SHARE\\DATA"},
      {"relative\\folder", true, "RELATIVE\\FOLDER"},
      {"HP LaserJet 4", false, nullptr},
      {"HP LaserJet 4,winspool,Ne00:", true, "HP LASERJET 4,WINSPOOL,NE00:"},  // a colon makes it a folder
      {"", false, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.subject);
    EXPECT_EQ(names_folder(c.subject), c.folder);
    if (c.path != nullptr) {
      EXPECT_EQ(shared_folder_path(c.subject), c.path);
    }
  }
}

TEST(ShareTargetTest, PrinterNamesAndSharePaths) {
  EXPECT_EQ(printer_name("HP LaserJet 4,winspool,Ne00"), "HP LaserJet 4");
  EXPECT_EQ(printer_name("Plain"), "Plain");
  EXPECT_EQ(printer_name(",x"), "");
  EXPECT_EQ(share_unc_path("HOST", "Data"), "\\\\HOST\\Data");
  EXPECT_EQ(share_unc_path("\\\\HOST", "Data"), "\\\\HOST\\Data");
  EXPECT_EQ(share_unc_path("\\\\\\HOST", "Data"), "\\\\HOST\\Data");
}

TEST(SecurityObjectNameTest, RegistryRoots) {
  const struct {
    const char* written;
    const char* named;
  } cases[] = {
      {"HKLM\\Software\\A", "MACHINE\\Software\\A"},
      {"hklm\\Software\\A", "MACHINE\\Software\\A"},
      {"HKEY_LOCAL_MACHINE\\Software\\A", "MACHINE\\Software\\A"},
      {"hkey_local_machine\\Software", "MACHINE\\Software"},
      {"LOCAL_MACHINE\\x", "MACHINE\\x"},
      {"Machine\\x", "MACHINE\\x"},
      {"HKU\\.DEFAULT", "USERS\\.DEFAULT"},
      {"HKEY_USERS\\.DEFAULT", "USERS\\.DEFAULT"},
      {"HKCU\\Software", "CURRENT_USER\\Software"},
      {"User\\Software", "CURRENT_USER\\Software"},
      {"HKEY_CURRENT_USER\\Software", "CURRENT_USER\\Software"},
      {"HKCC\\System", "CONFIG\\System"},
      {"HKEY_CURRENT_CONFIG\\System", "CONFIG\\System"},
      {"config", "CONFIG"},
      {"HKCR\\.txt", "CLASSES_ROOT\\.txt"},
      {"Classes\\.txt", "CLASSES_ROOT\\.txt"},
      {"HKEY_CLASSES_ROOT\\.txt", "CLASSES_ROOT\\.txt"},
      // Another first part is upper-cased and kept; the rest is kept as written.
      {"Other\\Key", "OTHER\\Key"},
      {"HKEY_other\\Key", "OTHER\\Key"},
      {"HKLMX\\Key", "HKLMX\\Key"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.written);
    EXPECT_EQ(registry_security_name(c.written), c.named);
  }
}

TEST(SecurityObjectNameTest, SidTexts) {
  const struct {
    const char* text;
    std::optional<std::vector<std::uint32_t>> sid;  // authority, then sub-authorities
  } cases[] = {
      {"S-1-1-0", std::vector<std::uint32_t>{1, 0}},
      {"S-1-5-32-544", std::vector<std::uint32_t>{5, 32, 544}},
      {"s-1-5-11", std::vector<std::uint32_t>{5, 11}},
      {"S-1-5", std::vector<std::uint32_t>{5}},
      {"S-1-255-1", std::vector<std::uint32_t>{255, 1}},
      {"S-1-5-21-4294967295-1-2-3-4-5-6", std::vector<std::uint32_t>{5, 21, 4294967295u, 1, 2, 3, 4, 5, 6}},
      // Not of the form: looked up as account names.
      {"S-1-5-21-1-2-3-4-5-6-7-8", std::nullopt},  // nine sub-authorities
      {"S-1-256-1", std::nullopt},                  // authority too large
      {"S-1-5-4294967296", std::nullopt},           // sub-authority too large
      {"S-1-", std::nullopt},
      {"S-1-5-", std::nullopt},
      {"S-1-5--1", std::nullopt},
      {"S-1-5-x", std::nullopt},
      {"S-2-5-11", std::nullopt},
      {"S-1-5-11 ", std::nullopt},
      {"Administrators", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<SidText> sid = parse_sid_text(c.text);
    ASSERT_EQ(sid.has_value(), c.sid.has_value());
    if (!sid) continue;
    std::vector<std::uint32_t> parts{sid->authority};
    parts.insert(parts.end(), sid->sub_authorities.begin(), sid->sub_authorities.end());
    EXPECT_EQ(parts, *c.sid);
  }
}

TEST(TaskTriggerTextTest, DayTexts) {
  using Kind = TriggerDays::Kind;
  const struct {
    const char* text;
    Kind kind;
    std::uint16_t weekday;
  } cases[] = {
      {"monday", Kind::kWeekday, TASK_MONDAY},
      {"Tuesday", Kind::kWeekday, TASK_TUESDAY},
      {"WEDNESDAY", Kind::kWeekday, TASK_WEDNESDAY},
      {"thursday", Kind::kWeekday, TASK_THURSDAY},
      {"on Fridays", Kind::kWeekday, TASK_FRIDAY},
      {"saturday", Kind::kWeekday, TASK_SATURDAY},
      {"sunday", Kind::kWeekday, TASK_SUNDAY},
      // The first in the order Monday to Sunday, not in the text.
      {"Friday and Monday", Kind::kWeekday, TASK_MONDAY},
      {"sunday, saturday", Kind::kWeekday, TASK_SATURDAY},
      {"every day but monday", Kind::kWeekday, TASK_MONDAY},
      {"Every Day", Kind::kEveryDay, 0},
      {"EVERY DAY", Kind::kEveryDay, 0},
      {"run every day at ten", Kind::kEveryDay, 0},
      {"everyday", Kind::kNone, 0},
      {"mon", Kind::kNone, 0},
      {"someday", Kind::kNone, 0},
      {"", Kind::kNone, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const TriggerDays days = trigger_days(c.text);
    EXPECT_EQ(days.kind, c.kind);
    EXPECT_EQ(days.weekday, c.weekday);
  }
  const std::uint16_t week[] = {TASK_SUNDAY,   TASK_MONDAY, TASK_TUESDAY,  TASK_WEDNESDAY,
                                TASK_THURSDAY, TASK_FRIDAY, TASK_SATURDAY};
  for (int day = 0; day < 7; ++day) EXPECT_EQ(weekday_bit(day), week[day]);
}

TEST(TaskTriggerTextTest, UsEnglishTimes) {
  const struct {
    const char* text;
    int hour;  // -1: no time
    int minute;
  } cases[] = {
      {"10:00 AM", 10, 0},
      {"10:00 PM", 22, 0},
      {"12:00 AM", 0, 0},
      {"12:30 PM", 12, 30},
      {"1:05 pm", 13, 5},
      {"9:05:30 am", 9, 5},
      {"7 PM", 19, 0},
      {"7PM", 19, 0},
      {"22:15", 22, 15},
      {"0:00", 0, 0},
      {" 23:59 ", 23, 59},
      {"6", 6, 0},
      {"24:00", -1, 0},
      {"13:00 PM", -1, 0},
      {"0:30 AM", -1, 0},
      {"10:60", -1, 0},
      {"10:00:60", -1, 0},
      {"10:00:00:00", -1, 0},
      {"10.00", -1, 0},
      {"ten", -1, 0},
      {"10:", -1, 0},
      {":30", -1, 0},
      {"AM", -1, 0},
      {"", -1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<ClockTime> time = parse_us_time(c.text);
    ASSERT_EQ(time.has_value(), c.hour >= 0);
    if (!time) continue;
    EXPECT_EQ(time->hour, c.hour);
    EXPECT_EQ(time->minute, c.minute);
  }
}

}  // namespace
}  // namespace qm
