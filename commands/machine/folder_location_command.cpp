// Handler of "Get Folder Location": 28 numbered well-known folders.

#include <windows.h>
#include <shlobj.h>

#include <array>
#include <cstdint>
#include <string>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "platform/registry.h"
#include "platform/unique_resource.h"
#include "platform/wow64.h"
#include "script/integer_text.h"
#include "script/path_text.h"

namespace qm {

namespace {

// Folder numbers that are no shell folder; they are found their own way.
enum Special : int {
  kBootFolder = -1,
  kFirstCdRom = -2,
  kSystemFolder = -3,
  kWindowsFolder = -4,
  kQuickLaunch = -5,
  kWebRoot = -6,
};

// Shell folders the registry answers instead of the shell.
constexpr int kProgramFilesCsidl = 38;
constexpr int kCommonFilesCsidl = 43;

// By folder number: the user's folder and the all-users folder (the same
// where there is only one).
struct FolderPair {
  int user;
  int all_users;
};
constexpr std::array<FolderPair, 28> kFolders = {{
    {32, 32},                          // 0 Internet cache
    {33, 33},                          // 1 cookies
    {5, 46},                           // 2 documents
    {6, 31},                           // 3 favorites
    {13, 53},                          // 4 music
    {39, 54},                          // 5 pictures
    {14, 55},                          // 6 video
    {19, 19},                          // 7 network neighbourhood
    {27, 27},                          // 8 printers neighbourhood
    {kBootFolder, kBootFolder},        // 9
    {kFirstCdRom, kFirstCdRom},        // 10
    {48, 47},                          // 11 administrative tools
    {11, 22},                          // 12 start menu
    {7, 24},                           // 13 startup
    {2, 23},                           // 14 programs
    {26, 35},                          // 15 application data
    {59, 59},                          // 16 CD burning area
    {0, 25},                           // 17 desktop
    {20, 20},                          // 18 fonts
    {40, 62},                          // 19 user profile, profiles
    {kProgramFilesCsidl, kCommonFilesCsidl},  // 20 program files, common files
    {8, 8},                            // 21 recent
    {9, 9},                            // 22 send to
    {kSystemFolder, kSystemFolder},    // 23
    {21, 21},                          // 24 templates
    {kWindowsFolder, kWindowsFolder},  // 25
    {kQuickLaunch, kQuickLaunch},      // 26
    {kWebRoot, kWebRoot},              // 27
}};

std::string registry_text(HKEY root, const std::string& path, const std::string& name,
                          platform::RegistryView view = platform::RegistryView::kDefault) {
  const platform::RegistryKey key = platform::RegistryKey::open(root, path, KEY_READ, view);
  return key.valid() ? key.read_string(name).value_or("") : std::string();
}

std::string shell_folder(int csidl) {
  LPITEMIDLIST raw_list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(GetDesktopWindow(), csidl, &raw_list)) || raw_list == nullptr) return {};
  const platform::UniqueTaskMemory list(raw_list);
  char path[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(static_cast<LPCITEMIDLIST>(list.get()), path)) return {};
  return path;
}

std::string first_cd_rom_drive() {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if (GetDriveTypeA(root.c_str()) == DRIVE_CDROM) return root;
  }
  return {};
}

std::string system_folder(const Engine& engine) {
  char path[MAX_PATH] = {};
  if (platform::is_wow64_process() && engine.target_platform == TargetPlatform::kWin32) {
    using GetSystemWow64DirectoryFunction = UINT(WINAPI*)(LPSTR, UINT);
    const auto get_wow64_folder = reinterpret_cast<GetSystemWow64DirectoryFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemWow64DirectoryA")));
    if (get_wow64_folder != nullptr) {
      const UINT length = get_wow64_folder(path, MAX_PATH);
      if (length > 0 && length < MAX_PATH) return std::string(path, length);
    }
  }
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

std::string windows_folder() {
  char path[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryA(path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

std::string quick_launch_folder() {
  const std::string application_data = registry_text(
      HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\", "AppData");
  if (application_data.empty()) return {};
  return with_trailing_backslash(application_data) + "Microsoft\\Internet Explorer\\Quick Launch\\";
}

// IIS's own entry, or the virtual root "/" of older web servers, whose value
// is "path,,permissions".
std::string web_root_folder() {
  std::string root = registry_text(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\InetStp", "PathWWWRoot");
  if (root.empty()) {
    const std::string virtual_roots = "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots\\";
    root = registry_text(HKEY_LOCAL_MACHINE, virtual_roots, "/");
    if (root.empty()) root = registry_text(HKEY_LOCAL_MACHINE, virtual_roots, "/,");
  }
  return root.substr(0, root.find(','));
}

std::string folder(const Engine& engine, int which) {
  const std::string current_version = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  switch (which) {
    case kBootFolder: return registry_text(HKEY_LOCAL_MACHINE, current_version + "\\Setup", "BootDir", engine.registry_view);
    case kFirstCdRom: return first_cd_rom_drive();
    case kSystemFolder: return system_folder(engine);
    case kWindowsFolder: return windows_folder();
    case kQuickLaunch: return quick_launch_folder();
    case kWebRoot: return web_root_folder();
    case kProgramFilesCsidl: return registry_text(HKEY_LOCAL_MACHINE, current_version, "ProgramFilesDir", engine.registry_view);
    case kCommonFilesCsidl: return registry_text(HKEY_LOCAL_MACHINE, current_version, "CommonFilesDir", engine.registry_view);
    default: return shell_folder(which);
  }
}

}  // namespace

// "Get Folder Location" — field 1: bare variable (defined empty when
// missing); field 2: the folder number 0-27 (integer text); field 3, truth:
// the all-users folder rather than the user's own, where the two differ.
// Sets variable 1 to the folder with a trailing backslash, or to the empty
// text when the machine has no such folder or the number is outside 0-27.
// Reads the registry in the view of the target platform.
void get_folder_location_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard redirection(engine);
  const RegistryViewGuard view(engine);
  const std::string variable = bare_variable_field(engine, line, 1);
  if (!engine.variables.exists(variable)) set_or_define_result(engine, line, variable, "");
  const std::int32_t number = integer_text(engine.field(line, 2));
  std::string path;
  if (number >= 0 && number < static_cast<std::int32_t>(kFolders.size())) {
    const FolderPair& pair = kFolders[number];
    path = with_trailing_backslash(folder(engine, truth_field(engine, line, 3) ? pair.all_users : pair.user));
  }
  set_result(engine, line, variable, path);
}

}  // namespace qm
