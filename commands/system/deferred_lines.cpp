// Handler of every deferred change line of the catalogue (its rows with a
// "deferred" column).

#include "commands/system/deferred_lines.h"

#include <optional>
#include <utility>
#include <vector>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "script/path_text.h"

namespace qm {

namespace {

bool is_blank_or_control(char c) { return static_cast<unsigned char>(c) <= ' '; }

// The fields the command translates, read first and in the order of their
// text offsets; every other field is read when its property is recorded.
class LineTexts {
 public:
  LineTexts(const Engine& engine, const ScriptLine& line, const CommandFacts& facts) : engine_(engine), line_(line) {
    for (const TranslatedField& field : facts.translated)
      translated_.emplace_back(field.field, translated_field(engine, line, field.field, field.offset));
  }

  std::string operator()(int field) const {
    for (const auto& [number, text] : translated_)
      if (number == field) return text;
    return expanded_field(engine_, line_, static_cast<std::size_t>(field));
  }

 private:
  const Engine& engine_;
  const ScriptLine& line_;
  std::vector<std::pair<int, std::string>> translated_;
};

}  // namespace

std::string shortcut_name_text(std::string_view long_name) {
  std::string_view short_part = long_name.substr(0, 6);
  while (!short_part.empty() && is_blank_or_control(short_part.front())) short_part.remove_prefix(1);
  while (!short_part.empty() && is_blank_or_control(short_part.back())) short_part.remove_suffix(1);
  return std::string(short_part) + "~1|" + std::string(long_name);
}

// A deferred change line — reads the fields of its catalogue row's value
// properties (translated where the row says so). Marks its line as run in the
// deferred line list and records "A" + header = "TRUE", then "P" + header +
// "_" + n for each value property, normalized as a path. Shortcut lines and
// "Advertised File Type" add their text triple for the installer database.
// A line without a command header is a script error.
void deferred_line_command(Engine& engine, const ScriptLine& line) {
  const CommandFacts& facts = *find_command_facts(line.command);
  const DeferredFacts& deferred = facts.deferred;
  std::optional<RedirectionGuard> guard;
  if (deferred.redirection_guard) guard.emplace(engine);

  const LineTexts text_of(engine, line, facts);
  const std::string header = engine.package.header(line.index);
  const std::string prefix = "P" + header + "_";
  if (deferred.triple == TextTriple::kShortcut) {
    engine.shortcut_texts.insert(engine.shortcut_texts.end(),
                                 {prefix + "1", shortcut_name_text(text_of(2)), text_of(4)});
  } else if (deferred.triple == TextTriple::kProgId) {
    engine.progid_texts.insert(engine.progid_texts.end(), {engine.field(line, 1), text_of(1), text_of(3)});
  }

  if (line.index < engine.deferred_lines.size()) engine.deferred_lines[line.index] = "TRUE";
  engine.properties.record("A" + header, "TRUE");
  // Web-media builds fetch the line's media here; that arrives with web media delivery.

  for (const ValueProperty& value : deferred.values)
    engine.properties.record(prefix + std::to_string(value.property), normalize_path_text(text_of(value.field)));
}

}  // namespace qm
