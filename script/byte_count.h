#pragma once
// Byte counts of components and disks: 64-bit, read from size texts, added
// up, and shown to the user as "1,536 KB".
//
// Size texts come from the package and from scripts, so any text may arrive:
// one that is not a 64-bit integer is refused, and sums never wrap around.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// A size text: the grammar of integer texts (integer_text.h) in 64 bits:
// leading blanks, an optional sign, then decimal digits, or hexadecimal
// digits (a 64-bit pattern) after "$", "x", "X", "0x" or "0X". Nothing may
// follow the digits.
std::optional<std::int64_t> parse_byte_count(std::string_view text);

// A running sum of byte counts that stays sound: the exact sum while it fits
// 64 bits, otherwise the 64-bit limit on its side. A sum that only passes
// beyond a limit on its way (a huge size, then a huge negative one) still
// ends exact, because the wrapped value is kept with the count of wraps.
class ByteSum {
 public:
  void add(std::int64_t bytes);
  void subtract(std::int64_t bytes);
  std::int64_t value() const;

 private:
  std::int64_t wrapped_ = 0;  // the sum modulo 2^64
  std::int64_t laps_ = 0;     // wraps past the top (+1 each) and past the bottom (-1 each)
};

// The unit texts of the size-text form (replaceable by language).
struct ByteUnits {
  std::string_view bytes;
  std::string_view kilobytes;
  std::string_view megabytes;
};

// Below 1,048,576 (or negative) in bytes, below 1,073,741,824 in whole KB,
// otherwise in whole MB; digits grouped in threes with ",", a leading "-"
// for a negative count, then a blank and the unit.
std::string format_byte_count(std::int64_t bytes, const ByteUnits& units);

}  // namespace qm
