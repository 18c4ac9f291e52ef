#include "engine/interpreter.h"

#include <windows.h>

#include <optional>

#include "engine/engine.h"
#include "engine/error_text.h"
#include "engine/localization.h"
#include "engine/progress.h"
#include "engine/run_values.h"
#include "engine/tray.h"
#include "platform/messages.h"
#include "script/truth_text.h"

namespace qm {

namespace {

// Window messages are handled every this many lines, so that a long script
// without dialogs keeps the window responsive.
constexpr std::size_t kMessageInterval = 314;

std::string_view command_at(const Engine& engine, std::size_t index) { return engine.package.command(index); }

bool is_active(const Engine& engine, std::size_t index, std::string_view command) {
  return command_at(engine, index) == command && !is_inactive_line(engine, index);
}

// --- settings taken from variables before every line

void refresh_settings(Engine& engine) {
  VariableStore& variables = engine.variables;
  engine.trace.set_path(variables.get("LOGGED"));
  engine.set_silent(is_true(variables.get("SILENT")));
  engine.caption_title = variables.get("TITLE");
  engine.caption_title_only = variables.get("VRAKLOGO") == "TRUE";
  define_clock_variables(engine);
  refresh_language(engine);
  refresh_cache_variables(engine);
}

void publish_cancel_state(Engine& engine) {
  engine.variables.set("ABORT", to_truth_text(engine.cancel_requested.load()), category::kCancelState);
}

void publish_changed_progress(Engine& engine) {
  if (publish_progress(engine, ProgressPush::kWhenChanged)) engine.user_interface->process_messages();
}

// --- scanning for the end of a block

enum class BranchEnd { kElse, kElseIf, kEnd };

struct BranchStop {
  std::size_t index;
  BranchEnd kind;
};

// From `from` on, the first active Else, Else If or End at nesting level 0;
// with `end_only`, the matching End.
std::optional<BranchStop> scan_block(const Engine& engine, std::size_t from, bool end_only) {
  int level = 0;
  for (std::size_t i = from; i < engine.package.line_count(); ++i) {
    if (is_inactive_line(engine, i)) continue;
    const std::string_view command = command_at(engine, i);
    if (command == "If" || command == "Wizard Loop") {
      ++level;
    } else if (command == "End") {
      if (level == 0) return BranchStop{i, BranchEnd::kEnd};
      --level;
    } else if (!end_only && level == 0 && command == "Else") {
      return BranchStop{i, BranchEnd::kElse};
    } else if (!end_only && level == 0 && command == "Else If") {
      return BranchStop{i, BranchEnd::kElseIf};
    }
  }
  return std::nullopt;
}

std::size_t first_active_end(const Engine& engine, std::size_t from) {
  for (std::size_t i = from; i < engine.package.line_count(); ++i)
    if (is_active(engine, i, "End")) return i;
  return engine.package.line_count();
}

void leave_skip_mode(Engine& engine) {
  ScriptState& script = engine.script;
  const SkipMode mode = std::exchange(script.skip, SkipMode::kNone);
  if (mode == SkipMode::kNone) return;
  const auto stop = scan_block(engine, script.position, mode == SkipMode::kDoneBranch);
  if (!stop) {
    script.position = engine.package.line_count();  // the script ends inside the block
    return;
  }
  switch (stop->kind) {
    case BranchEnd::kElse:
      ++script.open_branches;
      script.position = stop->index + 1;
      break;
    case BranchEnd::kElseIf:
      script.else_if_ends_skip = true;
      script.position = stop->index;  // read next, and its condition evaluated
      break;
    case BranchEnd::kEnd:
      if (mode == SkipMode::kDoneBranch && script.open_branches > 0) --script.open_branches;
      script.position = stop->index + 1;
      break;
  }
}

void leave_wizard_loop(Engine& engine, std::size_t from) {
  engine.script.wizard_active = false;
  engine.script.position = first_active_end(engine, from) + 1;
}

// One step of an active wizard loop: the next "Display Dialog" to show in the
// current direction, or nothing when the loop ended (the position then stands
// after the loop's End).
std::optional<std::size_t> wizard_step(Engine& engine) {
  ScriptState& script = engine.script;
  const std::size_t count = engine.package.line_count();
  const std::size_t current = script.current_index();

  if (script.wizard_direction == WizardDirection::kLeave) {
    leave_wizard_loop(engine, current + 1);
    return std::nullopt;
  }
  const bool forward = script.wizard_direction == WizardDirection::kForward;
  for (std::size_t i = current; forward ? i + 1 < count : i > 0;) {
    i = forward ? i + 1 : i - 1;
    if (is_inactive_line(engine, i)) continue;
    const std::string_view command = command_at(engine, i);
    if (command == "Display Dialog") {
      script.position = i + 1;
      return i;
    }
    if (command == "End" && forward) {
      script.wizard_active = false;
      script.position = i + 1;
      return std::nullopt;
    }
    if (command == "Wizard Loop" || command == "End") {
      // Back past the first dialog (or into another loop): the loop is over.
      leave_wizard_loop(engine, i + 1);
      return std::nullopt;
    }
  }
  script.wizard_active = false;
  script.position = count;
  return std::nullopt;
}

// The line to run next, or nothing at the end of the script.
std::optional<std::size_t> next_line(Engine& engine) {
  ScriptState& script = engine.script;
  leave_skip_mode(engine);
  if (script.wizard_active) {
    if (auto dialog = wizard_step(engine)) return dialog;
  }
  if (script.position >= engine.package.line_count()) return std::nullopt;
  return script.position++;
}

void dispatch(Engine& engine, std::size_t index) {
  const ScriptLine line{index, std::string(command_at(engine, index)), std::string(engine.package.line_id(index))};
  // A line whose files travel in a web media block finds them present.
  const std::string_view media_folder = engine.package.line_media_folders[index];
  if (engine.package.build_kind == kWebMediaBuild && !media_folder.empty())
    engine.media->fetch_block(engine, std::string(media_folder));
  if (engine.package.plugin_commands.contains(line.command)) {
    if (const CommandHandler& plugin = engine.commands.plugin_handler()) plugin(engine, line);
    return;
  }
  if (const CommandHandler* handler = engine.commands.find(line.command)) (*handler)(engine, line);
  // Any other name (the build's structural lines, for one) does nothing.
}

std::string error_report(Engine& engine, std::size_t line_number, const std::exception& error) {
  return engine.messages.text(message::kScriptErrorHeading) + "\r\rLine " + std::to_string(line_number) + ": " +
         user_text_of(engine, error);
}

}  // namespace

bool is_inactive_line(const Engine& engine, std::size_t index) {
  return engine.package.is_commented_out(index) || command_at(engine, index) == "Ignore";
}

void build_label_table(Engine& engine) { engine.script.labels = collect_labels(engine.package); }

void end_of_script_cleanup(Engine& engine) {
  engine.script.labels.clear();
  engine.script.forget_blocks();
  remove_tray_icon(engine);
}

RunOutcome run_script(Engine& engine) {
  ScriptState& script = engine.script;
  RunOutcome outcome;
  try {
    while (script.position < engine.package.line_count() && !script.ended) {
      if (script.position % kMessageInterval == 0) engine.user_interface->process_messages();
      refresh_settings(engine);
      const std::optional<std::size_t> index = next_line(engine);
      if (!index) break;
      if (is_inactive_line(engine, *index)) continue;
      publish_cancel_state(engine);
      publish_changed_progress(engine);
      dispatch(engine, *index);
    }
  } catch (const std::exception& error) {
    outcome.failed = true;
    outcome.failed_line = script.position;
    outcome.error_report = error_report(engine, script.position, error);
    if (!engine.silent())
      platform::show_message_box(outcome.error_report, engine.caption(), MB_OK | MB_ICONERROR);
    end_of_script_cleanup(engine);
    return outcome;
  }
  engine.trace.write("    </vrak>");
  engine.trace.write("    <ExitScript>");
  end_of_script_cleanup(engine);
  engine.trace.write("    </ExitScript>");
  return outcome;
}

}  // namespace qm
