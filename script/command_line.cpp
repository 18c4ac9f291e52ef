#include "script/command_line.h"

#include <algorithm>
#include <initializer_list>

#include "script/ansi_text.h"

namespace qm {

namespace {

std::string remainder_of(std::string_view raw) {
  if (!raw.empty() && raw.front() == '"') {
    const std::size_t closing = raw.find('"', 1);
    if (closing == std::string_view::npos) return {};
    return std::string(raw.substr(std::min(raw.size(), closing + 2)));
  }
  const std::size_t blank = raw.find(' ');
  return blank == std::string_view::npos ? std::string() : std::string(raw.substr(blank + 1));
}

bool is_switch(std::string_view parameter, std::string_view name) {
  if (parameter.empty() || (parameter.front() != '/' && parameter.front() != '-')) return false;
  return ascii_equal_ignore_case(parameter.substr(1), name);
}

std::string lower(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return result;
}

// The first parameter containing one of the switch texts, lower-cased,
// without its first three characters.
std::string switch_value(const std::vector<std::string>& parameters, std::initializer_list<std::string_view> texts) {
  for (const std::string& parameter : parameters) {
    const std::string lowered = lower(parameter);
    for (std::string_view text : texts)
      if (lowered.find(text) != std::string::npos) return lowered.size() > 3 ? lowered.substr(3) : std::string();
  }
  return {};
}

}  // namespace

CommandLine parse_command_line(std::string_view raw, const std::vector<std::string>& parameters) {
  CommandLine line;
  line.remainder = remainder_of(raw);
  for (const std::string& parameter : parameters) {
    if (is_switch(parameter, "s") || is_switch(parameter, "qn")) line.silent = true;
    if (is_switch(parameter, "update") || is_switch(parameter, "updatesetup")) line.no_splash = true;
    const std::size_t equals = parameter.find('=');
    if (!parameter.empty() && parameter.front() != '/' && parameter.front() != '-' && equals != std::string::npos)
      line.overrides.push_back({ansi_upper(parameter.substr(0, equals)), parameter.substr(equals + 1)});
  }
  line.group_policy_path = switch_value(parameters, {"/g="});
  line.setup_file = switch_value(parameters, {"/m="});
  line.trace_file = switch_value(parameters, {"/l=", "-l="});
  line.source_folder = switch_value(parameters, {"/p=", "-p="});
  return line;
}

}  // namespace qm
