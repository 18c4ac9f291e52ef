#pragma once
// How "Schedule Task" reads its weekly trigger: the day text and the start
// time.

#include <cstdint>
#include <optional>
#include <string_view>

namespace qm {

// What the day text asks for: one weekday (TASK_MONDAY ... TASK_SUNDAY), a
// daily trigger, or nothing it knows.
struct TriggerDays {
  enum class Kind { kWeekday, kEveryDay, kNone };
  Kind kind = Kind::kNone;
  std::uint16_t weekday = 0;  // TASK_* day bit for kWeekday
};

// The first of "monday" ... "sunday" the text contains, ignoring case, in
// that order; else "every day" when it contains that; else none.
TriggerDays trigger_days(std::string_view text);

// The TASK_* day bit of a day of the week numbered as SYSTEMTIME numbers
// them (0 = Sunday).
std::uint16_t weekday_bit(int day_of_week);

struct ClockTime {
  int hour = 0;
  int minute = 0;
};

// A time as US English writes it: "10:00 AM", "22:15", "7 PM", "9:05:30 am"
// (hours, then optional minutes and seconds after ":", then an optional AM or
// PM). Nothing when the text is no such time.
std::optional<ClockTime> parse_us_time(std::string_view text);

}  // namespace qm
