// Handlers of the catalogue's rows that take a value from the machine:
// "Get Temporary File" and "Get Environment".

#include <windows.h>

#include <string>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "script/truth_text.h"

namespace qm {

namespace {

// Windows expands at most 32K characters, so this first size is never too
// small in practice; a larger answer is still honoured below.
constexpr DWORD kEnvironmentBufferSize = 266240;

// The text with %NAME% references expanded, or "" when Windows cannot.
std::string expand_environment_text(const std::string& text) {
  std::string buffer(kEnvironmentBufferSize, '\0');
  // A longer expansion is read again into the size Windows asks for, never
  // cut; the environment may grow in between, so the answer is checked again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (needed == 0) return {};
    if (needed <= buffer.size()) return std::string(buffer.c_str());
    buffer.assign(needed, '\0');
  }
  return {};
}

// Every NAME=VALUE entry of the process environment, joined by "$NEWLINE$".
std::string environment_block_text() {
  char* const block = GetEnvironmentStringsA();
  if (block == nullptr) return {};
  std::string joined;
  for (const char* entry = block; *entry != '\0'; entry += std::char_traits<char>::length(entry) + 1) {
    if (entry != block) joined += kNewlineMarker;
    joined += entry;
  }
  FreeEnvironmentStringsA(block);
  return joined;
}

}  // namespace

// "Get Temporary File" — field 1: $NAME$ or NAME of the result variable.
// Creates a new empty file "qvx<hex>.tmp" in the temporary folder the engine
// started with and writes its path ("" when Windows can make none).
void get_temporary_file_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  char path[MAX_PATH] = {};
  const bool created = GetTempFileNameA(engine.startup.temp_folder.c_str(), "qvx", 0, path) != 0;
  set_or_define_result(engine, line, variable_reference_field(engine, line, 1), created ? path : "");
}

// "Get Environment" — field 1 (substituted): the name of an environment
// variable, or empty for the whole environment; field 2: $NAME$ or NAME of
// the result variable. Writes the environment variable's value (%NAME% as
// written when it is not set), or every NAME=VALUE entry joined by
// "$NEWLINE$".
void get_environment_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  const std::string name = expanded_field(engine, line, 1);
  const std::string value = name.empty() ? environment_block_text() : expand_environment_text("%" + name + "%");
  set_or_define_result(engine, line, variable_reference_field(engine, line, 2), value);
}

}  // namespace qm
