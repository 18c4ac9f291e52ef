#pragma once
// Reading the header block of an HTTP answer: the lines after the status
// line, "Name: value" each. The block comes from the server, so nothing in
// it is trusted: a value that is not what its header promises counts as
// missing.
//
// Pure text work (no <windows.h>), shared by the HTTP client and the web
// media download, and fuzzed as it stands (fuzz/http_headers_fuzz.cpp).

#include <cstdint>
#include <optional>
#include <string_view>

namespace qm::platform {

// The value of the last header line named `name` (compared without regard
// to case), blanks around it removed; nothing when no line has that name.
// Lines end with LF or CR LF; the first line (the status line) is no header.
std::optional<std::string_view> header_value(std::string_view headers, std::string_view name);

// A byte count written in decimal digits only, at most 2^63 - 1; nothing
// for anything else (a sign, blanks inside, other characters, overflow).
std::optional<std::uint64_t> parse_byte_count(std::string_view text);

// Content-Length as a byte count; nothing when missing or not a count.
std::optional<std::uint64_t> content_length(std::string_view headers);

// Content-Range of a partial answer: "bytes FIRST-LAST/TOTAL" (TOTAL may be
// "*", unknown). Nothing when missing or malformed, or when LAST < FIRST or
// LAST >= TOTAL.
struct ContentRange {
  std::uint64_t first = 0;
  std::uint64_t last = 0;
  std::optional<std::uint64_t> total;
};
std::optional<ContentRange> content_range(std::string_view headers);

}  // namespace qm::platform
