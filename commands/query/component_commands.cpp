// Handlers of the catalogue's component rows: the script's side of the
// component model (engine/component_model.h). None of them reports a failure:
// a component that is not defined makes them do nothing, and the "Get"
// commands then report "FALSE" and 0.

#include <cstdint>
#include <string>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "script/byte_count.h"
#include "script/truth_text.h"

namespace qm {

namespace {

// A field naming a component (or, for "Define Component", describing one):
// substituted, and translated as the catalogue row says when a language is
// chosen.
std::string component_field(const Engine& engine, const ScriptLine& line, std::size_t n) {
  const int offset = find_command_facts(line.command)->translation_offset(static_cast<int>(n));
  return translated_field(engine, line, n, static_cast<std::size_t>(offset));
}

}  // namespace

// "Define Component" — field 1: the name; field 2 (truth): selected by
// default; field 3: the description. Defines the component, or redefines it
// keeping the state it has. With a language chosen, the translated name takes
// the size the package gives the untranslated one.
void define_component_command(Engine& engine, const ScriptLine& line) {
  ComponentModel& components = engine.components;
  const std::string name = component_field(engine, line, 1);
  const std::string description = component_field(engine, line, 3);
  if (engine.translations.active()) {
    const std::int64_t bytes = components.size(expanded_field(engine, line, 1));
    if (bytes != 0) components.sizes.insert(components.sizes.end(), {name, std::to_string(bytes)});
  }
  components.define(name, truth_field(engine, line, 2), description);
}

// "Delete Component" — field 1: the name. The component stays defined but
// counts as not selected until it is defined again.
void delete_component_command(Engine& engine, const ScriptLine& line) {
  engine.components.mark_deleted(component_field(engine, line, 1));
}

// "Get Component State" — field 1: the name; field 2: the result variable
// (nothing happens without one). Writes "TRUE" when the component is
// selected, else "FALSE".
void get_component_state_command(Engine& engine, const ScriptLine& line) {
  const std::string result = bare_variable_field(engine, line, 2);
  if (result.empty()) return;
  const bool selected = engine.components.is_selected(component_field(engine, line, 1));
  set_or_define_result(engine, line, result, to_truth_text(selected));
}

// "Set Component State" — field 1: the name; field 2 (truth): selected.
// Deleted and locked components change too: the lock only binds the user.
void set_component_state_command(Engine& engine, const ScriptLine& line) {
  engine.components.set_state(component_field(engine, line, 1), truth_field(engine, line, 2));
}

// "Get Component Space" — field 1: the name, or empty for the space the whole
// selection requires; field 2: the result variable (nothing happens without
// one). Writes the byte count in decimal.
void get_component_space_command(Engine& engine, const ScriptLine& line) {
  const std::string result = bare_variable_field(engine, line, 2);
  if (result.empty()) return;
  const ComponentModel& components = engine.components;
  const std::string name = component_field(engine, line, 1);
  std::int64_t bytes = 0;
  if (name.empty())
    bytes = components.required_space();
  else if (components.exists(name))
    bytes = components.size(name);
  set_or_define_result(engine, line, result, std::to_string(bytes));
}

// "Set Component Space" — field 1: the name; field 2: the size in bytes,
// substituted. A size that is not a 64-bit integer changes nothing.
void set_component_space_command(Engine& engine, const ScriptLine& line) {
  const auto bytes = parse_byte_count(expanded_field(engine, line, 2));
  if (bytes) engine.components.set_size(component_field(engine, line, 1), *bytes);
}

// "Set Component Choice" — field 1: the name; field 2 (truth): the user may
// change the component's selection.
void set_component_choice_command(Engine& engine, const ScriptLine& line) {
  const std::string name = component_field(engine, line, 1);
  if (truth_field(engine, line, 2))
    engine.components.unlock(name);
  else
    engine.components.lock(name);
}

// "Set Component Visibility" — field 1: the name; field 2 (truth): shown to
// the user.
void set_component_visibility_command(Engine& engine, const ScriptLine& line) {
  const std::string name = component_field(engine, line, 1);
  if (truth_field(engine, line, 2))
    engine.components.unhide(name);
  else
    engine.components.hide(name);
}

}  // namespace qm
