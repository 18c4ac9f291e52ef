#pragma once
// The published properties that whole families of control classes share, as
// form designers write them into definitions: those of every control, those
// of controls with a window of their own (which take the keyboard focus), and
// those of how a control looks (font, colour).

#include <initializer_list>
#include <vector>

#include "wizard/control.h"

namespace qm {

// Every control: place, size, name, hint, tag, visibility, mouse events.
const std::vector<PropertyDefinition>& control_properties();
// Controls with a window: tab order and keyboard events.
const std::vector<PropertyDefinition>& windowed_properties();
// Font, colour and their inheritance from the parent.
const std::vector<PropertyDefinition>& appearance_properties();

// Lists joined: a class's table from the families it belongs to and its own.
std::vector<PropertyDefinition> joined(std::initializer_list<const std::vector<PropertyDefinition>*> families,
                                       std::initializer_list<PropertyDefinition> own);

}  // namespace qm
