#include <gtest/gtest.h>

#include <windows.h>

#include "script/ansi_text.h"
#include "script/indexed_list.h"

namespace qm {
namespace {

TEST(IndexedListTest, FindsTheFirstEqualEntryWithoutRegardToCase) {
  IndexedList list({"Alpha", "beta", "ALPHA", "", "Gamma", ""});
  EXPECT_EQ(list.find("alpha"), 0u);
  EXPECT_EQ(list.find("BETA"), 1u);
  EXPECT_EQ(list.find(""), 3u);
  EXPECT_EQ(list.find("gamma"), 4u);
  EXPECT_EQ(list.find("delta"), IndexedList::npos);
  EXPECT_EQ(list.find("alph"), IndexedList::npos) << "whole entries only";
  EXPECT_EQ(IndexedList().find("x"), IndexedList::npos);
}

TEST(IndexedListTest, GrowsWhileStayingIndexed) {
  IndexedList list;
  for (int i = 0; i < 20000; ++i) list.push_back("Entry" + std::to_string(i));
  list.push_back("entry5");
  for (int i = 0; i < 20000; i += 997) EXPECT_EQ(list.find("ENTRY" + std::to_string(i)), std::size_t(i));
  EXPECT_EQ(list.find("entry5"), 5u);
  list.clear();
  EXPECT_EQ(list.find("entry5"), IndexedList::npos);
  list.push_back("again");
  EXPECT_EQ(list.find("AGAIN"), 0u);
}

TEST(IndexedListTest, AccentedLettersFollowTheCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "needs the Western European code page, this system has " << GetACP();
  // e acute and E acute in code page 1252.
  EXPECT_EQ(ansi_upper("caf\xE9"), "CAF\xC9");
  IndexedList list({"CAF\xC9", "x"});
  EXPECT_EQ(list.find("caf\xE9"), 0u);
  EXPECT_TRUE(equal_ignore_case("\xE9t\xE9", "\xC9T\xC9"));
  EXPECT_FALSE(ascii_equal_ignore_case("\xE9", "\xC9"));
}

TEST(AnsiTextTest, ReplaceIgnoringCase) {
  struct Case {
    const char *source, *pattern, *replacement, *result;
  } cases[] = {
      {"$A$ and $a$", "$A$", "x", "x and x"},
      {"$A$A$", "$A$", "[$A$]", "[$A$]A$"},  // inserted text is not scanned again
      {"", "$A$", "x", ""},
      {"$A", "$A$", "x", "$A"},  // shorter than the pattern
      {"aaa", "aa", "b", "ba"},
      {"no match", "xyz", "!", "no match"},
  };
  for (const Case& c : cases) EXPECT_EQ(replace_ignore_case(c.source, c.pattern, c.replacement), c.result);
  EXPECT_EQ(replace_ignore_case_within("$A$$A$", "$a$", "0123456789", 19), std::nullopt);
  EXPECT_EQ(replace_ignore_case_within("$A$$A$", "$a$", "0123456789", 20), "01234567890123456789");
}

}  // namespace
}  // namespace qm
