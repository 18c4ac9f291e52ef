// Handlers of the commands that look at a file or folder in place: "Does
// File/Folder Exist" and "Get INI File Settings".

#include <windows.h>

#include <string>

#include "engine/command_parameters.h"
#include "engine/engine.h"

namespace qm {

namespace {

// What GetPrivateProfileStringA is given; a longer value comes back cut to
// one character less.
constexpr DWORD kIniValueBufferSize = 260;

// Variable 1 of a line, defined empty before the command reads anything.
std::string result_variable(Engine& engine, const ScriptLine& line) {
  std::string variable = bare_variable_field(engine, line, 1);
  if (!engine.variables.exists(variable)) set_or_define_result(engine, line, variable, "");
  return variable;
}

}  // namespace

// "Does File/Folder Exist" — field 1: bare variable (defined empty when
// missing); field 2: the path; field 3, truth: ask for a file (false: for a
// folder). Sets variable 1 to "TRUE" when the path names one of that kind.
void does_file_folder_exist_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  const std::string variable = result_variable(engine, line);
  const DWORD attributes = GetFileAttributesA(normalized_field(engine, line, 2).c_str());
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES && folder != truth_field(engine, line, 3);
  set_result(engine, line, variable, exists ? "TRUE" : "FALSE");
}

// "Get INI File Settings" — field 1: bare variable (defined empty when
// missing); field 2: the INI file; field 3: section; field 4: key. Sets
// variable 1 to the value, or to the empty text when the file, section or key
// is missing or either name is empty (the file is then not read at all).
void get_ini_file_settings_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  const std::string variable = result_variable(engine, line);
  const std::string file = normalized_field(engine, line, 2);
  const std::string section = normalized_field(engine, line, 3);
  const std::string key = normalized_field(engine, line, 4);
  std::string value;
  if (!section.empty() && !key.empty()) {
    char buffer[kIniValueBufferSize] = {};
    const DWORD length =
        GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, kIniValueBufferSize, file.c_str());
    value.assign(buffer, length);
  }
  set_result(engine, line, variable, value);
}

}  // namespace qm
