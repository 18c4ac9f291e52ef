#pragma once
// The script interpreter: walks the script line by line on the user-interface
// thread, keeps the conditional blocks, the wizard loop and jumps, refreshes
// the engine's settings from variables before each line, and hands each line
// to its command's handler or to a plug-in library.

#include <cstddef>
#include <string>

namespace qm {

struct Engine;

struct RunOutcome {
  bool failed = false;       // a run-time error ended the script
  std::size_t failed_line = 0;  // its number (index + 1)
  std::string error_report;     // the report as the user reads it
};

// Collects the "Label" lines (commented-out ones too) into the label table.
void build_label_table(Engine& engine);

// Runs the script from engine.script.position to its end. Run-time errors are
// reported (unless the run is silent) and end the script; they do not escape.
RunOutcome run_script(Engine& engine);

// What every end of the script does, normal or not.
void end_of_script_cleanup(Engine& engine);

// Whether a line is skipped everywhere: commented out, or an "Ignore" line.
bool is_inactive_line(const Engine& engine, std::size_t index);

}  // namespace qm
