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

// A function of a library of Windows, loaded from the system folder; null
// when the library or the function is missing. `Signature` must match the
// export, calling convention included.
template <typename Signature>
Signature* system_function(const char* library, const char* name) {
  const HMODULE module = load_system_library(library);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Signature*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace qm::platform
