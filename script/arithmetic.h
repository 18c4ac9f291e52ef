#pragma once
// "Mathematics": integer arithmetic for scripts, in signed 64 bits on
// operands given as 32-bit integer texts, and a small pseudo-random
// generator that scripts seed and draw from.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// The generator's state lives as long as the process: scripts seed it with
// operations 13 and 14 and draw from it with operation 15.
struct PseudoRandomGenerator {
  std::int32_t multiplier = 0;
  std::int32_t increment = 0;
  std::int32_t state = 0;
};

// Operations on numbers, by number:
//   0 a + b        4 a mod b (sign of a)   8 a shl b       10 not a
//   1 a - b        5 a and b               9 a shr b (zeros shifted in)
//   2 a * b        6 a or b
//   3 a div b      7 a xor b
//      (toward zero)
// Everything wraps around in 64 bits, INT64_MIN div -1 included (it gives
// INT64_MIN, and INT64_MIN mod -1 gives 0). Shift counts are the low 8 bits
// of b; counts of 64 or more shift every bit out. Nothing for division by
// zero or another operation number.
std::optional<std::int64_t> arithmetic(std::int32_t operation, std::int64_t a, std::int64_t b);

// One "Mathematics" computation on the texts of its fields: the operation
// number, operand a and operand b (integer texts). Besides the operations of
// arithmetic():
//   11 the character code (0-255) of a's first character (a is any text)
//   12 the one-character text whose code is a's low 8 bits
//   13 seeds the generator's multiplier with a and its increment with b; a + b
//   14 sets the generator's state to a; a
//   15 the generator's next value modulo a
// Every result but that of 12 is a signed decimal number. Any failure (a
// text that is no integer, division by zero, 11 on an empty text, an
// operation number outside 0-15) gives the empty text; what the generator
// was given before the failure stays.
std::string mathematics(std::string_view operation, std::string_view a, std::string_view b,
                        PseudoRandomGenerator& generator);

}  // namespace qm
