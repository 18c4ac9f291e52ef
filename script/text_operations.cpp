#include "script/text_operations.h"

#include <algorithm>
#include <optional>

#include "script/ansi_text.h"
#include "script/integer_text.h"

namespace qm {

namespace {

bool is_blank_or_control(char c) { return static_cast<unsigned char>(c) <= ' '; }

SplitText cut(std::string_view source, std::size_t first_end, std::size_t second_begin) {
  return {std::string(source.substr(0, first_end)), std::string(source.substr(second_begin))};
}

SplitText split_at_delimiter(std::string_view source, std::string_view delimiter, bool last, bool ignore_case) {
  const SplitText not_found = last ? SplitText{"", std::string(source)} : SplitText{std::string(source), ""};
  if (delimiter.empty()) return not_found;
  // ANSI case mapping keeps lengths, so a position in the lower-cased
  // source is the same position in the source itself.
  const std::string folded_source = ignore_case ? ansi_lower(source) : std::string(source);
  const std::string folded_delimiter = ignore_case ? ansi_lower(delimiter) : std::string(delimiter);
  const std::size_t at = last ? folded_source.rfind(folded_delimiter) : folded_source.find(folded_delimiter);
  if (at == std::string::npos) return not_found;
  return cut(source, at, at + delimiter.size());
}

SplitText split_at_count(std::string_view source, std::string_view count_text, bool from_right) {
  const std::optional<std::int32_t> count = parse_integer_text(count_text);
  if (!count) return {};
  const auto length = static_cast<std::int64_t>(source.size());
  // Scripts written for this command rely on its answer for a count of
  // exactly the length from the right: nothing on either side.
  if (from_right && *count == length) return {};
  const std::int64_t first_length = std::clamp<std::int64_t>(from_right ? length - *count : *count, 0, length);
  const auto at = static_cast<std::size_t>(first_length);
  return cut(source, at, at);
}

}  // namespace

std::string replace_text(std::string_view value, std::string_view find, std::string_view replacement, bool ignore_case,
                         bool replace_all) {
  if (find.empty() || value.size() < find.size()) return std::string(value);
  const std::string folded_value = ignore_case ? ansi_upper(value) : std::string(value);
  const std::string folded_find = ignore_case ? ansi_upper(find) : std::string(find);

  std::string result;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = folded_value.find(folded_find, from);
    if (at == std::string::npos) break;
    result.append(value.substr(from, at - from)).append(replacement);
    from = at + find.size();
    if (!replace_all) break;
  }
  return result.append(value.substr(from));
}

SplitText parse_string(std::string_view source, std::string_view delimiter_or_count, std::int32_t mode,
                       ParseOptions options) {
  SplitText parts;
  switch (mode) {
    case kParseAtFirstDelimiter:
    case kParseAtLastDelimiter:
      parts = split_at_delimiter(source, delimiter_or_count, mode == kParseAtLastDelimiter, options.ignore_case);
      break;
    case kParseCountFromLeft:
    case kParseCountFromRight:
      parts = split_at_count(source, delimiter_or_count, mode == kParseCountFromRight);
      break;
    default:
      break;
  }
  if (options.trim) {
    parts.first = trim_blanks_and_controls(parts.first);
    parts.second = trim_blanks_and_controls(parts.second);
  }
  return parts;
}

std::string trim_blanks_and_controls(std::string_view text) {
  while (!text.empty() && is_blank_or_control(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank_or_control(text.back())) text.remove_suffix(1);
  return std::string(text);
}

}  // namespace qm
