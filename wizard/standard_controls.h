#pragma once
// The control classes that Windows' own controls serve: labels, edits, memos,
// buttons, check boxes, radio buttons, lists, combo boxes, group boxes,
// panels, bevels and progress bars.

#include <vector>

#include "wizard/control_class.h"

namespace qm {

std::vector<const ControlClass*> standard_control_classes();

// A string list's text: every line ended by CR LF.
std::string strings_text(const std::vector<std::string>& lines);
// The lines of a string list's text (CR LF, LF or CR end a line).
std::vector<std::string> strings_lines(std::string_view text);

}  // namespace qm
