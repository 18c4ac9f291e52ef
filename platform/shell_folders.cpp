#include "platform/shell_folders.h"

#include <windows.h>
#include <shlobj.h>

namespace qm::platform {

std::string shell_folder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) || path[0] == '\0') return {};
  std::string folder(path);
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

std::string folder_of(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\:");
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string file_name_of(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\:");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

}  // namespace qm::platform
