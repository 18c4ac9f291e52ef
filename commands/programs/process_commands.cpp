// Handlers of the catalogue's rows that look at running programs and close
// them: "Check Process" and "Terminate Program".

#include <windows.h>

#include <tlhelp32.h>

#include <string>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "platform/unique_resource.h"
#include "script/ansi_text.h"
#include "script/path_text.h"

namespace qm {

namespace {

// Whether a running process's executable file is called `name` (no folder;
// compared without regard to ASCII case).
bool process_is_running(const std::string& name) {
  const platform::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
    if (ascii_equal_ignore_case(file_name_of(entry.szExeFile), name)) return true;
  }
  return false;
}

std::string window_class_of(HWND window) {
  char text[260] = {};
  GetClassNameA(window, text, sizeof text);
  return text;
}

std::string window_title_of(HWND window) {
  char text[260] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// The first top-level window, in Z order, whose title contains `title` and
// whose class name contains `class_name` (an empty text is in every one).
HWND first_matching_window(const std::string& title, const std::string& class_name) {
  for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window != nullptr;
       window = GetWindow(window, GW_HWNDNEXT)) {
    if (window_class_of(window).find(class_name) == std::string::npos) continue;
    if (window_title_of(window).find(title) == std::string::npos) continue;
    return window;
  }
  return nullptr;
}

}  // namespace

// "Check Process" — field 1 (substituted): an executable's file name without
// folder; field 2: the result variable. "TRUE" when a running process has
// that file name.
void check_process_command(Engine& engine, const ScriptLine& line) {
  const std::string name = expanded_field(engine, line, 1);
  // A name with a folder never equals a file name; an empty one neither.
  const bool running = !name.empty() && process_is_running(name);
  set_or_define_result(engine, line, bare_variable_field(engine, line, 2), running ? "TRUE" : "FALSE");
}

// "Terminate Program" — field 1: text in a window's title; field 2: text in
// its class name (both substituted and normalized, case-sensitive). Asks the
// first matching top-level window to close, in ten rounds: a window that
// takes its time may be asked again, and one that closes makes way for the
// next match.
void terminate_program_command(Engine& engine, const ScriptLine& line) {
  for (int round = 0; round < 10; ++round) {
    const std::string title = normalized_field(engine, line, 1);
    const std::string class_name = normalized_field(engine, line, 2);
    if (title.empty() && class_name.empty()) continue;
    if (HWND window = first_matching_window(title, class_name)) {
      PostMessageA(window, WM_CANCELMODE, 0, 0);
      PostMessageA(window, WM_CLOSE, 0, 0);
    }
  }
}

}  // namespace qm
