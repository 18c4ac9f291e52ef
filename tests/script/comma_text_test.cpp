#include <gtest/gtest.h>

#include "script/comma_text.h"

namespace qm {
namespace {

using Items = std::vector<std::string>;

TEST(CommaTextTest, Writing) {
  const std::pair<Items, const char*> cases[] = {
      {{}, ""},
      {{""}, "\"\""},
      {{"", ""}, ","},
      {{"a", "b"}, "a,b"},
      {{"a b"}, "\"a b\""},
      {{"a,b"}, "\"a,b\""},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{"line\r\nbreak", "tab\there"}, "\"line\r\nbreak\",\"tab\there\""},
      {{"C:\\Program Files\\"}, "\"C:\\Program Files\\\""},
      {{"x", ""}, "x,"},
  };
  for (const auto& [items, text] : cases) EXPECT_EQ(to_comma_text(items), text);
}

TEST(CommaTextTest, Reading) {
  const std::pair<std::string, Items> cases[] = {
      {"", {}},
      {"\"\"", {""}},
      {"a,b", {"a", "b"}},
      {"x,", {"x", ""}},
      {"x,  ", {"x", ""}},
      {"  a , b  ", {"a", "b"}},
      {"a b", {"a", "b"}},  // an unquoted item ends at a blank
      {"\"a \"\"q\"\" b\",c", {"a \"q\" b", "c"}},
      {"\"unclosed", {"unclosed"}},
      {",a", {"", "a"}},
      {std::string("a,b\0,c", 6), {"a", "b"}},  // the text ends at a NUL
      {"\r\n a,\r\nb", {"a", "b"}},
  };
  for (const auto& [text, items] : cases) EXPECT_EQ(from_comma_text(text), items) << text;
}

TEST(CommaTextTest, RoundTripOfEveryByte) {
  Items items;
  for (int c = 1; c < 256; ++c) items.push_back(std::string("<") + static_cast<char>(c) + ">");
  items.push_back("");
  items.push_back("\"");
  EXPECT_EQ(from_comma_text(to_comma_text(items)), items);
}

// A file list joins its paths with "|": a path holding a "|" is quoted, a
// comma is then plain text.
TEST(CommaTextTest, WritingWithAnotherDelimiter) {
  const struct {
    Items items;
    std::string text;
  } cases[] = {
      {{}, ""},
      {{""}, "\"\""},
      {{"C:\\a.txt", "C:\\b,c.txt"}, "C:\\a.txt|C:\\b,c.txt"},
      {{"C:\\My Files\\a.txt", "a|b", "q\"q"}, "\"C:\\My Files\\a.txt\"|\"a|b\"|\"q\"\"q\""},
      {{"", "x"}, "|x"},
  };
  for (const auto& [items, text] : cases) EXPECT_EQ(to_delimited_text(items, '|'), text) << text;
}

}  // namespace
}  // namespace qm
