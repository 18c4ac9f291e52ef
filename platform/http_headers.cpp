#include "platform/http_headers.h"

#include <limits>
#include <utility>

namespace qm::platform {

namespace {

constexpr std::string_view kBlanks = " \t\r";

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return text.substr(text.size());
  const std::size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string_view> header_value(std::string_view headers, std::string_view name) {
  std::optional<std::string_view> found;
  bool status_line = true;
  while (!headers.empty()) {
    const std::size_t end = headers.find('\n');
    const std::string_view line = headers.substr(0, end);
    headers.remove_prefix(end == std::string_view::npos ? headers.size() : end + 1);
    if (std::exchange(status_line, false)) continue;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    if (equal_ignoring_case(trimmed(line.substr(0, colon)), name)) found = trimmed(line.substr(colon + 1));
  }
  return found;
}

std::optional<std::uint64_t> parse_byte_count(std::string_view text) {
  if (text.empty()) return std::nullopt;
  constexpr std::uint64_t kMaximum = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (kMaximum - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

std::optional<std::uint64_t> content_length(std::string_view headers) {
  const auto value = header_value(headers, "Content-Length");
  if (!value) return std::nullopt;
  return parse_byte_count(*value);
}

std::optional<ContentRange> content_range(std::string_view headers) {
  const auto value = header_value(headers, "Content-Range");
  if (!value) return std::nullopt;
  std::string_view text = *value;
  constexpr std::string_view kUnit = "bytes";
  if (text.size() < kUnit.size() || !equal_ignoring_case(text.substr(0, kUnit.size()), kUnit)) return std::nullopt;
  text = trimmed(text.substr(kUnit.size()));
  const std::size_t dash = text.find('-');
  const std::size_t slash = text.find('/');
  if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash) return std::nullopt;
  const auto first = parse_byte_count(text.substr(0, dash));
  const auto last = parse_byte_count(text.substr(dash + 1, slash - dash - 1));
  if (!first || !last || *last < *first) return std::nullopt;
  ContentRange range{*first, *last, std::nullopt};
  const std::string_view total = text.substr(slash + 1);
  if (total != "*") {
    range.total = parse_byte_count(total);
    if (!range.total || *last >= *range.total) return std::nullopt;
  }
  return range;
}

}  // namespace qm::platform
