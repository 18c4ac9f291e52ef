#include "commands/system/deferred_lines.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "commands/parameters.h"
#include "engine/command_registry.h"
#include "engine/engine.h"

namespace qm {

namespace {

// Which field feeds value property n, and the translation text number of
// that field (0: not translated).
struct ValueProperty {
  int property;
  int field;
  int translation = 0;
};

enum class TextTriple { kNone, kShortcut, kProgId };

struct DeferredCommand {
  std::string_view name;
  std::vector<ValueProperty> values;
  TextTriple triple = TextTriple::kNone;
  bool media = false;              // brings files from the line's media
  bool redirection_guard = false;  // works on the 64-bit file system when targeting it
};

const std::vector<DeferredCommand>& deferred_commands() {
  static const std::vector<DeferredCommand> commands = {
      {"Write Registry", {{1, 3}, {2, 4}, {3, 5}}},
      {"Create File Type", {{1, 1, 1}, {2, 2}, {3, 3, 2}, {4, 4}, {5, 5}}},
      {"Advertised File Type", {}, TextTriple::kProgId},
      {"Create Folder", {{1, 1}}},
      {"Create Shortcut", {{1, 3}, {2, 1}, {3, 5}, {4, 6}}, TextTriple::kShortcut},
      {"Advertised Shortcut", {{1, 3}, {2, 1}, {3, 5}, {4, 6}}, TextTriple::kShortcut},
      {"Copy/Move Local Files", {{1, 1}, {2, 3}}},
      {"Delete Files", {{1, 1}}},
      {"Edit INI File", {{1, 1}, {2, 4}, {3, 5}, {4, 6}}},
      {"Set Environment", {{1, 2}}, TextTriple::kNone, false, true},
      {"Install Files", {{1, 3}}, TextTriple::kNone, true},
      {"Install Assembly", {{1, 3}}, TextTriple::kNone, true},
      {"Control Service", {{1, 1, 1}, {2, 2}}},
      {"Create ODBC DSN", {}},
      {"Install ODBC Driver", {{1, 4}}, TextTriple::kNone, true},
      {"Install Service",
       {{1, 2}, {2, 4, 1}, {3, 5, 2}, {4, 9, 4}, {5, 10, 5}, {6, 13}, {7, 14}, {8, 15}, {9, 6, 3}},
       TextTriple::kNone,
       true},
  };
  return commands;
}

// Fields whose texts are translated, with their text numbers, in the order
// the texts are looked up (by text number).
std::vector<std::pair<int, int>> translated_fields(const DeferredCommand& command) {
  switch (command.triple) {
    case TextTriple::kShortcut: return {{2, 1}, {4, 2}};
    case TextTriple::kProgId: return {{1, 1}, {3, 2}};
    case TextTriple::kNone: break;
  }
  std::vector<std::pair<int, int>> fields;
  for (const ValueProperty& value : command.values)
    if (value.translation > 0) fields.emplace_back(value.field, value.translation);
  std::sort(fields.begin(), fields.end(), [](auto a, auto b) { return a.second < b.second; });
  return fields;
}

void run_deferred_line(Engine& engine, const ScriptLine& line, const DeferredCommand& command) {
  std::optional<RedirectionGuard> guard;
  if (command.redirection_guard) guard.emplace(engine);

  std::vector<std::pair<int, std::string>> translated;
  for (const auto& [field, offset] : translated_fields(command))
    translated.emplace_back(field, translated_field(engine, line, field, offset));
  const auto text_of = [&](int field) {
    for (const auto& [translated_field_number, text] : translated)
      if (translated_field_number == field) return text;
    return expanded_field(engine, line, field);
  };

  const std::string header = engine.package.header(line.index);
  const std::string prefix = "P" + header + "_";
  if (command.triple == TextTriple::kShortcut) {
    engine.shortcut_texts.insert(engine.shortcut_texts.end(),
                                 {prefix + "1", shortcut_name_text(text_of(2)), text_of(4)});
  } else if (command.triple == TextTriple::kProgId) {
    engine.progid_texts.insert(engine.progid_texts.end(), {engine.field(line, 1), text_of(1), text_of(3)});
  }

  if (line.index < engine.deferred_lines.size()) engine.deferred_lines[line.index] = "TRUE";
  engine.properties.record("A" + header, "TRUE");
  // Web-media builds fetch the line's media here; that arrives with web media delivery.

  for (const ValueProperty& value : command.values)
    engine.properties.record(prefix + std::to_string(value.property), normalize_path_text(text_of(value.field)));
}

bool is_blank_or_control(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::string shortcut_name_text(std::string_view long_name) {
  std::string_view short_part = long_name.substr(0, 6);
  while (!short_part.empty() && is_blank_or_control(short_part.front())) short_part.remove_prefix(1);
  while (!short_part.empty() && is_blank_or_control(short_part.back())) short_part.remove_suffix(1);
  return std::string(short_part) + "~1|" + std::string(long_name);
}

void register_deferred_commands(CommandRegistry& registry) {
  for (const DeferredCommand& command : deferred_commands())
    registry.add(command.name,
                 [&command](Engine& engine, const ScriptLine& line) { run_deferred_line(engine, line, command); });
}

}  // namespace qm
