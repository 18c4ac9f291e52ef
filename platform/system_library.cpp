#include "platform/system_library.h"

#include "script/path_text.h"

namespace qm::platform {

void restrict_library_search() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  const auto set_default_directories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel32, "SetDefaultDllDirectories")));
  if (set_default_directories != nullptr) {
    set_default_directories(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_USER_DIRS);
    return;
  }
  // Older systems: at least take the current folder out of the search.
  using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCSTR);
  const auto set_dll_directory =
      reinterpret_cast<SetDllDirectoryFunction>(reinterpret_cast<void*>(GetProcAddress(kernel32, "SetDllDirectoryA")));
  if (set_dll_directory != nullptr) set_dll_directory("");
}

std::string system_folder() {
  char path[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  return with_trailing_backslash(std::string(path, length < MAX_PATH ? length : 0));
}

HMODULE load_system_library(const char* name) {
  return LoadLibraryExA((system_folder() + name).c_str(), nullptr, 0);
}

}  // namespace qm::platform
