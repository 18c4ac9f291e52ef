#pragma once
// What the binding of a page's controls reads and writes: texts with the
// variables substituted, the variable a control's Hint names, and the target
// folder the folder controls start from.

#include <optional>
#include <string>

#include "engine/engine.h"
#include "wizard/control.h"

namespace qm {

// Substitutes the variables into a text shown on a page; a reference to a
// variable that does not exist stays as it is written.
std::string substituted(const Engine& engine, const std::string& text);

// The value of the variable a control's Hint names, substituted; nothing when
// the Hint is empty or names no variable.
std::optional<std::string> hint_value(const Engine& engine, const Control& control);

// Sets (or defines) the upper-cased Hint variable, with the handler's name
// as the change's category; nothing for an empty Hint.
void write_hint_variable(Engine& engine, const Control& control, const std::string& value, const char* handler);

// TARGETDIR as the user reads it: substituted, doubled backslashes collapsed;
// empty when it is not defined.
std::string target_text(const Engine& engine);

// The nearest folder of TARGETDIR that exists (it may still not exist when
// no ancestor does).
std::string nearest_existing_target(const Engine& engine);

}  // namespace qm
