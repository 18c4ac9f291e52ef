#include "tests/support/script_text.h"

#include <string>
#include <vector>

namespace qm::test {

namespace {

constexpr const char* kDumpCommand = "Dump Variables";

std::string_view trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

std::vector<std::string> split_fields(std::string_view line) {
  std::vector<std::string> parts;
  for (;;) {
    const std::size_t bar = line.find('|');
    parts.emplace_back(trim(line.substr(0, bar)));
    if (bar == std::string_view::npos) return parts;
    line.remove_prefix(bar + 1);
  }
}

}  // namespace

PackageText script_package(std::string_view script) {
  PackageText package;
  package.add_line("Set Variable", {"RUN", ""});
  while (!script.empty()) {
    const std::size_t end = script.find('\n');
    std::string_view line = trim(script.substr(0, end));
    script.remove_prefix(end == std::string_view::npos ? script.size() : end + 1);
    if (line.empty()) continue;
    std::string state;
    if (line.front() == '#') {
      state = "C";
      line = trim(line.substr(1));
    }
    if (line.starts_with("mark ")) {
      package.add_line("Set Variable", {"RUN", "$RUN$" + std::string(line.substr(5))}, state);
      continue;
    }
    if (line == "dump" || line.starts_with("dump ")) {
      const std::string_view name = line == "dump" ? "variables" : line.substr(5);
      package.add_line(kDumpCommand, {"dump " + std::string(name) + ".txt", "test_plugin.dll"}, state);
      package.lines.back().media_folder = "dump\\";
      if (package.plugin_commands.empty()) package.plugin_commands.push_back(kDumpCommand);
      continue;
    }
    std::vector<std::string> parts = split_fields(line);
    std::string command = parts.front();
    parts.erase(parts.begin());
    if (parts.size() == 1 && parts[0].empty()) parts.clear();
    package.add_line(command, parts, state);
  }
  return package;
}

}  // namespace qm::test
