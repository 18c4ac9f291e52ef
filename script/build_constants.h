#pragma once
// Build constants: #NAME# in a text becomes the value the build gave NAME.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Constant values are short words (a mode, a version, a name): substitution
// adds at most this much to a text. A constant whose value brings in its own
// reference ("#A#" for A = "#A##A#") would otherwise grow the text on every
// pass; it stops here, after a few passes.
inline constexpr std::size_t kMaxConstantsGrowth = 64u * 1024u;

// `constants` holds pairs: name, value. Substitution repeats while it changes
// the text, within the variable store's number of passes and the growth bound
// above; a pass that would outgrow it is not made. An undefined constant stays
// as written.
std::string substitute_constants(std::string_view text, const std::vector<std::string>& constants);

}  // namespace qm
