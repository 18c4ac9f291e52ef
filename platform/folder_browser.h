#pragma once

#include <optional>
#include <string>

namespace qm::platform {

// The shell's folder browser; the chosen folder with a trailing backslash,
// or nothing when the user cancels.
std::optional<std::string> browse_for_folder(const std::string& title, void* owner);

}  // namespace qm::platform
