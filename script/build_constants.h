#pragma once
// Build constants: #NAME# in a text becomes the value the build gave NAME.

#include <string>
#include <string_view>
#include <vector>

namespace qm {

// `constants` holds pairs: name, value. Substitution repeats while it changes
// the text, within the same bounds as variable substitution; an undefined
// constant stays as written.
std::string substitute_constants(std::string_view text, const std::vector<std::string>& constants);

}  // namespace qm
