#include "script/translations.h"

#include "script/ansi_text.h"
#include "script/build_constants.h"

namespace qm {

std::string Translations::variable_key(std::string_view name) {
  return "TOVRANEX$" + std::string(name) + "$TOVRANEX";
}

std::vector<std::string> Translations::file_lines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

std::optional<std::string> Translations::localize(std::string_view text, std::string_view key, std::size_t offset,
                                                  const std::vector<std::string>& constants) const {
  const bool variables_only = ascii_equal_ignore_case(mode, "VARSONLY");
  if (variables_only &&
      (key.find("TOVRANEX$") == std::string_view::npos || key.find("$TOVRANEX") == std::string_view::npos))
    return std::nullopt;

  std::size_t first = keys.size();
  for (std::size_t k = 0; k < keys.size(); ++k)
    if (ascii_equal_ignore_case(keys[k], key)) {
      first = k;
      break;
    }
  if (first == keys.size() || offset == 0) return std::nullopt;
  const std::size_t entry = first + offset - 1;
  if (entry >= translated.size()) return std::nullopt;
  if (ascii_equal_ignore_case(mode, "NEWONLY") && (entry >= sources.size() || sources[entry] != text))
    return std::nullopt;
  return substitute_constants(translated[entry], constants);
}

}  // namespace qm
