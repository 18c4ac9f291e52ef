// Handlers of the commands that read and write text files line by line:
// "Read from Text File" and "Write to Text File". The file being read stays
// open in the engine (Engine::text_file) from one script line to the next.

#include <windows.h>

#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "platform/file_system.h"
#include "script/ansi_text.h"
#include "script/text_lines.h"
#include "script/truth_text.h"

namespace qm {

namespace {

// Read-all mode: the rest of the file in one value.
constexpr std::string_view kReadAllPrefix = "#READALL\\";

void define_if_missing(Engine& engine, const ScriptLine& line, const std::string& variable) {
  if (!variable.empty() && !engine.variables.exists(variable)) set_or_define_result(engine, line, variable, "");
}

// The remaining lines joined by "$NEWLINE$", the variables' form of a line end.
std::string remaining_lines(platform::TextFileReader& file) {
  std::string text;
  for (bool first = true; !file.at_end(); first = false) {
    if (!first) text += kNewlineMarker;
    text += file.next_line();
  }
  return text;
}

// The file's lines, or nothing when it exists but cannot be read: its lines
// would then be lost by writing it back.
std::optional<std::vector<std::string>> lines_of(const std::string& path) {
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return std::vector<std::string>{};
  const std::optional<std::string> content = platform::read_whole_file(path);
  if (!content) return std::nullopt;
  return split_lines(*content);
}

}  // namespace

// "Read from Text File" — field 1: the file, or "#READALL\" and the file;
// field 2: bare variable for the line; field 3: bare variable for the
// end-of-file flag, or empty (both defined empty when missing). Reads the
// next line of the file (the whole rest, its lines joined by "$NEWLINE$", in
// read-all mode) into variable 2, and sets variable 3 to "TRUE" once the
// file is read to its end; the file is then closed, so that the next read
// starts again at its first line. At the end, or when the file cannot be
// opened, variable 2 keeps its value and variable 3 is "TRUE".
void read_from_text_file_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  std::string path = normalized_field(engine, line, 1);
  const bool read_all = path.starts_with(kReadAllPrefix);
  if (read_all) path.erase(0, kReadAllPrefix.size());
  const std::string line_variable = bare_variable_field(engine, line, 2);
  const std::string end_variable = bare_variable_field(engine, line, 3);
  define_if_missing(engine, line, line_variable);
  define_if_missing(engine, line, end_variable);

  platform::TextFileReader& file = engine.text_file;
  if (!file.is_open() || !equal_ignore_case(file.path(), path)) {
    if (!file.open(path)) {
      if (!end_variable.empty()) set_result(engine, line, end_variable, "TRUE");
      return;
    }
  }
  if (!file.at_end()) set_result(engine, line, line_variable, read_all ? remaining_lines(file) : file.next_line());
  const bool at_end = file.at_end();
  if (at_end) file.close();
  if (!end_variable.empty()) set_result(engine, line, end_variable, at_end ? "TRUE" : "FALSE");
}

// "Write to Text File" — field 1: the file; field 2 (substituted): the line;
// field 3 (substituted), truth: put the line first (false: last). Writes the
// file's lines back with the new one, each ended by CR LF, read-only or not.
// The file is replaced as a whole (written beside it, then moved over it), so
// a failure leaves it as it was; a file that exists but cannot be read is
// left alone. Failures are not reported.
void write_to_text_file_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  const std::string path = normalized_field(engine, line, 1);
  const std::string text = expanded_field(engine, line, 2);
  const bool first = is_true(expanded_field(engine, line, 3));
  if (engine.text_file.is_open() && equal_ignore_case(engine.text_file.path(), path)) engine.text_file.close();

  std::optional<std::vector<std::string>> lines = lines_of(path);
  if (!lines) return;
  if (first)
    lines->insert(lines->begin(), text);
  else
    lines->push_back(text);
  try {
    if (platform::file_exists(path)) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    platform::replace_file_atomically(path, join_lines_crlf(*lines));
  } catch (const std::exception&) {
  }
}

}  // namespace qm
