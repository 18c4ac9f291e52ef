#include "script/arithmetic.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace qm {
namespace {

struct Case {
  const char* operation;
  const char* a;
  const char* b;
  std::string result;
};

std::string run(const Case& c, PseudoRandomGenerator& generator) {
  return mathematics(c.operation, c.a, c.b, generator);
}

TEST(ArithmeticTest, OperationsOnIntegerTexts) {
  const Case cases[] = {
      {"0", "2147483647", "1", "2147483648"},  // 64 bits: no 32-bit overflow
      {"0", "-2147483648", "-1", "-2147483649"},
      {"1", "5", "7", "-2"},
      {"2", "2147483647", "2147483647", "4611686014132420609"},
      {"2", "-2147483648", "-2147483648", "4611686018427387904"},
      {"3", "7", "2", "3"},
      {"3", "-7", "2", "-3"},  // toward zero
      {"3", "-2147483648", "-1", "2147483648"},
      {"4", "-7", "2", "-1"},  // the sign of a
      {"4", "7", "-2", "1"},
      {"4", "-2147483648", "-1", "0"},
      {"5", "12", "10", "8"},
      {"6", "12", "10", "14"},
      {"7", "12", "10", "6"},
      {"7", "-1", "0", "-1"},
      {"8", "1", "32", "4294967296"},
      {"8", "1", "63", "-9223372036854775808"},
      {"8", "1", "64", "0"},
      {"8", "1", "127", "0"},
      {"8", "1", "128", "0"},
      {"8", "1", "255", "0"},
      {"8", "1", "256", "1"},  // the count is the low 8 bits
      {"8", "3", "-255", "6"},  // low 8 bits of -255: 1
      {"9", "-1", "60", "15"},  // the 64-bit pattern, zeros shifted in
      {"9", "-1", "0", "-1"},
      {"9", "-1", "64", "0"},
      {"9", "-1", "200", "0"},
      {"9", "256", "4", "16"},
      {"10", "0", "", "-1"},
      {"10", "-2147483648", "not read", "2147483647"},
      {"11", "A", "not read", "65"},
      {"11", "\xE9t\xE9", "", "233"},  // codes above 127 are not negative
      {"11", "12", "", "49"},           // a text, not a number
      {"12", "65", "not read", "A"},
      {"12", "321", "", "A"},  // the low 8 bits
      {"12", "-191", "", "A"},
      {"12", "233", "", "\xE9"},
      // Integer texts as everywhere: blanks in front, signs, hexadecimal.
      {"0", "  $10", "0x10", "32"},
      {"0", "+x1F", "-1", "30"},
      {" 2", "$FFFFFFFF", "3", "-3"},
      {"$1", "10", "4", "6"},
  };
  for (const Case& c : cases) {
    PseudoRandomGenerator generator;
    EXPECT_EQ(run(c, generator), c.result) << "op " << c.operation << " a " << c.a << " b " << c.b;
  }
}

TEST(ArithmeticTest, FailuresGiveTheEmptyText) {
  const Case cases[] = {
      {"3", "1", "0", ""},
      {"4", "1", "0", ""},
      {"11", "", "1", ""},
      {"", "1", "1", ""},
      {"add", "1", "1", ""},
      {"16", "1", "1", ""},
      {"-1", "1", "1", ""},
      {"0", "1", "", ""},
      {"0", "", "1", ""},
      {"0", "1.5", "1", ""},
      {"0", "2147483648", "1", ""},
      {"0", "1 ", "1", ""},
      {"12", "A", "", ""},
      {"15", "x", "", ""},
  };
  for (const Case& c : cases) {
    PseudoRandomGenerator generator;
    EXPECT_EQ(run(c, generator), c.result) << "op " << c.operation << " a " << c.a << " b " << c.b;
  }
}

TEST(ArithmeticTest, TheGeneratorIsSeededAndDrawnFrom) {
  PseudoRandomGenerator generator;
  EXPECT_EQ(mathematics("15", "7", "", generator), "0") << "all zero before any seeding";
  EXPECT_EQ(mathematics("15", "-3", "", generator), "0");

  EXPECT_EQ(mathematics("13", "1103515245", "12345", generator), "1103527590") << "a + b";
  EXPECT_EQ(mathematics("14", "1", "", generator), "1");
  // v = multiplier * state + increment in 32 bits; state = v mod 32767; v mod a.
  EXPECT_EQ(mathematics("15", "100", "", generator), "90");    // v 1103527590, state 564
  EXPECT_EQ(mathematics("15", "100", "", generator), "-95");   // v wraps to -387647395, state -13785
  EXPECT_EQ(mathematics("15", "100", "", generator), "52");    // v 816522452, state 1579
  EXPECT_EQ(generator.state, 1579);
  EXPECT_EQ(generator.multiplier, 1103515245);
  EXPECT_EQ(generator.increment, 12345);

  EXPECT_EQ(mathematics("13", "-7", "3", generator), "-4");
  EXPECT_EQ(mathematics("14", "5", "", generator), "5");
  EXPECT_EQ(mathematics("15", "10", "", generator), "-2");  // v -32, state -32
  EXPECT_EQ(mathematics("15", "10", "", generator), "7");   // v 227
  EXPECT_EQ(mathematics("15", "10", "", generator), "-6");  // v -1586
}

TEST(ArithmeticTest, AFailedDrawKeepsWhatTheGeneratorWasGiven) {
  PseudoRandomGenerator generator;
  mathematics("13", "-7", "3", generator);
  mathematics("14", "5", "", generator);
  EXPECT_EQ(mathematics("15", "0", "", generator), "") << "v mod 0";
  EXPECT_EQ(generator.state, -32) << "the state moved on before the remainder failed";
  EXPECT_EQ(mathematics("15", "none", "", generator), "");
  EXPECT_EQ(generator.state, -32) << "no operand, no draw";
  EXPECT_EQ(mathematics("13", "9", "none", generator), "");
  EXPECT_EQ(generator.multiplier, -7) << "no seed without both operands";
  EXPECT_EQ(mathematics("14", "", "", generator), "");
  EXPECT_EQ(generator.state, -32);
}

// The 64-bit core never traps, whatever it is given.
TEST(ArithmeticTest, TheCoreWrapsAroundAtTheEdgesOf64Bits) {
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  struct Edge {
    std::int32_t operation;
    std::int64_t a;
    std::int64_t b;
    std::optional<std::int64_t> result;
  } edges[] = {
      {3, kMin, -1, kMin},
      {4, kMin, -1, 0},
      {3, kMin, 1, kMin},
      {3, kMin, 0, std::nullopt},
      {4, kMax, 0, std::nullopt},
      {0, kMax, 1, kMin},
      {1, kMin, 1, kMax},
      {2, kMin, -1, kMin},
      {2, kMax, 2, -2},
      {8, -1, 63, kMin},
      {9, kMin, 63, 1},
      {11, 1, 1, std::nullopt},
  };
  for (const Edge& e : edges)
    EXPECT_EQ(arithmetic(e.operation, e.a, e.b), e.result) << e.operation << " " << e.a << " " << e.b;
}

}  // namespace
}  // namespace qm
