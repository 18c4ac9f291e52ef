#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "script/integer_text.h"
#include "script/script_error.h"

namespace qm {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct IntegerCase {
  std::string text;
  std::int32_t value;
};

TEST(IntegerTextTest, ReadsDecimalAndHexadecimalNumbers) {
  const IntegerCase cases[] = {
      // decimal, with an optional sign
      {"0", 0},
      {"7", 7},
      {"42", 42},
      {"-42", -42},
      {"+42", 42},
      {"-0", 0},
      {"007", 7},
      {"00000000000000000000042", 42},  // leading zeros are no digits of value
      // leading blanks are skipped, also before the sign and the prefix
      {" 7", 7},
      {"   -7", -7},
      {"  +0x10", 16},
      // every hexadecimal prefix, digits in either case
      {"$10", 16},
      {"x10", 16},
      {"X10", 16},
      {"0x10", 16},
      {"0X10", 16},
      {"$ff", 255},
      {"$FF", 255},
      {"0xaBcDeF", 0xABCDEF},
      {"x0", 0},
      {"$000000000000FF", 255},
      {"-$10", -16},
      {"+x1A", 26},
      {"-0X1a", -26},
  };
  for (const IntegerCase& c : cases) {
    SCOPED_TRACE("text '" + c.text + "'");
    EXPECT_EQ(parse_integer_text(c.text), std::optional<std::int32_t>(c.value));
    EXPECT_EQ(integer_text(c.text), c.value);
  }
}

TEST(IntegerTextTest, ValuesAtTheEdgesOfThe32BitRange) {
  const IntegerCase cases[] = {
      {"2147483647", kMax},
      {"+2147483647", kMax},
      {"-2147483647", -kMax},
      {"-2147483648", kMin},
      {"$7FFFFFFF", kMax},
      // Hexadecimal digits are a 32-bit pattern, as registry DWORDs are written.
      {"$80000000", kMin},
      {"$FFFFFFFF", -1},
      {"0xFFFFFFFE", -2},
      {"+$FFFFFFFF", -1},
      {"-$7FFFFFFF", -kMax},
      {"-$80000000", kMin},
      {"-0x80000000", kMin},
  };
  for (const IntegerCase& c : cases) {
    SCOPED_TRACE("text '" + c.text + "'");
    EXPECT_EQ(parse_integer_text(c.text), std::optional<std::int32_t>(c.value));
  }
}

TEST(IntegerTextTest, RejectsTextThatIsNoInteger) {
  const std::string not_integers[] = {
      // nothing to read
      "",
      " ",
      "   ",
      "-",
      "+",
      "  -",
      // a prefix without digits
      "$",
      "x",
      "X",
      "0x",
      "0X",
      "-$",
      "+0x",
      // outside the 32-bit range
      "2147483648",
      "-2147483649",
      "4294967295",
      "4294967296",
      "99999999999999999999999999",
      "$100000000",
      "0x1FFFFFFFF",
      "$00000001000000000",
      // other characters anywhere
      "12 ",
      "1 2",
      "- 5",
      "5-",
      "--5",
      "+-5",
      "-+5",
      "1.5",
      "1e3",
      "1,000",
      "12abc",
      "abc",
      "0x1G",
      "$G",
      "$-5",
      "0x-5",
      "0xx1",
      "x0x1",
      "$$1",
      "0b101",
      "\t5",   // only the blank is skipped
      "\n5",
      std::string("1\0", 2),
      std::string("\0" "1", 2),
      "\xB2",  // a superscript two of the code page is no digit
      "1\xB2",
  };
  for (const std::string& text : not_integers) {
    SCOPED_TRACE("text '" + text + "'");
    EXPECT_EQ(parse_integer_text(text), std::nullopt);
  }
}

TEST(IntegerTextTest, NoIntegerIsAScriptErrorNamingTheText) {
  const std::string texts[] = {"", "12abc", " 1 2", "$", "2147483648"};
  for (const std::string& text : texts) {
    SCOPED_TRACE("text '" + text + "'");
    try {
      integer_text(text);
      ADD_FAILURE() << "no error";
    } catch (const ScriptError& error) {
      EXPECT_EQ(std::string(error.what()), "'" + text + "' is not a valid integer value");
    }
  }
}

}  // namespace
}  // namespace qm
