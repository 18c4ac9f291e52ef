// Handlers of the catalogue's ending commands: "Terminate Install",
// "Terminate with Exit Code", "Reboot Computer" and "Reboot and Resume". The
// script ends normally after each of them.

#include "engine/engine.h"
#include "engine/resume_entry.h"
#include "script/integer_text.h"
#include "script/truth_text.h"

namespace qm {

void terminate_install_command(Engine& engine, const ScriptLine&) { engine.script.ended = true; }

// "Terminate with Exit Code" — field 1 (substituted): the process exit code.
void terminate_with_exit_code_command(Engine& engine, const ScriptLine& line) {
  const std::int32_t code = integer_text(engine.variables.expand(engine.field(line, 1)));
  engine.exit_code = static_cast<std::uint32_t>(code);
  engine.script.ended = true;
}

void reboot_computer_command(Engine& engine, const ScriptLine&) {
  engine.script.ended = true;
  engine.restart->request(RestartKind::kRestart);
}

// "Reboot and Resume" — registers the setup to start again after the
// restart (for all users when ALLUSERS is true), then restarts.
void reboot_and_resume_command(Engine& engine, const ScriptLine&) {
  write_resume_entry(engine, is_true(engine.variables.get("ALLUSERS")));
  engine.script.ended = true;
  engine.restart->request(RestartKind::kRestartAndResume);
}

}  // namespace qm
