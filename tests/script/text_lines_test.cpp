// Lines of text files: where a line ends, however the bytes arrive.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "script/text_lines.h"

namespace qm {
namespace {

using Lines = std::vector<std::string>;

TEST(TextLinesTest, SplittingAWholeText) {
  const struct {
    std::string text;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\nc\r\n", {"a", "b", "c"}},
      {"a\nb\nc", {"a", "b", "c"}},
      {"a\rb\rc\r", {"a", "b", "c"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},  // LF then CR: two line ends
      {"\r\n", {""}},
      {"\n\n", {"", ""}},
      {"a\r\r\nb", {"a", "", "b"}},
      {std::string("a\0b\nc", 5), {std::string("a\0b", 3), "c"}},
  };
  for (const auto& [text, lines] : cases) EXPECT_EQ(split_lines(text), lines) << testing::PrintToString(text);
}

// A reader that gets the file in pieces finds the same lines as one that
// has it whole, wherever the pieces are cut (a CR LF cut in two included).
TEST(TextLinesTest, TakingLinesFromPiecesGivesTheSameLines) {
  const std::string text = "one\r\ntwo\rthree\nfour\r\n\r\nlast";
  for (std::size_t piece = 1; piece <= text.size(); ++piece) {
    SCOPED_TRACE(piece);
    Lines lines;
    std::string buffer;
    std::size_t given = 0;
    for (;;) {
      const bool more = given < text.size();
      if (const std::optional<TakenLine> line = take_line(buffer, more)) {
        lines.emplace_back(line->text);
        buffer.erase(0, line->consumed);
        continue;
      }
      if (!more) break;
      buffer += text.substr(given, piece);
      given += piece;
    }
    EXPECT_EQ(lines, split_lines(text));
  }
}

TEST(TextLinesTest, ACarriageReturnAtTheEndOfAPieceWaits) {
  EXPECT_EQ(take_line("a\r", true), std::nullopt);
  EXPECT_EQ(take_line("abc", true), std::nullopt);
  const std::optional<TakenLine> last = take_line("a\r", false);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->text, "a");
  EXPECT_EQ(last->consumed, 2u);
  EXPECT_EQ(take_line("", false), std::nullopt);
}

TEST(TextLinesTest, JoiningEndsEveryLineWithCrLf) {
  EXPECT_EQ(join_lines_crlf({}), "");
  EXPECT_EQ(join_lines_crlf({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(split_lines(join_lines_crlf({"a", "", "b"})), (Lines{"a", "", "b"}));
}

}  // namespace
}  // namespace qm
