#pragma once
// The classes a dialog definition may name ("TEdit", "TRzCheckBox", ...): for
// each, the class it derives from, the properties it publishes and how to
// make a control of it.

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "wizard/control.h"

namespace qm {

struct ControlClass {
  std::string_view name;
  const ControlClass* base = nullptr;  // the class it derives from
  std::vector<PropertyDefinition> properties;  // its own, beyond its base's
  std::function<std::unique_ptr<Control>(const ControlClass&)> make;

  // The definition of a property this class or a base publishes; for a
  // dotted name ("Font.Name") the definition of its first part.
  const PropertyDefinition* find_property(std::string_view name) const;
  bool is_a(std::string_view class_name) const;
};

// The class of that name (compared without regard to case, as the designer
// finds classes), or null when a definition may not use it.
const ControlClass* find_control_class(std::string_view name);

// The classes in the order they are registered with the designer.
const std::vector<const ControlClass*>& control_classes();

}  // namespace qm
