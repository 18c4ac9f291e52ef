// Handlers of the catalogue's [wizard] rows: "Display Dialog" and "Hide
// Dialog". The pages themselves are the user interface's (wizard/wizard.h).

#include "engine/engine.h"
#include "script/ansi_text.h"
#include "script/truth_text.h"

namespace qm {

namespace {

// The text the script reads for a page's result.
std::string result_text(const DialogOutcome& outcome) {
  switch (outcome.result) {
    case 0: return "NOTMODAL";
    case 2: return "CANCEL";
    case 7: return "BACK";
    case 8: return ansi_upper(outcome.custom);
    default: return "NEXT";
  }
}

void publish_window(Engine& engine, void* window, std::string_view category) {
  engine.current_window = window;
  engine.variables.define("WINDOWHANDLE", std::to_string(reinterpret_cast<std::uintptr_t>(window)), category);
}

}  // namespace

// "Display Dialog" — field 1: the page (loaded at start); field 2: the
// variable for its result (may be empty); field 3: truth: wait for the user;
// field 4: a condition variable ($NAME$ or NAME, may be empty) and field 6:
// the truth that skips the page when the variable has it. Inside a wizard
// loop every page waits, and its result steers the loop.
void display_dialog_command(Engine& engine, const ScriptLine& line) {
  const std::string condition = engine.field(line, 4);
  if (!condition.empty()) {
    std::string name = reference_name(condition);
    if (name.empty()) name = condition;
    if (is_true(engine.variables.get(name)) == is_true(engine.field(line, 6))) return;
  }
  const bool modal = engine.script.wizard_active || is_true(engine.field(line, 3));
  DialogOutcome outcome = engine.user_interface->show_dialog(engine, line.index, modal);
  if (modal || outcome.window == nullptr) {
    publish_window(engine, nullptr, "Display Dialog");
  } else {
    publish_window(engine, outcome.window, "Display Dialog");
    outcome.result = 0;
  }
  const std::string text = result_text(outcome);
  const std::string result = ansi_upper(engine.field(line, 2));
  if (!result.empty()) {
    static const std::string kCategory = category::of_command("Display Dialog");
    if (!engine.variables.exists(result)) engine.variables.define(result, "", kCategory);
    engine.variables.set(result, text, kCategory);
  }
  engine.script.follow_dialog_result(text);
}

// "Hide Dialog": the page shown without waiting goes.
void hide_dialog_command(Engine& engine, const ScriptLine&) {
  engine.user_interface->hide_dialog(engine);
  publish_window(engine, nullptr, "Hide Dialog");
}

}  // namespace qm
