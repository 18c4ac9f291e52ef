#include "engine/resume_entry.h"

#include <windows.h>

#include "engine/engine.h"
#include "platform/registry.h"

namespace qm {

namespace {

constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";

}  // namespace

std::string resume_entry_name(const std::string& product_code) {
  return product_code.size() > 1 ? product_code.substr(1, 8) : std::string();
}

std::string resume_command_line(const Engine& engine) {
  std::string program = engine.startup.setup_file.empty() ? engine.startup.engine_path : engine.startup.setup_file;
  // Quoted, so that a path with blanks cannot be read as a shorter program
  // path followed by arguments.
  if (program.find(' ') != std::string::npos) program = '"' + program + '"';
  if (!engine.startup.command_line_remainder.empty()) program += ' ' + engine.startup.command_line_remainder;
  return program;
}

bool write_resume_entry(const Engine& engine, bool all_users) {
  const auto key = platform::RegistryKey::create(all_users ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, kRunKey,
                                                 KEY_SET_VALUE);
  return key.write_string(resume_entry_name(engine.package.product_code), resume_command_line(engine));
}

void delete_resume_entry(const std::string& product_code) {
  const std::string name = resume_entry_name(product_code);
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
    platform::RegistryKey::open(root, kRunKey, KEY_SET_VALUE).delete_value(name);
}

}  // namespace qm
