#include "script/byte_count.h"

#include <cstdint>
#include <limits>

#include "script/integer_text.h"

namespace qm {

namespace {

constexpr std::int64_t kOneMegabyte = 1024 * 1024;
constexpr std::int64_t kOneGigabyte = 1024 * kOneMegabyte;

// The digits of a count, grouped in threes from the right.
std::string grouped_digits(std::uint64_t magnitude) {
  const std::string digits = std::to_string(magnitude);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

}  // namespace

std::optional<std::int64_t> parse_byte_count(std::string_view text) { return parse_integer_text_64(text); }

void ByteSum::add(std::int64_t bytes) {
  // The builtin stores the sum modulo 2^64 and tells whether that lost a lap.
  if (__builtin_add_overflow(wrapped_, bytes, &wrapped_)) laps_ += bytes > 0 ? 1 : -1;
}

void ByteSum::subtract(std::int64_t bytes) {
  if (__builtin_sub_overflow(wrapped_, bytes, &wrapped_)) laps_ += bytes < 0 ? 1 : -1;
}

std::int64_t ByteSum::value() const {
  // With a lap lost upwards the true sum is at least 2^63, downwards below -2^63.
  if (laps_ > 0) return std::numeric_limits<std::int64_t>::max();
  if (laps_ < 0) return std::numeric_limits<std::int64_t>::min();
  return wrapped_;
}

std::string format_byte_count(std::int64_t bytes, const ByteUnits& units) {
  if (bytes < kOneMegabyte) {
    // The magnitude of the lowest count does not fit a signed 64-bit value.
    const std::uint64_t magnitude =
        bytes < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(bytes) : static_cast<std::uint64_t>(bytes);
    return (bytes < 0 ? "-" : "") + grouped_digits(magnitude) + " " + std::string(units.bytes);
  }
  if (bytes < kOneGigabyte)
    return grouped_digits(static_cast<std::uint64_t>(bytes / 1024)) + " " + std::string(units.kilobytes);
  return grouped_digits(static_cast<std::uint64_t>(bytes / kOneMegabyte)) + " " + std::string(units.megabytes);
}

}  // namespace qm
