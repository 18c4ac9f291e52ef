// Handlers of the catalogue's [commands/flow] rows: conditionals, the wizard
// loop, labels and jumps, comments and switched-off lines.

#include <utility>

#include "engine/engine.h"
#include "script/ansi_text.h"
#include "script/condition.h"
#include "script/script_error.h"

namespace qm {

namespace {

// The condition of an "If" or "Else If" line (fields 1 to 4). With a language
// chosen, the variable and the value may have translations, at the offsets
// the catalogue gives their fields.
bool line_condition_holds(const Engine& engine, const ScriptLine& line) {
  ConditionFields fields{engine.field(line, 1), engine.field(line, 2), engine.field(line, 3), engine.field(line, 4)};
  if (engine.translations.active()) {
    const CommandFacts& facts = *find_command_facts(line.command);
    const std::vector<std::string>& constants = engine.package.build_constants;
    for (auto [field, text] : {std::pair{1, &fields.variable}, std::pair{3, &fields.value}}) {
      if (auto translation = engine.translations.localize(*text, line.id, facts.translation_offset(field), constants))
        *text = std::move(*translation);
    }
  }
  return condition_holds(fields, engine.variables);
}

}  // namespace

// "If" — fields 1-4: the condition. Holds: the branch is entered; otherwise
// the lines up to the matching Else, Else If or End are skipped.
void if_command(Engine& engine, const ScriptLine& line) {
  if (line_condition_holds(engine, line))
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

// "End" — leaves the innermost open branch.
void end_command(Engine& engine, const ScriptLine&) {
  if (engine.script.open_branches > 0) --engine.script.open_branches;
}

// "Wizard Loop" — the dialogs up to its End are stepped through, forward first.
void wizard_loop_command(Engine& engine, const ScriptLine&) {
  engine.script.wizard_active = true;
  engine.script.wizard_direction = WizardDirection::kForward;
}

// "GoTo Label" — field 1: the label. Execution goes on at the label; every
// open block and loop is left behind.
void goto_label_command(Engine& engine, const ScriptLine& line) {
  const std::string name = ansi_upper(engine.field(line, 1));
  for (const Label& label : engine.script.labels) {
    if (label.name != name) continue;
    engine.script.forget_blocks();
    engine.script.position = label.line;
    return;
  }
  throw ScriptError("LABEL undefined: " + engine.field(line, 1));
}

// "Label", "Comment", "Ignore" — do nothing when reached.
void inert_line_command(Engine&, const ScriptLine&) {}

}  // namespace qm
