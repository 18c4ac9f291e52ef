#include "wizard/control_class.h"

#include "script/ansi_text.h"
#include "wizard/folder_controls.h"
#include "wizard/picture_controls.h"
#include "wizard/shell_controls.h"
#include "wizard/standard_controls.h"

namespace qm {

const PropertyDefinition* ControlClass::find_property(std::string_view name) const {
  const std::string_view head = name.substr(0, name.find('.'));
  for (const ControlClass* level = this; level != nullptr; level = level->base)
    for (const PropertyDefinition& definition : level->properties)
      if (ascii_equal_ignore_case(definition.name, head)) return &definition;
  return nullptr;
}

bool ControlClass::is_a(std::string_view class_name) const {
  for (const ControlClass* level = this; level != nullptr; level = level->base)
    if (ascii_equal_ignore_case(level->name, class_name)) return true;
  return false;
}

const std::vector<const ControlClass*>& control_classes() {
  static const std::vector<const ControlClass*> classes = [] {
    std::vector<const ControlClass*> all = standard_control_classes();
    for (const ControlClass* picture_class : picture_control_classes()) all.push_back(picture_class);
    for (const ControlClass* folder_class : folder_control_classes()) all.push_back(folder_class);
    for (const ControlClass* shell_class : shell_control_classes()) all.push_back(shell_class);
    return all;
  }();
  return classes;
}

const ControlClass* find_control_class(std::string_view name) {
  for (const ControlClass* control_class : control_classes())
    if (ascii_equal_ignore_case(control_class->name, name)) return control_class;
  return nullptr;
}

}  // namespace qm
