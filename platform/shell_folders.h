#pragma once

#include <string>

namespace qm::platform {

// A shell folder by its CSIDL number, with a trailing backslash; empty when
// Windows knows none.
std::string shell_folder(int csidl);

}  // namespace qm::platform
