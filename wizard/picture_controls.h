#pragma once
// The control classes that show pictures from their definitions: images.

#include <vector>

#include "wizard/control_class.h"

namespace qm {

std::vector<const ControlClass*> picture_control_classes();

}  // namespace qm
