// Reading the headers of an HTTP answer: lengths and ranges that a server
// may send wrong.

#include "platform/http_headers.h"

#include <gtest/gtest.h>

namespace qm::platform {
namespace {

std::string answer(const std::string& header_lines) { return "HTTP/1.1 200 OK\r\n" + header_lines + "\r\n"; }

TEST(HttpHeadersTest, ContentLengthIsADecimalCountOrNothing) {
  struct Case {
    std::string headers;
    std::optional<std::uint64_t> length;
  };
  const Case cases[] = {
      {answer("Content-Length: 1234567\r\n"), 1234567},
      {answer("content-length:0\r\n"), 0},
      {answer("CONTENT-LENGTH:   42  \r\n"), 42},
      {"HTTP/1.0 200 OK\nContent-Length: 7\n", 7},  // LF alone
      {answer("Content-Length: 9223372036854775807\r\n"), 9223372036854775807ull},
      {answer("Content-Length: 9223372036854775808\r\n"), std::nullopt},  // beyond 2^63 - 1
      {answer("Content-Length: 12abc\r\n"), std::nullopt},
      {answer("Content-Length: -5\r\n"), std::nullopt},
      {answer("Content-Length: +5\r\n"), std::nullopt},
      {answer("Content-Length: 1 2\r\n"), std::nullopt},
      {answer("Content-Length: $FF\r\n"), std::nullopt},
      {answer("Content-Length:\r\n"), std::nullopt},
      {answer("Server: nginx\r\n"), std::nullopt},
      {answer("X-Original-Content-Length: 99\r\n"), std::nullopt},  // another header
      {"Content-Length: 5\r\n", std::nullopt},                       // a status line is no header
      {answer("Content-Length: 5\r\nContent-Length: 6\r\n"), 6},      // the last one counts
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.headers);
    EXPECT_EQ(content_length(c.headers), c.length);
  }
}

TEST(HttpHeadersTest, ContentRangeOfAPartialAnswer) {
  struct Case {
    std::string value;
    bool valid;
    std::uint64_t first, last;
    std::optional<std::uint64_t> total;
  };
  const Case cases[] = {
      {"bytes 7952-19999/20000", true, 7952, 19999, 20000},
      {"bytes 0-0/1", true, 0, 0, 1},
      {"BYTES 10-20/*", true, 10, 20, std::nullopt},
      {"bytes 20-10/100", false, 0, 0, {}},  // backwards
      {"bytes 10-100/100", false, 0, 0, {}},  // past the end
      {"bytes 10-/100", false, 0, 0, {}},
      {"bytes */100", false, 0, 0, {}},
      {"items 1-2/3", false, 0, 0, {}},
      {"bytes 1-2", false, 0, 0, {}},
      {"bytes 1-2/x", false, 0, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const auto range = content_range(answer("Content-Range: " + c.value + "\r\n"));
    ASSERT_EQ(range.has_value(), c.valid);
    if (!range) continue;
    EXPECT_EQ(range->first, c.first);
    EXPECT_EQ(range->last, c.last);
    EXPECT_EQ(range->total, c.total);
  }
}

}  // namespace
}  // namespace qm::platform
