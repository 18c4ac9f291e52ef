#include "wizard/binding_texts.h"

#include "platform/file_system.h"
#include "script/ansi_text.h"
#include "script/path_text.h"

namespace qm {

std::string substituted(const Engine& engine, const std::string& text) {
  try {
    return engine.variables.expand(text);
  } catch (const std::exception&) {
    return text;
  }
}

std::optional<std::string> hint_value(const Engine& engine, const Control& control) {
  const std::string name = control.hint();
  if (name.empty() || !engine.variables.exists(name)) return std::nullopt;
  return substituted(engine, engine.variables.get(name));
}

void write_hint_variable(Engine& engine, const Control& control, const std::string& value, const char* handler) {
  const std::string name = ansi_upper(control.hint());
  if (!name.empty()) engine.variables.define(name, value, handler);
}

std::string target_text(const Engine& engine) {
  if (!engine.variables.exists("TARGETDIR")) return "";
  return normalize_path_text(substituted(engine, engine.variables.get("TARGETDIR")));
}

std::string nearest_existing_target(const Engine& engine) {
  std::string folder = target_text(engine);
  while (!folder.empty() && !platform::folder_exists(folder)) {
    std::string trimmed = folder;
    while (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
    std::string parent = with_trailing_backslash(folder_of(trimmed));
    if (parent == folder || parent == "\\") break;
    folder = std::move(parent);
  }
  return folder;
}

}  // namespace qm
