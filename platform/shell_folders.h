#pragma once

#include <string>

namespace qm::platform {

// A shell folder by its CSIDL number, with a trailing backslash; empty when
// Windows knows none.
std::string shell_folder(int csidl);

// The folder part of a path, with a trailing backslash ("" when there is none).
std::string folder_of(const std::string& path);
// The file-name part of a path.
std::string file_name_of(const std::string& path);

}  // namespace qm::platform
