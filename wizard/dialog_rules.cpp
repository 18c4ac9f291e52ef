#include "wizard/dialog_rules.h"

namespace qm {

namespace {

// Takes the text before `marker` off the front of `rest`, with the marker.
// Without the marker the line has lost its shape: this part and every later
// one are empty.
std::string take_before(std::string_view& rest, std::string_view marker) {
  const std::size_t at = rest.find(marker);
  if (at == std::string_view::npos) {
    rest = {};
    return {};
  }
  std::string part(rest.substr(0, at));
  rest.remove_prefix(at + marker.size());
  return part;
}

// A value naming "Control.Property" stands for that property's text (empty
// when there is none); any other value is itself.
std::string resolve_value(const std::string& value, const ControlProperties& controls) {
  const std::size_t dot = value.find('.');
  if (dot == std::string::npos) return value;
  return controls.read(value.substr(0, dot), value.substr(dot + 1)).value_or("");
}

}  // namespace

DialogRule parse_dialog_rule(std::string_view line) {
  DialogRule rule;
  // "IF (" opens every rule.
  std::string_view rest = line.size() > 4 ? line.substr(4) : std::string_view();
  rule.unequal = rest.find(" <> ") != std::string_view::npos;
  rule.source_control = take_before(rest, ".");
  rule.source_property = take_before(rest, rule.unequal ? " <> " : " = ");
  rule.compare_value = take_before(rest, ")  THEN  ");
  rule.target_control = take_before(rest, ".");
  rule.target_property = take_before(rest, " := ");
  rule.new_value = take_before(rest, ";");
  return rule;
}

void apply_dialog_rule(const DialogRule& rule, const ControlProperties& controls) {
  const std::string compare_value = resolve_value(rule.compare_value, controls);
  const std::string current = controls.read(rule.source_control, rule.source_property).value_or("");
  if ((current == compare_value) == rule.unequal) return;
  if (rule.target_control.empty() || rule.target_property.empty()) return;
  controls.write(rule.target_control, rule.target_property, resolve_value(rule.new_value, controls));
}

void apply_dialog_rules(const std::vector<std::string>& lines, const ControlProperties& controls) {
  for (const std::string& line : lines) apply_dialog_rule(parse_dialog_rule(line), controls);
}

}  // namespace qm
