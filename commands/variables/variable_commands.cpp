// Handlers of the catalogue's [commands/variables] rows.

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "engine/progress.h"
#include "script/ansi_text.h"
#include "script/expression.h"

namespace qm {

// "Set Variable" — field 1: $NAME$ or NAME, optionally followed by the keep
// marker and "TRUE" to keep the variable with the installed instance; field 2:
// the value, substituted (and translated when a language is chosen).
// Writes the variable (defining it when new); PROGRESS and PROGRESSTEXT
// update the progress display at once.
void set_variable_command(Engine& engine, const ScriptLine& line) {
  std::string value = engine.variables.expand(engine.field(line, 2));
  if (engine.translations.active()) {
    const int offset = find_command_facts(line.command)->translation_offset(2);
    if (auto translation = engine.translations.localize(value, line.id, offset, engine.package.build_constants))
      value = engine.variables.expand(*translation);
  }

  const std::string target = engine.field(line, 1);
  const KeepMarkedName marked = split_keep_marker(target);
  std::string name = reference_name(marked.variable);
  if (name.empty()) name = marked.variable;

  if (!engine.variables.exists(name)) engine.variables.define(name, "", category::kSetVariable);
  engine.variables.set(name, value, category::kSetVariable);
  if (marked.keep) engine.variables.keep(name);
  if (ascii_equal_ignore_case(name, "PROGRESS") || ascii_equal_ignore_case(name, "PROGRESSTEXT"))
    publish_progress(engine, ProgressPush::kAlways);
}

// "Evaluate Expression" — field 1: the expression ($NAME$ references are
// substituted in quotes); field 2: the result variable, defined when new.
// Writes "TRUE", "FALSE" or "ERROR".
void evaluate_expression_command(Engine& engine, const ScriptLine& line) {
  static const std::string kCategory = category::of_command("Evaluate Expression");
  const std::string result_name = ansi_upper(engine.field(line, 2));
  if (!engine.variables.exists(result_name)) engine.variables.define(result_name, "", kCategory);
  const std::string expression = engine.variables.expand_quoted(engine.field(line, 1));
  engine.variables.set(result_name, evaluate_expression(expression), kCategory);
}

// "Localization Variable" — field 1: $NAME$ or NAME; field 2: the value,
// substituted. When a language is chosen, the value is replaced by the
// variable's own translation (keyed by the name as field 1 writes it) and
// substituted again. Defines the variable when new.
void localization_variable_command(Engine& engine, const ScriptLine& line) {
  static const std::string kCategory = category::of_command("Localization Variable");
  const std::string name = variable_reference_field(engine, line, 1);
  if (!engine.variables.exists(name)) engine.variables.define(name, "", kCategory);
  std::string value = expanded_field(engine, line, 2);
  if (engine.translations.active()) {
    std::string written = engine.field(line, 1);
    std::erase(written, '$');
    const std::string key = Translations::variable_key(written);
    if (auto translation = engine.translations.localize(value, key, 1, engine.package.build_constants))
      value = std::move(*translation);
    value = engine.variables.expand(value);
  }
  engine.variables.set(name, value, kCategory);
}

}  // namespace qm
