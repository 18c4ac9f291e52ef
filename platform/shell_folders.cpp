#include "platform/shell_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "script/path_text.h"

namespace qm::platform {

std::string shell_folder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) || path[0] == '\0') return {};
  return with_trailing_backslash(path);
}

}  // namespace qm::platform
