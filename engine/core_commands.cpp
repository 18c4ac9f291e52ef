#include "engine/core_commands.h"

#include <algorithm>
#include <utility>

#include "engine/ansi_text.h"
#include "engine/command_registry.h"
#include "engine/condition.h"
#include "engine/engine.h"
#include "engine/ending_commands.h"
#include "engine/integer_text.h"
#include "engine/script_error.h"

namespace qm {

namespace {

constexpr std::string_view kKeepMarker = "$VRAK$VRAK$";

void do_nothing(Engine&, const ScriptLine&) {}

// "Set Variable" — field 1: $NAME$ or NAME, optionally followed by the keep
// marker and "TRUE" to keep the variable with the installed instance; field 2:
// the value, substituted (and translated when a language is chosen).
// Writes the variable (defining it when new); PROGRESS and PROGRESSTEXT
// update the progress display at once.
void set_variable(Engine& engine, const ScriptLine& line) {
  std::string value = engine.variables.expand(engine.field(line, 2));
  if (engine.translations.active()) {
    if (auto translation = engine.translations.localize(value, line.id, 1, engine.package.build_constants))
      value = engine.variables.expand(*translation);
  }

  std::string target = engine.field(line, 1);
  bool keep = false;
  if (const std::size_t marker = target.find(kKeepMarker); marker != std::string::npos) {
    keep = target.substr(marker + kKeepMarker.size()) == "TRUE";
    target.erase(marker);
  }
  std::string name = reference_name(target);
  if (name.empty()) name = target;

  if (!engine.variables.exists(name)) engine.variables.define(name, "", category::kSetVariable);
  engine.variables.set(name, value, category::kSetVariable);
  if (keep) engine.variables.keep(name);
  if (ascii_equal_ignore_case(name, "PROGRESS") || ascii_equal_ignore_case(name, "PROGRESSTEXT"))
    refresh_progress_display(engine);
}

// "If" — fields 1-4: the condition. Holds: the branch is entered; otherwise
// the lines up to the matching Else, Else If or End are skipped.
void if_command(Engine& engine, const ScriptLine& line) {
  if (condition(engine, line.index))
    ++engine.script.open_branches;
  else
    engine.script.skip = SkipMode::kFalseBranch;
}

// "Else If" — after a branch that ran, skips to the End; reached by skipping
// (or outside any branch), it is an "If".
void else_if_command(Engine& engine, const ScriptLine& line) {
  ScriptState& script = engine.script;
  const bool ends_skip = std::exchange(script.else_if_ends_skip, false);
  if (!ends_skip && script.open_branches > 0)
    script.skip = SkipMode::kDoneBranch;
  else
    if_command(engine, line);
}

// "Else" — reached in normal flow, a branch has run: skip to the End.
void else_command(Engine& engine, const ScriptLine&) { engine.script.skip = SkipMode::kDoneBranch; }

void end_command(Engine& engine, const ScriptLine&) {
  if (engine.script.open_branches > 0) --engine.script.open_branches;
}

void wizard_loop(Engine& engine, const ScriptLine&) {
  engine.script.wizard_active = true;
  engine.script.wizard_direction = WizardDirection::kForward;
}

// "GoTo Label" — field 1: the label. Execution goes on at the label; every
// open block and loop is left behind.
void goto_label(Engine& engine, const ScriptLine& line) {
  const std::string name = ansi_upper(engine.field(line, 1));
  for (const auto& [label, index] : engine.script.labels) {
    if (label != name) continue;
    engine.script.forget_blocks();
    engine.script.position = index;
    return;
  }
  throw ScriptError("LABEL undefined: " + engine.field(line, 1));
}

}  // namespace

void refresh_progress_display(Engine& engine) {
  if (engine.current_window == nullptr) return;
  const int position = parse_integer_text(engine.variables.get("PROGRESS")).value_or(0);
  engine.last_progress = {engine.variables.get("PROGRESSTEXT"), std::clamp(position, 0, 100)};
  engine.show_progress(engine.last_progress);
}

void register_core_commands(CommandRegistry& registry) {
  registry.add("Set Variable", set_variable);
  registry.add("Evaluate Expression", [](Engine& engine, const ScriptLine& line) {
    evaluate_expression_command(engine, line.index);
  });
  registry.add("If", if_command);
  registry.add("Else If", else_if_command);
  registry.add("Else", else_command);
  registry.add("End", end_command);
  registry.add("Wizard Loop", wizard_loop);
  registry.add("GoTo Label", goto_label);
  registry.add("Label", do_nothing);
  registry.add("Comment", do_nothing);
  registry.add("Ignore", do_nothing);
  register_ending_commands(registry);
}

}  // namespace qm
