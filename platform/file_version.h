#pragma once
// What a file's version resource says: its version and its language.

#include <cstdint>
#include <optional>
#include <string>

#include "script/dotted_version.h"

namespace qm::platform {

// The fixed file version of a file's version resource; 0.0.0.0 for a file
// that has none, that is missing or that cannot be read.
VersionNumbers file_version(const std::string& path);

// The first entry of a file's translation table: the language identifier in
// the low half, the code page in the high half; nothing without one.
std::optional<std::uint32_t> file_translation(const std::string& path);

}  // namespace qm::platform
