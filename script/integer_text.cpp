#include "script/integer_text.h"

#include <string>

#include "script/script_error.h"

namespace qm {

int hex_digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::int32_t> parse_integer_text(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';

  bool hex = false;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == text.size()) return std::nullopt;

  std::uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int digit = hex ? hex_digit_value(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * (hex ? 16 : 10) + static_cast<unsigned>(digit);
    if (magnitude > 0xFFFFFFFFull) return std::nullopt;
  }

  if (hex) {
    const auto pattern = static_cast<std::uint32_t>(magnitude);
    const auto value = static_cast<std::int32_t>(pattern);
    // The digits are a 32-bit pattern; "-$80000000" is the lowest value, as
    // its decimal form is.
    if (negative) return value == INT32_MIN ? value : -value;
    return value;
  }
  if (negative) {
    if (magnitude > 0x80000000ull) return std::nullopt;
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
  }
  if (magnitude > 0x7FFFFFFFull) return std::nullopt;
  return static_cast<std::int32_t>(magnitude);
}

std::int32_t integer_text(std::string_view text) {
  if (auto value = parse_integer_text(text)) return *value;
  throw ScriptError("'" + std::string(text) + "' is not a valid integer value");
}

}  // namespace qm
