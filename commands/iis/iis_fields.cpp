#include "commands/iis/iis_fields.h"

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "script/integer_text.h"
#include "script/path_text.h"
#include "script/truth_text.h"

namespace qm {

std::string iis_text_field(const Engine& engine, const ScriptLine& line, std::size_t n) {
  const int offset = find_command_facts(line.command)->translation_offset(static_cast<int>(n));
  if (offset == 0) return normalized_field(engine, line, n);
  return normalize_path_text(translated_field(engine, line, n, static_cast<std::size_t>(offset)));
}

bool iis_truth_field(const Engine& engine, const ScriptLine& line, std::size_t n) {
  return is_true(iis_text_field(engine, line, n));
}

std::optional<std::int32_t> iis_integer_field(const Engine& engine, const ScriptLine& line, std::size_t n) {
  return parse_integer_text(iis_text_field(engine, line, n));
}

}  // namespace qm
