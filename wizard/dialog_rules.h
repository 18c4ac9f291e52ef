#pragma once
// Dialog rules: one line each, kept with a wizard page, that make controls
// follow other controls, such as
//
//   IF (CheckBox1.Checked = True)  THEN  Button1.Enabled := True;
//
// The operator is " = " or " <> "; the compared value and the assigned value
// are either literal text or, when they contain a ".", another control's
// property ("Edit1.Text"). Rules are cut apart by position, as the build tool
// writes them, not by a grammar: a line that does not have that shape ends up
// with empty parts and changes nothing.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct DialogRule {
  std::string source_control;
  std::string source_property;
  bool unequal = false;  // " <> " rather than " = "
  std::string compare_value;
  std::string target_control;
  std::string target_property;
  std::string new_value;
  bool operator==(const DialogRule&) const = default;
};

DialogRule parse_dialog_rule(std::string_view line);

// How rules reach the controls of a page: a property as text, found by
// control name and property name (both without regard to case); nothing when
// there is no such control or property.
struct ControlProperties {
  std::function<std::optional<std::string>(const std::string& control, const std::string& property)> read;
  std::function<void(const std::string& control, const std::string& property, const std::string& value)> write;
};

// Applies one rule: when the source property's text equals the compared value
// (or differs from it, for " <> "), the target property takes the new value.
void apply_dialog_rule(const DialogRule& rule, const ControlProperties& controls);

// Applies every rule of the page's rule lines, in order.
void apply_dialog_rules(const std::vector<std::string>& lines, const ControlProperties& controls);

}  // namespace qm
