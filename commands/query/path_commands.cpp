// Handlers of the catalogue's path rows: "Convert Path" and "Extract Path".

#include <windows.h>

#include <optional>
#include <string>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "platform/file_system.h"
#include "script/integer_text.h"
#include "script/path_operations.h"
#include "script/path_text.h"

namespace qm {

namespace {

// A variable's value as a path: substituted, then normalized.
std::string path_value(const Engine& engine, const std::string& name) {
  return normalize_path_text(engine.variables.expand(engine.variables.get(name)));
}

std::optional<std::string> long_name_on_disk(const std::string& path) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  FindClose(search);
  return std::string(found.cFileName);
}

}  // namespace

// "Convert Path" — field 1: a variable that must exist, holding a path;
// field 2: true for the short (8.3) form, false for the long form. Sets the
// variable to the converted path: "" when no short form is found; the long
// form converts each element that exists and never ends in a backslash.
void convert_path_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  const std::string name = bare_variable_field(engine, line, 1);
  const std::string path = path_value(engine, name);
  set_result(engine, line, name,
             truth_field(engine, line, 2) ? platform::short_path_form(path) : long_path_form(path, long_name_on_disk));
}

// "Extract Path" — field 1: a variable that must exist, holding a path;
// field 2: the operation (script/path_operations.h). Sets the variable to
// the part of its path that the operation takes.
void extract_path_command(Engine& engine, const ScriptLine& line) {
  const std::string name = bare_variable_field(engine, line, 1);
  const std::string path = path_value(engine, name);
  set_result(engine, line, name, extract_path(path, integer_text(engine.field(line, 2))));
}

}  // namespace qm
