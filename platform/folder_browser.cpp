#include "platform/folder_browser.h"

#include <windows.h>
#include <shlobj.h>

namespace qm::platform {

std::optional<std::string> browse_for_folder(const std::string& title, void* owner) {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  BROWSEINFOA info{};
  info.hwndOwner = static_cast<HWND>(owner);
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  std::optional<std::string> chosen;
  if (LPITEMIDLIST item = SHBrowseForFolderA(&info)) {
    char path[MAX_PATH] = {};
    if (SHGetPathFromIDListA(item, path) && path[0] != '\0') {
      chosen = path;
      if (chosen->back() != '\\') *chosen += '\\';
    }
    CoTaskMemFree(item);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return chosen;
}

}  // namespace qm::platform
