#include "script/setup_package.h"

#include "script/script_error.h"

namespace qm {

std::string SetupPackage::field(std::string_view id, std::size_t n) const {
  for (const ParameterList& list : parameter_lists) {
    const std::size_t at = list.find(id, line_ids);
    if (at == ParameterList::npos) continue;
    // Records are not length-checked (each command reads only its own
    // fields), but nothing past the list's end is ever read.
    return at + n < list.size() ? std::string(list[at + n]) : std::string();
  }
  return {};
}

std::string SetupPackage::header(std::size_t line, HeaderLookup lookup) const {
  const auto found = header_of_line_.find(std::to_string(line));
  if (found != header_of_line_.end() && !found->second.empty()) return found->second;
  if (lookup == HeaderLookup::kRequired) throw ScriptError(std::string(kMissingHeaderMessage));
  return {};
}

// The header list holds pairs (header, line index). The line index is looked
// up among the second entries only, so that a header whose text happens to be
// a line number in decimal cannot be mistaken for one.
void SetupPackage::index_command_headers() {
  header_of_line_.clear();
  for (std::size_t i = 1; i < command_headers.size(); i += 2)
    header_of_line_.emplace(command_headers[i], command_headers[i - 1]);
}

}  // namespace qm
