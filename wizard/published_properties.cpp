#include "wizard/published_properties.h"

namespace qm {

namespace {

using K = PropertyKind;

}  // namespace

const std::vector<PropertyDefinition>& control_properties() {
  static const std::vector<PropertyDefinition> properties = {
      {"Name", K::kText},
      {"Left", K::kInteger, "0"},
      {"Top", K::kInteger, "0"},
      {"Width", K::kInteger, "0"},
      {"Height", K::kInteger, "0"},
      {"Hint", K::kText},
      {"Tag", K::kInteger, "0"},
      {"Visible", K::kBoolean, "True"},
      {"Enabled", K::kBoolean, "True"},
      {"Align", K::kIdentifier, "alNone"},
      {"AlignWithMargins", K::kBoolean, "False"},
      {"Anchors", K::kSet, "akLeft,akTop"},
      {"Constraints", K::kObject},
      {"Margins", K::kObject},
      {"Cursor", K::kIdentifier, "crDefault"},
      {"DragCursor", K::kIdentifier, "crDrag"},
      {"DragKind", K::kIdentifier, "dkDrag"},
      {"DragMode", K::kIdentifier, "dmManual"},
      {"HelpContext", K::kInteger, "0"},
      {"HelpKeyword", K::kText},
      {"HelpType", K::kIdentifier, "htContext"},
      {"ParentShowHint", K::kBoolean, "True"},
      {"ShowHint", K::kBoolean, "False"},
      {"PopupMenu", K::kIdentifier},
      {"ExplicitLeft", K::kInteger},
      {"ExplicitTop", K::kInteger},
      {"ExplicitWidth", K::kInteger},
      {"ExplicitHeight", K::kInteger},
      {"OnClick", K::kEvent},
      {"OnDblClick", K::kEvent},
      {"OnContextPopup", K::kEvent},
      {"OnMouseDown", K::kEvent},
      {"OnMouseMove", K::kEvent},
      {"OnMouseUp", K::kEvent},
      {"OnMouseEnter", K::kEvent},
      {"OnMouseLeave", K::kEvent},
      {"OnDragDrop", K::kEvent},
      {"OnDragOver", K::kEvent},
      {"OnStartDrag", K::kEvent},
      {"OnEndDrag", K::kEvent},
  };
  return properties;
}

const std::vector<PropertyDefinition>& windowed_properties() {
  static const std::vector<PropertyDefinition> properties = {
      {"TabOrder", K::kInteger, "-1"},
      {"TabStop", K::kBoolean},
      {"Padding", K::kObject},
      {"ImeMode", K::kIdentifier},
      {"ImeName", K::kText},
      {"OnEnter", K::kEvent},
      {"OnExit", K::kEvent},
      {"OnKeyDown", K::kEvent},
      {"OnKeyPress", K::kEvent},
      {"OnKeyUp", K::kEvent},
      {"OnMouseWheel", K::kEvent},
  };
  return properties;
}

const std::vector<PropertyDefinition>& appearance_properties() {
  static const std::vector<PropertyDefinition> properties = {
      {"Font", K::kObject},
      {"ParentFont", K::kBoolean, "True"},
      {"Color", K::kIdentifier, "clBtnFace"},
      {"ParentColor", K::kBoolean, "True"},
      {"BiDiMode", K::kIdentifier, "bdLeftToRight"},
      {"ParentBiDiMode", K::kBoolean, "True"},
      {"Ctl3D", K::kBoolean, "True"},
      {"ParentCtl3D", K::kBoolean, "True"},
      {"DoubleBuffered", K::kBoolean, "False"},
      {"ParentDoubleBuffered", K::kBoolean, "True"},
      {"StyleElements", K::kSet},
  };
  return properties;
}

std::vector<PropertyDefinition> joined(std::initializer_list<const std::vector<PropertyDefinition>*> families,
                                       std::initializer_list<PropertyDefinition> own) {
  std::vector<PropertyDefinition> all;
  for (const std::vector<PropertyDefinition>* family : families) all.insert(all.end(), family->begin(), family->end());
  all.insert(all.end(), own.begin(), own.end());
  return all;
}

}  // namespace qm
