#include "script/text_operations.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(TextOperationsTest, ReplaceText) {
  struct Case {
    const char* value;
    const char* find;
    const char* replacement;
    bool ignore_case;
    bool replace_all;
    const char* result;
  } cases[] = {
      {"aXbxc", "x", "-", true, false, "a-bxc"},
      {"aXbxc", "x", "-", true, true, "a-b-c"},
      {"aXbxc", "x", "-", false, false, "aXb-c"},
      {"aXbxc", "x", "-", false, true, "aXb-c"},
      {"aXbxc", "X", "", false, true, "abxc"},
      // The text outside the matches keeps its case; the replacement is as given.
      {"One TWO two", "two", "Three", true, true, "One Three Three"},
      // Occurrences do not overlap, and inserted text is not searched again.
      {"aaaa", "aa", "b", false, true, "bb"},
      {"aaa", "aa", "b", false, true, "ba"},
      {"abc", "b", "bb", false, true, "abbc"},
      {"abab", "ab", "abab", false, true, "abababab"},
      // Nothing to do.
      {"abc", "", "x", false, true, "abc"},
      {"", "a", "x", false, true, ""},
      {"ab", "abc", "x", false, true, "ab"},
      {"abc", "d", "x", false, true, "abc"},
      {"abc", "abc", "", false, false, ""},
      // ANSI letters beyond ASCII compare without regard to case too.
      {"caf\xC9 caf\xE9", "\xE9", "e", true, true, "cafe cafe"},
      {"caf\xC9 caf\xE9", "\xE9", "e", false, true, "caf\xC9 cafe"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(replace_text(c.value, c.find, c.replacement, c.ignore_case, c.replace_all), c.result)
        << c.value << " / " << c.find << " ignore case " << c.ignore_case << " all " << c.replace_all;
}

TEST(TextOperationsTest, ParseStringAtADelimiter) {
  struct Case {
    const char* source;
    const char* delimiter;
    std::int32_t mode;
    bool ignore_case;
    const char* first;
    const char* second;
  } cases[] = {
      {"key=value=x", "=", 0, false, "key", "value=x"},
      {"key=value=x", "=", 1, false, "key=value", "x"},
      {"key=value", ";", 0, false, "key=value", ""},
      {"key=value", ";", 1, false, "", "key=value"},
      {"key=value", "", 0, false, "key=value", ""},  // an empty delimiter is never found
      {"key=value", "", 1, false, "", "key=value"},
      {"", "=", 0, false, "", ""},
      {"a::b::c", "::", 0, false, "a", "b::c"},
      {"a::b::c", "::", 1, false, "a::b", "c"},
      {"aaa", "aa", 1, false, "a", ""},  // the occurrence that starts furthest right
      {"=x=", "=", 0, false, "", "x="},
      {"=x=", "=", 1, false, "=x", ""},
      // The parts keep the source's case when the delimiter is found without regard to it.
      {"Name AND Value", "and", 0, true, "Name ", " Value"},
      {"Name AND Value", "and", 0, false, "Name AND Value", ""},
      {"aXbxC", "X", 1, true, "aXb", "C"},
      {"\xC9t\xE9", "\xC9", 1, true, "\xC9t", ""},
  };
  for (const auto& c : cases) {
    const SplitText parts = parse_string(c.source, c.delimiter, c.mode, {.ignore_case = c.ignore_case});
    EXPECT_EQ(parts.first, c.first) << c.source << " / " << c.delimiter << " mode " << c.mode;
    EXPECT_EQ(parts.second, c.second) << c.source << " / " << c.delimiter << " mode " << c.mode;
  }
}

TEST(TextOperationsTest, ParseStringByACount) {
  struct Case {
    const char* count;
    std::int32_t mode;
    const char* first;
    const char* second;
  } cases[] = {
      {"2", 2, "ab", "cdef"},
      {"0", 2, "", "abcdef"},
      {"6", 2, "abcdef", ""},
      {"7", 2, "abcdef", ""},
      {"2147483647", 2, "abcdef", ""},
      {"-1", 2, "", "abcdef"},
      {"-2147483648", 2, "", "abcdef"},
      {"$3", 2, "abc", "def"},  // an integer text
      {" 0X3", 2, "abc", "def"},
      {"2", 3, "abcd", "ef"},
      {"0", 3, "abcdef", ""},
      {"5", 3, "a", "bcdef"},
      // A count of exactly the length gives two empty parts; one beyond it
      // gives the whole text as the second part.
      {"6", 3, "", ""},
      {"7", 3, "", "abcdef"},
      {"2147483647", 3, "", "abcdef"},
      {"-1", 3, "abcdef", ""},
      {"-2147483648", 3, "abcdef", ""},
      // A count that is not an integer gives two empty parts.
      {"two", 2, "", ""},
      {"", 2, "", ""},
      {"2 ", 3, "", ""},
      {"2147483648", 3, "", ""},
  };
  for (const auto& c : cases) {
    const SplitText parts = parse_string("abcdef", c.count, c.mode, {});
    EXPECT_EQ(parts.first, c.first) << c.count << " mode " << c.mode;
    EXPECT_EQ(parts.second, c.second) << c.count << " mode " << c.mode;
  }
}

TEST(TextOperationsTest, ParseStringInAnotherModeGivesTwoEmptyParts) {
  for (const std::int32_t mode : {-1, 4, 100}) {
    const SplitText parts = parse_string("key=value", "=", mode, {});
    EXPECT_EQ(parts.first, "") << mode;
    EXPECT_EQ(parts.second, "") << mode;
  }
}

TEST(TextOperationsTest, ParseStringTrimsBothParts) {
  const SplitText parts = parse_string(" \tkey \r\n= \x01value\x7F ", "=", 0, {.trim = true});
  EXPECT_EQ(parts.first, "key");
  EXPECT_EQ(parts.second, "value\x7F") << "codes above 32 stay";
  const SplitText untrimmed = parse_string(" key = value ", "=", 0, {});
  EXPECT_EQ(untrimmed.first, " key ");
  EXPECT_EQ(untrimmed.second, " value ");
  const SplitText counted = parse_string("  ab  cd  ", "4", 2, {.trim = true});
  EXPECT_EQ(counted.first, "ab");
  EXPECT_EQ(counted.second, "cd");
}

TEST(TextOperationsTest, TrimBlanksAndControls) {
  EXPECT_EQ(trim_blanks_and_controls(""), "");
  EXPECT_EQ(trim_blanks_and_controls(" \t\r\n "), "");
  EXPECT_EQ(trim_blanks_and_controls("\x01 a b \x1F"), "a b");
  EXPECT_EQ(trim_blanks_and_controls("\xA0x\xA0"), "\xA0x\xA0") << "a no-break space is above 32";
}

}  // namespace
}  // namespace qm
