#pragma once
// Integer text: how every command reads a number from text.
//
//   integer  = blanks* sign? ( decimal | hex-prefix hex-digits )
//   sign     = "-" | "+"
//   hex-prefix = "$" | "x" | "X" | "0x" | "0X"
//
// The value must fit a signed 32-bit integer. Hexadecimal digits are read as a
// 32-bit pattern, so "$FFFFFFFF" is -1 (registry DWORDs are written that way);
// more than 32 bits is not an integer. Nothing may follow the digits.

#include <cstdint>
#include <optional>
#include <string_view>

namespace qm {

std::optional<std::int32_t> parse_integer_text(std::string_view text);

// The same rules in 64 bits (sizes in bytes): hexadecimal digits are a 64-bit
// pattern.
std::optional<std::int64_t> parse_integer_text_64(std::string_view text);

// As parse_integer_text, but text that is no integer is the script error
// "'<text>' is not a valid integer value".
std::int32_t integer_text(std::string_view text);

// The value of one hexadecimal digit (either case), or -1 for another character.
int hex_digit_value(char c);

}  // namespace qm
