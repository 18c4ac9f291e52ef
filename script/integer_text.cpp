#include "script/integer_text.h"

#include <cstdint>
#include <string>

#include "script/script_error.h"

namespace qm {

int hex_digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

namespace {

// An integer text of 32 or 64 bits. Hexadecimal digits are a bit pattern of
// that width, so "$FFFFFFFF" is -1 in 32 bits; decimal digits are a value in
// its range.
std::optional<std::int64_t> parse_integer_of_width(std::string_view text, unsigned bits) {
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

  const unsigned base = hex ? 16 : 10;
  const std::uint64_t largest = bits == 64 ? UINT64_MAX : (std::uint64_t{1} << bits) - 1;
  std::uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int digit = hex ? hex_digit_value(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (digit < 0) return std::nullopt;
    if (magnitude > (largest - static_cast<unsigned>(digit)) / base) return std::nullopt;
    magnitude = magnitude * base + static_cast<unsigned>(digit);
  }

  const std::uint64_t sign_bit = std::uint64_t{1} << (bits - 1);
  const std::int64_t lowest = bits == 64 ? INT64_MIN : -static_cast<std::int64_t>(sign_bit);
  if (hex) {
    const std::int64_t value = (magnitude & sign_bit) == 0 ? static_cast<std::int64_t>(magnitude)
                               : bits == 64                ? static_cast<std::int64_t>(magnitude)
                                                           : static_cast<std::int64_t>(magnitude) - 2 * static_cast<std::int64_t>(sign_bit);
    // "-$80000000" is the lowest value, as its decimal form is.
    if (negative) return value == lowest ? value : -value;
    return value;
  }
  if (negative) {
    if (magnitude > sign_bit) return std::nullopt;
    return magnitude == sign_bit ? lowest : -static_cast<std::int64_t>(magnitude);
  }
  if (magnitude >= sign_bit) return std::nullopt;
  return static_cast<std::int64_t>(magnitude);
}

}  // namespace

std::optional<std::int32_t> parse_integer_text(std::string_view text) {
  const std::optional<std::int64_t> value = parse_integer_of_width(text, 32);
  if (!value) return std::nullopt;
  return static_cast<std::int32_t>(*value);
}

std::optional<std::int64_t> parse_integer_text_64(std::string_view text) { return parse_integer_of_width(text, 64); }

std::int32_t integer_text(std::string_view text) {
  if (auto value = parse_integer_text(text)) return *value;
  throw ScriptError("'" + std::string(text) + "' is not a valid integer value");
}

}  // namespace qm
