// Handlers of "MessageBox", "MessageBalloon" and "System Tray": the script
// talking to the user outside the wizard's pages. A silent run shows none of
// it.

#include <windows.h>

#include <algorithm>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "engine/tray.h"
#include "platform/messages.h"
#include "script/integer_text.h"

namespace qm {

namespace {

unsigned message_box_icon(std::int32_t number) {
  switch (number) {
    case 0: return MB_ICONINFORMATION;
    case 1: return MB_ICONQUESTION;
    case 2: return MB_ICONWARNING;
    case 3: return MB_ICONERROR;
    default: return 0;  // a plain box
  }
}

unsigned message_box_buttons(std::int32_t number) {
  switch (number) {
    case 0: return MB_ABORTRETRYIGNORE;
    case 2: return MB_OKCANCEL;
    case 3: return MB_RETRYCANCEL;
    case 4: return MB_YESNO;
    case 5: return MB_YESNOCANCEL;
    default: return MB_OK;
  }
}

// The answer as the script reads it; empty when no box could be shown.
const char* answer_text(int answer) {
  switch (answer) {
    case IDOK: return "OK";
    case IDCANCEL: return "CANCEL";
    case IDABORT: return "ABORT";
    case IDRETRY: return "RETRY";
    case IDIGNORE: return "IGNORE";
    case IDYES: return "YES";
    case IDNO: return "NO";
    default: return "";
  }
}

BalloonKind balloon_kind(std::int32_t number) {
  switch (number) {
    case 1: return BalloonKind::kWarning;
    case 2: return BalloonKind::kError;
    default: return BalloonKind::kInformation;
  }
}

// The "System Tray" fields are compared with exactly "TRUE".
bool exactly_true(const Engine& engine, const ScriptLine& line, std::size_t n) { return engine.field(line, n) == "TRUE"; }

}  // namespace

// "MessageBox" — field 1: title, field 2: text (both substituted and
// translated); field 3: icon 0-3; field 4: buttons 0-5; field 5: the variable
// for the answer ("OK", "CANCEL", "ABORT", "RETRY", "IGNORE", "YES", "NO"),
// may be empty. Owned by the current dialog window.
void message_box_command(Engine& engine, const ScriptLine& line) {
  const std::string title = translated_field(engine, line, 1, 1);
  const std::string text = translated_field(engine, line, 2, 2);
  const unsigned icon = message_box_icon(integer_text(engine.field(line, 3)));
  const unsigned buttons = message_box_buttons(integer_text(engine.field(line, 4)));
  if (engine.silent()) return;
  const int answer = platform::show_message_box(text, title, icon | buttons, engine.current_window);
  const std::string result = bare_variable_field(engine, line, 5);
  if (!result.empty()) set_or_define_result(engine, line, result, answer_text(answer));
}

// "MessageBalloon" — field 1: title, field 2: text (substituted and
// translated); field 3: icon 0 information, 1 warning, 2 error; field 4: how
// many seconds it stays (10 to 30). Shows the tray icon with its balloon.
void message_balloon_command(Engine& engine, const ScriptLine& line) {
  const std::string title = translated_field(engine, line, 1, 1);
  const std::string text = translated_field(engine, line, 2, 2);
  const BalloonKind kind = balloon_kind(integer_text(engine.field(line, 3)));
  const std::int32_t seconds = std::clamp(integer_text(engine.field(line, 4)), 10, 30);
  if (engine.silent()) return;
  show_tray_balloon(engine, title, text, kind, static_cast<unsigned>(seconds));
}

// "System Tray" — each field exactly "TRUE" or not, acted on in order:
// 1 hide the wizard to the tray, 2 show the tray icon, 3 restore the wizard,
// 4 remove the tray icon and restore the wizard.
void system_tray_command(Engine& engine, const ScriptLine& line) {
  if (exactly_true(engine, line, 1)) {
    if (!engine.silent()) show_tray_icon(engine);
    hide_to_tray(engine);
  }
  if (exactly_true(engine, line, 2) && !engine.silent()) show_tray_icon(engine);
  if (exactly_true(engine, line, 3)) restore_from_tray(engine);
  if (exactly_true(engine, line, 4)) {
    remove_tray_icon(engine);
    restore_from_tray(engine);
  }
}

}  // namespace qm
