#include "script/arithmetic.h"

#include "script/integer_text.h"

namespace qm {

namespace {

enum Operation : std::int32_t {
  kAdd = 0,
  kSubtract = 1,
  kMultiply = 2,
  kDivide = 3,
  kRemainder = 4,
  kAnd = 5,
  kOr = 6,
  kXor = 7,
  kShiftLeft = 8,
  kShiftRight = 9,
  kNot = 10,
  kCharacterCode = 11,
  kCharacter = 12,
  kSeed = 13,
  kSetState = 14,
  kNextRandom = 15,
};

constexpr std::int64_t kStateModulus = 32767;

// Two's complement arithmetic on the bit patterns: wrapping, never undefined.
std::uint64_t bits(std::int64_t value) { return static_cast<std::uint64_t>(value); }
std::int64_t value_of(std::uint64_t pattern) { return static_cast<std::int64_t>(pattern); }

std::uint64_t shift_count(std::int64_t b) { return bits(b) & 0xFF; }

// The next value of the generator, in 32 bits with wrap-around.
std::int32_t next_random(PseudoRandomGenerator& generator) {
  const std::uint32_t product =
      static_cast<std::uint32_t>(generator.multiplier) * static_cast<std::uint32_t>(generator.state);
  const auto value = static_cast<std::int32_t>(product + static_cast<std::uint32_t>(generator.increment));
  generator.state = static_cast<std::int32_t>(value % kStateModulus);
  return value;
}

std::optional<std::int64_t> remainder(std::int64_t a, std::int64_t b) {
  if (b == 0) return std::nullopt;
  if (b == -1) return 0;  // INT64_MIN % -1 would trap
  return a % b;
}

// Operations 11 to 15; nothing when the operation fails.
std::optional<std::string> text_or_generator_operation(std::int32_t operation, std::string_view a_text,
                                                       std::string_view b_text, PseudoRandomGenerator& generator) {
  if (operation == kCharacterCode) {
    if (a_text.empty()) return std::nullopt;
    return std::to_string(static_cast<unsigned char>(a_text.front()));
  }
  const std::optional<std::int32_t> a = parse_integer_text(a_text);
  if (!a) return std::nullopt;
  switch (operation) {
    case kCharacter: return std::string(1, static_cast<char>(*a & 0xFF));
    case kSeed: {
      const std::optional<std::int32_t> b = parse_integer_text(b_text);
      if (!b) return std::nullopt;
      generator.multiplier = *a;
      generator.increment = *b;
      return std::to_string(std::int64_t{*a} + *b);
    }
    case kSetState: generator.state = *a; return std::to_string(*a);
    default: {
      const std::optional<std::int64_t> drawn = remainder(next_random(generator), *a);
      if (!drawn) return std::nullopt;
      return std::to_string(*drawn);
    }
  }
}

}  // namespace

std::optional<std::int64_t> arithmetic(std::int32_t operation, std::int64_t a, std::int64_t b) {
  switch (operation) {
    case kAdd: return value_of(bits(a) + bits(b));
    case kSubtract: return value_of(bits(a) - bits(b));
    case kMultiply: return value_of(bits(a) * bits(b));
    case kDivide:
      if (b == 0) return std::nullopt;
      if (b == -1) return value_of(0 - bits(a));  // INT64_MIN / -1 would trap
      return a / b;
    case kRemainder: return remainder(a, b);
    case kAnd: return a & b;
    case kOr: return a | b;
    case kXor: return a ^ b;
    case kShiftLeft: return shift_count(b) < 64 ? value_of(bits(a) << shift_count(b)) : 0;
    case kShiftRight: return shift_count(b) < 64 ? value_of(bits(a) >> shift_count(b)) : 0;
    case kNot: return ~a;
    default: return std::nullopt;
  }
}

std::string mathematics(std::string_view operation, std::string_view a, std::string_view b,
                        PseudoRandomGenerator& generator) {
  const std::optional<std::int32_t> number = parse_integer_text(operation);
  if (!number) return {};
  if (*number >= kCharacterCode && *number <= kNextRandom)
    return text_or_generator_operation(*number, a, b, generator).value_or("");
  if (*number < kAdd || *number > kNot) return {};

  const std::optional<std::int32_t> a_value = parse_integer_text(a);
  if (!a_value) return {};
  std::int32_t b_value = 0;
  if (*number != kNot) {
    const std::optional<std::int32_t> parsed = parse_integer_text(b);
    if (!parsed) return {};
    b_value = *parsed;
  }
  const std::optional<std::int64_t> result = arithmetic(*number, *a_value, b_value);
  return result ? std::to_string(*result) : std::string();
}

}  // namespace qm
