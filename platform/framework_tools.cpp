#include "platform/framework_tools.h"

#include <windows.h>

namespace qm::platform {

namespace {

std::string windows_folder() {
  char buffer[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
  std::string folder(buffer, length < MAX_PATH ? length : 0);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace

std::string framework_folder_name(FrameworkVersion version) {
  return version == FrameworkVersion::k2_0 ? "v2.0.50727" : "v1.1.4322";
}

std::string framework_tool_path(const std::string& version_folder, const std::string& tool) {
  return windows_folder() + "Microsoft.NET\\Framework\\" + version_folder + "\\" + tool;
}

std::string framework_tool_path(FrameworkVersion version, const std::string& tool) {
  return framework_tool_path(framework_folder_name(version), tool);
}

}  // namespace qm::platform
