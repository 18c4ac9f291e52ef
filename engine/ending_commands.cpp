#include "engine/ending_commands.h"

#include <windows.h>

#include "engine/command_registry.h"
#include "engine/engine.h"
#include "engine/integer_text.h"
#include "engine/truth_text.h"
#include "platform/registry.h"

namespace qm {

namespace {

constexpr const char* kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";

void terminate_install(Engine& engine, const ScriptLine&) { engine.script.ended = true; }

// "Terminate with Exit Code" — field 1 (substituted): the process exit code.
void terminate_with_exit_code(Engine& engine, const ScriptLine& line) {
  const std::int32_t code = integer_text(engine.variables.expand(engine.field(line, 1)));
  engine.exit_code = static_cast<std::uint32_t>(code);
  engine.script.ended = true;
}

void reboot_computer(Engine& engine, const ScriptLine&) {
  engine.script.ended = true;
  engine.request_restart(RestartKind::kRestart);
}

// "Reboot and Resume" — registers the setup to start again after the
// restart (for all users when ALLUSERS is true), then restarts.
void reboot_and_resume(Engine& engine, const ScriptLine&) {
  const HKEY root = is_true(engine.variables.get("ALLUSERS")) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  const auto key = platform::RegistryKey::create(root, kRunKey, KEY_SET_VALUE);
  key.write_string(resume_entry_name(engine.package.product_code), resume_command_line(engine));
  engine.script.ended = true;
  engine.request_restart(RestartKind::kRestartAndResume);
}

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

void delete_resume_entry(const std::string& product_code) {
  const std::string name = resume_entry_name(product_code);
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
    platform::RegistryKey::open(root, kRunKey, KEY_SET_VALUE).delete_value(name);
}

void register_ending_commands(CommandRegistry& registry) {
  registry.add("Terminate Install", terminate_install);
  registry.add("Terminate with Exit Code", terminate_with_exit_code);
  registry.add("Reboot Computer", reboot_computer);
  registry.add("Reboot and Resume", reboot_and_resume);
}

}  // namespace qm
