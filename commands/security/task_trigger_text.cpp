#include "commands/security/task_trigger_text.h"

#include <windows.h>
#include <mstask.h>

#include <string>
#include <vector>

#include "script/ansi_text.h"

namespace qm {

namespace {

struct DayName {
  std::string_view text;
  std::uint16_t bit;
};

// Searched in this order: a text naming several days gets the first of them.
constexpr DayName kDayNames[] = {
    {"monday", TASK_MONDAY},     {"tuesday", TASK_TUESDAY},   {"wednesday", TASK_WEDNESDAY},
    {"thursday", TASK_THURSDAY}, {"friday", TASK_FRIDAY},     {"saturday", TASK_SATURDAY},
    {"sunday", TASK_SUNDAY},
};

std::string_view trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::optional<int> small_number(std::string_view digits) {
  if (digits.empty() || digits.size() > 2) return std::nullopt;
  int value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

enum class HalfDay { kNone, kMorning, kAfternoon };

// Takes a trailing "AM" or "PM" (any case) off the text.
HalfDay take_half_day(std::string_view& text) {
  if (text.size() < 2) return HalfDay::kNone;
  const std::string_view suffix = text.substr(text.size() - 2);
  HalfDay half = HalfDay::kNone;
  if (ascii_equal_ignore_case(suffix, "AM")) half = HalfDay::kMorning;
  if (ascii_equal_ignore_case(suffix, "PM")) half = HalfDay::kAfternoon;
  if (half != HalfDay::kNone) text = trim(text.substr(0, text.size() - 2));
  return half;
}

}  // namespace

TriggerDays trigger_days(std::string_view text) {
  for (const DayName& day : kDayNames)
    if (contains_ignore_case(text, day.text)) return {TriggerDays::Kind::kWeekday, day.bit};
  if (contains_ignore_case(text, "every day")) return {TriggerDays::Kind::kEveryDay, 0};
  return {};
}

std::uint16_t weekday_bit(int day_of_week) {
  static constexpr std::uint16_t kBits[] = {TASK_SUNDAY,   TASK_MONDAY, TASK_TUESDAY,  TASK_WEDNESDAY,
                                            TASK_THURSDAY, TASK_FRIDAY, TASK_SATURDAY};
  return day_of_week >= 0 && day_of_week < 7 ? kBits[day_of_week] : TASK_SUNDAY;
}

std::optional<ClockTime> parse_us_time(std::string_view text) {
  text = trim(text);
  const HalfDay half = take_half_day(text);
  std::vector<std::string_view> parts;
  for (;;) {
    const std::size_t colon = text.find(':');
    parts.push_back(text.substr(0, colon));
    if (colon == std::string_view::npos) break;
    text.remove_prefix(colon + 1);
  }
  if (parts.size() > 3) return std::nullopt;
  std::vector<int> numbers;
  for (std::string_view part : parts) {
    const std::optional<int> number = small_number(part);
    if (!number) return std::nullopt;
    numbers.push_back(*number);
  }
  numbers.resize(3, 0);
  int hour = numbers[0];
  if (numbers[1] > 59 || numbers[2] > 59) return std::nullopt;
  if (half == HalfDay::kNone) {
    if (hour > 23) return std::nullopt;
  } else {
    if (hour < 1 || hour > 12) return std::nullopt;
    hour = hour % 12 + (half == HalfDay::kAfternoon ? 12 : 0);
  }
  return ClockTime{hour, numbers[1]};
}

}  // namespace qm
