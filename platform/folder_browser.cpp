#include "platform/folder_browser.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/com_scope.h"
#include "platform/unique_resource.h"
#include "script/path_text.h"

namespace qm::platform {

std::optional<std::string> browse_for_folder(const std::string& title, void* owner) {
  const ComScope com;
  BROWSEINFOA info{};
  info.hwndOwner = static_cast<HWND>(owner);
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  const UniqueTaskMemory item(SHBrowseForFolderA(&info));
  if (!item) return std::nullopt;
  char path[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(static_cast<LPCITEMIDLIST>(item.get()), path) || path[0] == '\0') return std::nullopt;
  return with_trailing_backslash(path);
}

}  // namespace qm::platform
