#include "wizard/control_class.h"

#include "script/ansi_text.h"
#include "wizard/drawn_controls.h"
#include "wizard/folder_controls.h"
#include "wizard/list_controls.h"
#include "wizard/media_controls.h"
#include "wizard/page_controls.h"
#include "wizard/picture_controls.h"
#include "wizard/shell_controls.h"
#include "wizard/standard_controls.h"
#include "wizard/text_controls.h"
#include "wizard/tree_controls.h"

#include <algorithm>

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

namespace {

// The order in which the designer registers the classes a definition may use.
constexpr std::string_view kRegistrationOrder[] = {
    "TLabel",         "TEdit",          "TMemo",          "TButton",           "TRzCheckBox",    "TRzRadioButton",
    "TListBox",       "TComboBox",      "TGroupBox",      "TPanel",            "TBitBtn",        "TSpeedButton",
    "TMaskEdit",      "TImage",         "TShape",         "TBevel",            "TStaticText",    "TGauge",
    "TPageControl",   "TTabSheet",      "TRichEdit",      "TTrackBar",         "TProgressBar",   "TUpDown",
    "TAnimate",       "TCheckListBox",  "TTreeView",      "THTMLViewer",       "TFileListBox",   "TDirectoryListBox",
    "TDriveComboBox", "TFilterComboBox", "TPTShellTree",  "TPTShellList",      "TPTShellCombo",  "TFlashFrame",
    "TRzFormShape",   "TRzBmpButton"};

std::size_t registration_rank(const ControlClass* control_class) {
  const auto found = std::find_if(std::begin(kRegistrationOrder), std::end(kRegistrationOrder),
                                  [&](std::string_view name) { return ascii_equal_ignore_case(name, control_class->name); });
  return static_cast<std::size_t>(found - std::begin(kRegistrationOrder));
}

}  // namespace

const std::vector<const ControlClass*>& control_classes() {
  static const std::vector<const ControlClass*> classes = [] {
    std::vector<const ControlClass*> all;
    for (const auto& family : {standard_control_classes(), picture_control_classes(), text_control_classes(),
                               drawn_control_classes(), media_control_classes(), tree_control_classes(),
                               list_control_classes(), page_control_classes(), folder_control_classes(),
                               shell_control_classes()})
      all.insert(all.end(), family.begin(), family.end());
    std::stable_sort(all.begin(), all.end(), [](const ControlClass* a, const ControlClass* b) {
      return registration_rank(a) < registration_rank(b);
    });
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
