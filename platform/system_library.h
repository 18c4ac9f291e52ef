#pragma once
// Loading Windows' own libraries safely. A setup usually starts from a
// Downloads folder full of other files; a library of the same name as a
// system one, planted there, must never be loaded in its place.

#include <windows.h>

#include <string>

namespace qm::platform {

// Restricts the process's library search to the system folder (and the
// folders given explicitly), where Windows supports it. Called first thing.
void restrict_library_search();

// The system folder, with a trailing backslash.
std::string system_folder();

// Loads a library of Windows from the system folder, by full path; null when
// it cannot be loaded. The handle stays loaded for the life of the process.
HMODULE load_system_library(const char* name);

}  // namespace qm::platform
