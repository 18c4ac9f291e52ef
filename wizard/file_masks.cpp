#include "wizard/file_masks.h"

#include <algorithm>

#include "script/ansi_text.h"

namespace qm {

namespace {

// The wildcard match proper: "*" takes any run, "?" one character; a
// failed attempt starts again after the last "*" seen, one character on.
bool wildcard_match(std::string_view name, std::string_view mask) {
  std::size_t n = 0;
  std::size_t m = 0;
  std::size_t star = std::string_view::npos;
  std::size_t resume = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      star = m++;
      resume = n;
    } else if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
      ++n;
      ++m;
    } else if (star != std::string_view::npos) {
      m = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

std::vector<std::string_view> pieces(std::string_view text, char separator) {
  std::vector<std::string_view> found;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find(separator, start), text.size());
    found.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return found;
}

}  // namespace

std::vector<std::string> split_masks(std::string_view masks) {
  std::vector<std::string> parts;
  for (std::string_view part : pieces(masks, ';')) {
    while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
    while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
    if (!part.empty()) parts.emplace_back(part);
  }
  if (parts.empty()) parts.emplace_back("*.*");
  return parts;
}

bool matches_mask(std::string_view name, std::string_view mask) {
  if (mask == "*" || mask == "*.*") return true;
  const std::string upper_name = ansi_upper(name);
  const std::string upper_mask = ansi_upper(mask);
  if (wildcard_match(upper_name, upper_mask)) return true;
  // A name without a dot is taken to end in one, so that "*." and "*.*"
  // reach it as they do on the command line.
  return upper_name.find('.') == std::string::npos && wildcard_match(upper_name + ".", upper_mask);
}

bool matches_any_mask(std::string_view name, const std::vector<std::string>& masks) {
  return std::any_of(masks.begin(), masks.end(), [&](const std::string& mask) { return matches_mask(name, mask); });
}

std::vector<FilterChoice> filter_choices(std::string_view filter) {
  std::vector<FilterChoice> choices;
  if (filter.empty()) return choices;
  const std::vector<std::string_view> parts = pieces(filter, '|');
  for (std::size_t i = 0; i < parts.size(); i += 2) {
    const std::string_view mask = i + 1 < parts.size() ? parts[i + 1] : std::string_view();
    if (parts[i].empty() && mask.empty()) continue;
    choices.push_back(FilterChoice{std::string(parts[i]), mask.empty() ? std::string("*.*") : std::string(mask)});
  }
  return choices;
}

}  // namespace qm
