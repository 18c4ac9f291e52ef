// Size texts, sums of byte counts and the size-text form: every text a script
// or a package may hold, and sums beyond 64 bits.

#include "script/byte_count.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace qm {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

TEST(ByteCountTest, SizeTexts) {
  const struct {
    const char* text;
    std::optional<std::int64_t> bytes;
  } cases[] = {
      {"0", 0},
      {"2048", 2048},
      {"  2048", 2048},
      {"+7", 7},
      {"-12345", -12345},
      {"5368709120", 5368709120},
      {"9223372036854775807", kMax},
      {"-9223372036854775808", kMin},
      {"$400", 1024},
      {"0x400", 1024},
      {"X400", 1024},
      {"$FFFFFFFFFFFFFFFF", -1},  // a 64-bit pattern, as hexadecimal integer texts are in 32
      {"-$8000000000000000", kMin},
      {"12abc", std::nullopt},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"-", std::nullopt},
      {"$", std::nullopt},
      {"0x", std::nullopt},
      {"12 ", std::nullopt},
      {"1.5", std::nullopt},
      {"1,024", std::nullopt},
      {"9223372036854775808", std::nullopt},
      {"-9223372036854775809", std::nullopt},
      {"18446744073709551616", std::nullopt},
      {"99999999999999999999999999", std::nullopt},
      {"$10000000000000000", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_byte_count(c.text), c.bytes) << "[" << c.text << "]";
}

TEST(ByteCountTest, SumsStayExactOrStopAtTheLimit) {
  const struct {
    const char* what;
    std::vector<std::int64_t> added;
    std::vector<std::int64_t> subtracted;
    std::int64_t sum;
  } cases[] = {
      {"ordinary", {1000, 2048, -48}, {500}, 2500},
      {"negative result", {100}, {10485760}, 100 - 10485760},
      {"past the top", {kMax, 1}, {}, kMax},
      {"far past the top", {kMax, kMax, kMax}, {}, kMax},
      {"past the bottom", {kMin, -1}, {}, kMin},
      {"subtracting past the bottom", {-2}, {kMax}, kMin},
      {"subtracting the lowest value", {1}, {kMin}, kMax},
      {"out and back again is exact", {kMax, 10, -20}, {}, kMax - 10},
      {"below the bottom and back is exact", {kMin, -5}, {-10}, kMin + 5},
      {"stays below the bottom", {kMin}, {5}, kMin},
  };
  for (const auto& c : cases) {
    ByteSum sum;
    for (std::int64_t bytes : c.added) sum.add(bytes);
    for (std::int64_t bytes : c.subtracted) sum.subtract(bytes);
    EXPECT_EQ(sum.value(), c.sum) << c.what;
  }
}

TEST(ByteCountTest, SizeTextForm) {
  const ByteUnits units{"bytes", "KB", "MB"};
  const struct {
    std::int64_t bytes;
    const char* text;
  } cases[] = {
      {0, "0 bytes"},
      {999, "999 bytes"},
      {1000, "1,000 bytes"},
      {1048575, "1,048,575 bytes"},
      {1048576, "1,024 KB"},
      {1572864, "1,536 KB"},
      {1073741823, "1,048,575 KB"},
      {1073741824, "1,024 MB"},
      {5368709120, "5,120 MB"},
      {-12345, "-12,345 bytes"},
      {-1, "-1 bytes"},
      {-5368709120, "-5,368,709,120 bytes"},  // negative counts stay in bytes
      {kMax, "8,796,093,022,207 MB"},
      {kMin, "-9,223,372,036,854,775,808 bytes"},
  };
  for (const auto& c : cases) EXPECT_EQ(format_byte_count(c.bytes, units), c.text) << c.bytes;
}

}  // namespace
}  // namespace qm
