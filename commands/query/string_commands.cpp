// Handlers of the catalogue's text rows: "Convert Case", "Replace String" and
// "Parse String".

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "script/ansi_text.h"
#include "script/integer_text.h"
#include "script/path_text.h"
#include "script/text_operations.h"

namespace qm {

// "Convert Case" — field 1: a variable that must exist; field 2: true for
// upper case, false for lower case. Sets the variable to its value,
// substituted and normalized as a path, in the code page's case.
void convert_case_command(Engine& engine, const ScriptLine& line) {
  const std::string name = bare_variable_field(engine, line, 1);
  const std::string text = normalize_path_text(engine.variables.expand(engine.variables.get(name)));
  set_result(engine, line, name, truth_field(engine, line, 2) ? ansi_upper(text) : ansi_lower(text));
}

// "Replace String" — field 1: $NAME$ or NAME of a variable that must exist;
// fields 2 and 3 (substituted): the text to find and its replacement;
// field 4: ignore case; field 5: replace every occurrence, not only the
// first. Works on the variable's stored value, unsubstituted.
void replace_string_command(Engine& engine, const ScriptLine& line) {
  const std::string name = variable_reference_field(engine, line, 1);
  const std::string value = engine.variables.get(name);
  set_or_define_result(engine, line, name,
                       replace_text(value, expanded_field(engine, line, 2), expanded_field(engine, line, 3),
                                    truth_field(engine, line, 4), truth_field(engine, line, 5)));
}

// "Parse String" — field 1: the source text; field 2: the delimiter or the
// count (both substituted and normalized as paths); fields 3 and 4: the
// variables for the first and the second part, either may be empty; field
// 5: the mode (script/text_operations.h); field 6: trim both parts; field 7:
// find the delimiter without regard to case. The part variables exist from
// the start, so they are there even when the mode is no number.
void parse_string_command(Engine& engine, const ScriptLine& line) {
  const std::string first_name = bare_variable_field(engine, line, 3);
  const std::string second_name = bare_variable_field(engine, line, 4);
  for (const std::string& name : {first_name, second_name})
    if (!name.empty() && !engine.variables.exists(name)) set_or_define_result(engine, line, name, "");

  const std::string source = normalized_field(engine, line, 1);
  const std::string delimiter_or_count = normalized_field(engine, line, 2);
  const std::int32_t mode = integer_text(engine.field(line, 5));
  const SplitText parts = parse_string(source, delimiter_or_count, mode,
                                       {.trim = truth_field(engine, line, 6),
                                        .ignore_case = truth_field(engine, line, 7)});
  if (!first_name.empty()) set_or_define_result(engine, line, first_name, parts.first);
  if (!second_name.empty()) set_or_define_result(engine, line, second_name, parts.second);
}

}  // namespace qm
