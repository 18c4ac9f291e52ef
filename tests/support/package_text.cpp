#include "tests/support/package_text.h"

#include <cstdio>

namespace qm::test {

namespace {

void add(std::string& out, const std::string& line) {
  out += line;
  out += "\r\n";
}

void add_list(std::string& out, const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) add(out, entry);
  add(out, "$");
}

}  // namespace

std::string PackageText::line_id(std::size_t index) {
  char id[40];
  std::snprintf(id, sizeof id, "{00000000-0000-0000-0000-%012u}", static_cast<unsigned>(index));
  return id;
}

std::string PackageText::add_line(std::string command, std::vector<std::string> fields, std::string state) {
  lines.push_back({std::move(command), std::move(fields), std::move(state), {}});
  return line_id(lines.size() - 1);
}

std::string PackageText::text() const {
  std::string out;
  std::vector<std::string> commands, ids, parameters, states, folders;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    commands.push_back(lines[i].command);
    ids.push_back(line_id(i));
    if (!lines[i].fields.empty()) {
      parameters.push_back(line_id(i));
      parameters.insert(parameters.end(), lines[i].fields.begin(), lines[i].fields.end());
    }
    states.push_back(lines[i].state);
    folders.push_back(lines[i].media_folder);
  }
  add_list(out, commands);
  add_list(out, ids);
  add_list(out, parameters);
  add_list(out, states);
  add(out, product_code);
  add(out, product_title);
  add_list(out, plugin_commands);
  for (const std::string& line : publisher_lines) add(out, line);
  add_list(out, web_media_secrets);
  add_list(out, folders);
  add(out, build_kind);
  add_list(out, component_sizes);
  add(out, revision_code);
  add_list(out, media_files);
  add(out, language_dialog);
  add(out, default_language);
  add_list(out, command_headers);
  add_list(out, build_constants);
  return out;
}

}  // namespace qm::test
