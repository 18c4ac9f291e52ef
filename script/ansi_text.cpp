#include "script/ansi_text.h"

#include <algorithm>

namespace qm {

namespace {

char ascii_upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string replace_in(std::string_view source, std::string_view haystack, std::string_view needle,
                       std::string_view replacement) {
  if (source.empty() || needle.empty() || source.size() < needle.size()) return std::string(source);
  std::string result;
  std::size_t from = 0;
  for (std::size_t at = haystack.find(needle); at != std::string_view::npos;
       at = haystack.find(needle, from)) {
    if (result.empty()) result.reserve(source.size() + replacement.size());
    result.append(source, from, at - from);
    result.append(replacement);
    from = at + needle.size();
  }
  if (from == 0) return std::string(source);
  result.append(source, from);
  return result;
}

}  // namespace

bool equal_ignore_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  // Most texts compared are written alike (a line identifier found again).
  if (a == b) return true;
  // Most comparisons involve plain ASCII names; only texts with other bytes
  // need the code page's rules.
  bool ascii = true;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (static_cast<unsigned char>(a[i]) >= 0x80 || static_cast<unsigned char>(b[i]) >= 0x80) {
      ascii = false;
      break;
    }
    if (ascii_upper(a[i]) != ascii_upper(b[i])) return false;
  }
  return ascii || ansi_upper(a) == ansi_upper(b);
}

bool ascii_equal_ignore_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (ascii_upper(a[i]) != ascii_upper(b[i])) return false;
  return true;
}

bool contains_ignore_case(std::string_view text, std::string_view pattern) {
  if (pattern.empty() || text.size() < pattern.size()) return false;
  return ansi_upper(text).find(ansi_upper(pattern)) != std::string::npos;
}

std::string replace_ignore_case(std::string_view source, std::string_view pattern,
                                std::string_view replacement) {
  if (source.empty() || pattern.empty() || source.size() < pattern.size()) return std::string(source);
  const std::string upper_source = ansi_upper(source);
  const std::string upper_pattern = ansi_upper(pattern);
  return replace_in(source, upper_source, upper_pattern, replacement);
}

std::optional<std::string> replace_ignore_case_within(std::string_view source, std::string_view pattern,
                                                      std::string_view replacement,
                                                      std::size_t max_length) {
  if (source.empty() || pattern.empty() || source.size() < pattern.size()) {
    if (source.size() > max_length) return std::nullopt;
    return std::string(source);
  }
  const std::string upper_source = ansi_upper(source);
  const std::string upper_pattern = ansi_upper(pattern);
  std::size_t count = 0;
  for (std::size_t at = upper_source.find(upper_pattern); at != std::string::npos;
       at = upper_source.find(upper_pattern, at + upper_pattern.size()))
    ++count;
  const std::size_t kept = source.size() - count * pattern.size();
  if (replacement.size() != 0 && count > (max_length - std::min(kept, max_length)) / replacement.size())
    return std::nullopt;
  if (kept + count * replacement.size() > max_length) return std::nullopt;
  return replace_in(source, upper_source, upper_pattern, replacement);
}

std::string replace_exact(std::string_view source, std::string_view pattern,
                          std::string_view replacement) {
  return replace_in(source, source, pattern, replacement);
}

}  // namespace qm
