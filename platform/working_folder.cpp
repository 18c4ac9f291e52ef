#include "platform/working_folder.h"

#include <windows.h>

namespace qm::platform {

WorkingFolderScope::WorkingFolderScope(const std::string& folder) {
  if (folder.empty()) return;
  char buffer[MAX_PATH];
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
  if (length > 0 && length < MAX_PATH) previous_.assign(buffer, length);
  SetCurrentDirectoryA(folder.c_str());
}

WorkingFolderScope::~WorkingFolderScope() {
  if (!previous_.empty()) SetCurrentDirectoryA(previous_.c_str());
}

}  // namespace qm::platform
