#include "actions/installer_property_file.h"

#include <algorithm>
#include <optional>

namespace qm::actions {

namespace {

struct Line {
  std::string_view text;
  std::string_view ending;  // "\r\n", "\n" or empty for a last line without one
};

std::vector<Line> split_lines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t feed = text.find('\n', start);
    if (feed == std::string_view::npos) {
      lines.push_back({text.substr(start), {}});
      break;
    }
    const bool carriage_return = feed > start && text[feed - 1] == '\r';
    const std::size_t end = carriage_return ? feed - 1 : feed;
    lines.push_back({text.substr(start, end - start), text.substr(end, feed + 1 - end)});
    start = feed + 1;
  }
  return lines;
}

bool is_marker(const Line& line) { return line.text == kEndOfProperty; }

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool starts_with_ignoring_case(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (upper(text[i]) != prefix[i]) return false;
  return true;
}

struct Marker {
  std::string_view text;  // upper case
  std::string_view replacement;
};

// One pass, so a replacement is never read again as part of a marker.
std::string replace_markers(std::string_view value, std::initializer_list<Marker> markers) {
  std::string out;
  out.reserve(value.size());
  std::size_t i = 0;
  while (i < value.size()) {
    const auto found = std::find_if(markers.begin(), markers.end(), [&](const Marker& marker) {
      return value[i] == '$' && starts_with_ignoring_case(value.substr(i), marker.text);
    });
    if (found != markers.end()) {
      out += found->replacement;
      i += found->text.size();
    } else {
      out += value[i++];
    }
  }
  return out;
}

constexpr Marker kQuote{"$QUOTE$", "'"};
constexpr Marker kNewline{"$NEWLINE$", "\r\n"};

// The property made of lines [first, end): the name, then the value's lines.
std::optional<InstallerProperty> property_of(const std::vector<Line>& lines, std::size_t first, std::size_t end) {
  const Line& name = lines[first];
  if (name.text.empty() || name.text.size() > kMaxLineLength) return std::nullopt;
  std::string value;
  for (std::size_t i = first + 1; i < end; ++i) {
    if (lines[i].text.size() > kMaxLineLength) return std::nullopt;
    if (i > first + 1) value += lines[i - 1].ending;
    value += lines[i].text;
  }
  if (value.size() > kMaxLineLength) return std::nullopt;
  return InstallerProperty{std::string(name.text), decode_file_value(value)};
}

}  // namespace

std::vector<InstallerProperty> parse_installer_property_file(std::string_view text) {
  const std::vector<Line> lines = split_lines(text);
  std::vector<InstallerProperty> properties;
  const auto add = [&](std::size_t first, std::size_t end) {
    if (auto property = property_of(lines, first, end)) properties.push_back(std::move(*property));
  };
  std::size_t i = 0;
  while (i < lines.size()) {
    if (is_marker(lines[i])) {
      ++i;
      continue;
    }
    // The written form first: a value may itself read "$ex".
    if (i + 2 < lines.size() && is_marker(lines[i + 2])) {
      add(i, i + 2);
      i += 3;
      continue;
    }
    const auto marker = std::find_if(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1, lines.end(), is_marker);
    if (marker == lines.end()) {
      if (lines.size() - i == 2) add(i, i + 2);
      break;
    }
    const auto end = static_cast<std::size_t>(marker - lines.begin());
    add(i, end);
    i = end + 1;
  }
  return properties;
}

std::string decode_file_value(std::string_view value) { return replace_markers(value, {kNewline, kQuote}); }

std::string restore_quotes(std::string_view value) { return replace_markers(value, {kQuote}); }

bool holds_quote_marker(std::string_view value) {
  for (std::size_t i = value.find('$'); i != std::string_view::npos; i = value.find('$', i + 1))
    if (starts_with_ignoring_case(value.substr(i), kQuote.text)) return true;
  return false;
}

}  // namespace qm::actions
