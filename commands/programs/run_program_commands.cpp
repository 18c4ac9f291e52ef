// Handlers of the catalogue's rows that run programs: "Run Program" (the
// shell's way: programs, documents with their program) and "Run Program As"
// (a program with its window state, working folder and environment, as the
// current user or another account). The program starts, and is waited for,
// on a program thread while the wizard stays alive.

#include <windows.h>

#include <string>

#include "engine/command_parameters.h"
#include "commands/programs/run_as.h"
#include "engine/engine.h"
#include "engine/program_thread.h"
#include "platform/program_runner.h"
#include "platform/working_folder.h"
#include "script/integer_text.h"

namespace qm {

namespace {

void write_exit_code(Engine& engine, const ScriptLine& line, std::size_t field, std::int32_t code) {
  const std::string variable = bare_variable_field(engine, line, field);
  if (!variable.empty()) set_or_define_result(engine, line, variable, std::to_string(code));
}

}  // namespace

// "Run Program" — field 1: the program (or a document); 2: truth, hidden;
// 3: its parameters; 4: truth, wait for its end; 5: a variable for the exit
// code (-1 when it could not start, 259 while it still runs).
void run_program_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  platform::ShellProgram start;
  start.program = normalized_field(engine, line, 1);
  start.show = !truth_field(engine, line, 2);
  start.parameters = normalized_field(engine, line, 3);
  start.wait = truth_field(engine, line, 4);
  std::int32_t exit_code = -1;
  run_on_program_thread(engine, [&](const std::atomic<bool>& stop) {
    // Redirection is a thread's own: the program thread needs it too.
    const RedirectionGuard thread_guard(engine);
    exit_code = platform::run_with_shell(start, &stop);
  });
  write_exit_code(engine, line, 5, exit_code);
}

// "Run Program As" — field 1: the program; 2: its working folder; 3: its
// parameters; 4: integer, its window state (0 shown, 1 hidden, 2 maximised,
// 3 minimised, 4 minimised without the focus); 5, 6, 7: the account's name,
// password and domain (no name: the current user); 8: a variable for the
// exit code or the negative code of a failed start; 9: truth, wait for its
// end; 10: its environment, NAME=value lines (empty: the engine's own).
void run_program_as_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  RunAsRequest request;
  request.program = normalized_field(engine, line, 1);
  const std::string working_folder = normalized_field(engine, line, 2);
  request.parameters = normalized_field(engine, line, 3);
  request.show = show_state_of(integer_text(engine.field(line, 4)));
  request.user = normalized_field(engine, line, 5);
  request.password = normalized_field(engine, line, 6);
  request.domain = normalized_field(engine, line, 7);
  request.wait = truth_field(engine, line, 9);
  request.environment = normalized_field(engine, line, 10);
  std::int32_t code = -11;
  {
    // The program starts in the working folder: the engine's own moves there meanwhile.
    const platform::WorkingFolderScope folder(working_folder);
    run_on_program_thread(engine, [&](const std::atomic<bool>& stop) {
      const RedirectionGuard thread_guard(engine);
      code = run_as(request, &stop);
    });
  }
  write_exit_code(engine, line, 8, code);
}

}  // namespace qm
