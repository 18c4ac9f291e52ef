// Handler of "Get System Settings": one of 76 numbered questions about the
// machine, answered as "TRUE"/"FALSE" or as a text.

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands/machine/iis_queries.h"
#include "platform/file_version.h"
#include "script/dotted_version.h"
#include "commands/machine/virtual_machine_probes.h"
#include "commands/machine/windows_facts.h"
#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "platform/registry.h"
#include "platform/system_library.h"
#include "platform/wow64.h"
#include "script/integer_text.h"

namespace qm {

namespace {

std::string truth(bool value) { return value ? "TRUE" : "FALSE"; }

// Questions 1-7: memory of at least this many megabytes. Two megabytes are
// granted, since Windows reports a little less than is fitted.
constexpr std::array<std::uint64_t, 7> kMemoryMegabytes = {32, 64, 128, 256, 512, 1024, 2048};

// Questions 8-12: the screen sizes.
struct ScreenSize {
  int width;
  int height;
};
constexpr std::array<ScreenSize, 5> kScreenSizes = {{{800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}, {1920, 1440}}};

// Questions 13-16: colour depths in bits per pixel.
constexpr std::array<int, 4> kColourBits = {8, 16, 24, 32};

// Questions 19-26: Windows 95, 98, 98 SE, ME, NT 4.0, 2000, XP, Server 2003.
struct MajorMinor {
  std::uint32_t major;
  std::uint32_t minor;
};
constexpr std::array<MajorMinor, 8> kWindowsVersions = {{{4, 0}, {4, 10}, {4, 11}, {4, 90}, {4, 0}, {5, 0}, {5, 1}, {5, 2}}};

// Questions 37-52: Internet Explorer builds, judged by shdocvw.dll.
constexpr std::array<VersionNumbers, 16> kExplorerVersions = {{
    {6, 0, 2800, 1106}, {6, 0, 2600, 0},    {5, 50, 4807, 2300}, {5, 50, 4522, 1800},
    {5, 50, 4134, 100}, {5, 0, 3502, 5400}, {5, 0, 3314, 2100},  {5, 0, 2919, 6307},
    {5, 0, 2014, 213},  {4, 72, 3612, 1707}, {4, 72, 3110, 3},   {4, 72, 2106, 7},
    {4, 71, 1712, 5},   {4, 70, 1300, 0},   {4, 70, 1215, 0},    {4, 70, 1155, 0},
}};

// Question 72: Internet Explorer 7, judged by its registry entry.
constexpr VersionNumbers kExplorer7 = {7, 0, 5730, 11};

// Questions 53-58: IIS 6.0, 5.1, 5.0, 4.0, 3.0, 2.0.
constexpr std::array<MajorMinor, 6> kIisVersions = {{{6, 0}, {5, 1}, {5, 0}, {4, 0}, {3, 0}, {2, 0}}};

bool memory_reaches(std::uint64_t megabytes) {
  // The extended call: the plain one cannot report 4 GB or more.
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return false;
  return (megabytes - 2) * 1048576 <= status.ullTotalPhys;
}

// A screen turned on its side counts as well.
bool screen_reaches(const ScreenSize& wanted) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  return (width >= wanted.width && height >= wanted.height) || (height >= wanted.width && width >= wanted.height);
}

int display_colour_bits() {
  const HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  if (display == nullptr) return 0;
  const int bits = GetDeviceCaps(display, BITSPIXEL);
  DeleteDC(display);
  return bits;
}

int screen_dots_per_inch() {
  const HDC screen = GetDC(nullptr);
  if (screen == nullptr) return -1;
  const int dots = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dots;
}

std::string system_language_name() {
  // winver.exe's language is the language Windows was made in.
  const std::optional<std::uint32_t> translation = platform::file_translation(platform::system_folder() + "winver.exe");
  if (!translation) return {};
  char name[260] = {};
  VerLanguageNameA(LOWORD(*translation), name, sizeof name - 1);
  return name;
}

std::string registered_owner_value(const Engine& engine, const WindowsVersion& version, const std::string& name) {
  const char* const path = version.nt_family ? "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\"
                                             : "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
  const platform::RegistryKey key = platform::RegistryKey::open(HKEY_LOCAL_MACHINE, path, KEY_READ, engine.registry_view);
  if (!key.valid()) return {};
  return key.read_string(name).value_or("");
}

VersionNumbers explorer_registry_version() {
  const platform::RegistryKey key =
      platform::RegistryKey::open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Internet Explorer", KEY_READ);
  return dotted_version(key.valid() ? key.read_string("Version").value_or("") : "");
}

std::string computer_name() {
  char name[16] = {};
  DWORD size = sizeof name;
  return GetComputerNameA(name, &size) ? std::string(name) : std::string();
}

std::string membership_class(const WindowsVersion& version) {
  if (is_member_of_builtin_group(version, kAdministratorsGroup)) return "ADMIN";
  if (is_member_of_builtin_group(version, kPowerUsersGroup)) return "POWER";
  if (is_member_of_builtin_group(version, kUsersGroup)) return "USER";
  if (is_member_of_builtin_group(version, kGuestsGroup)) return "GUEST";
  return "ERROR";
}

bool is_server_edition() {
  OSVERSIONINFOEXA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info)) && info.wProductType != VER_NT_WORKSTATION;
}

std::string native_architecture() {
  using GetNativeSystemInfoFunction = void(WINAPI*)(SYSTEM_INFO*);
  const auto get_native_system_info = reinterpret_cast<GetNativeSystemInfoFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetNativeSystemInfo")));
  if (get_native_system_info == nullptr) return "X86";
  SYSTEM_INFO info = {};
  get_native_system_info(&info);
  switch (info.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_INTEL: return "X86";
    case PROCESSOR_ARCHITECTURE_IA64: return "IA64";
    case PROCESSOR_ARCHITECTURE_AMD64: return "AMD64";
    default: return "UNKNOWN";
  }
}

// Within a range of questions, the position of `number` in it.
bool in_range(int number, int first, std::size_t count) {
  return number >= first && number < first + static_cast<int>(count);
}

std::string answer(const Engine& engine, int number) {
  const WindowsVersion version = windows_version();
  if (number == 0) return truth(is_member_of_builtin_group(version, kAdministratorsGroup));
  if (in_range(number, 1, kMemoryMegabytes.size())) return truth(memory_reaches(kMemoryMegabytes[number - 1]));
  if (in_range(number, 8, kScreenSizes.size())) return truth(screen_reaches(kScreenSizes[number - 8]));
  if (in_range(number, 13, kColourBits.size())) return truth(display_colour_bits() >= kColourBits[number - 13]);
  if (number == 17) return truth(!version.nt_family);
  if (number == 18) return truth(version.nt_family);
  if (in_range(number, 19, kWindowsVersions.size())) {
    const MajorMinor wanted = kWindowsVersions[number - 19];
    return truth(version_reaches(version, wanted.major, wanted.minor));
  }
  if (in_range(number, 27, 6)) return truth(version.service_pack >= number - 26);
  if (number == 33) {
    // winver.exe's language is the language Windows was made in.
  const std::optional<std::uint32_t> translation = platform::file_translation(platform::system_folder() + "winver.exe");
    return translation ? std::to_string(*translation) : std::string();
  }
  if (number == 34) return system_language_name();
  if (number == 35) return registered_owner_value(engine, version, "RegisteredOwner");
  if (number == 36) return registered_owner_value(engine, version, "RegisteredOrganization");
  if (in_range(number, 37, kExplorerVersions.size()))
    return truth(version_at_least(platform::file_version(platform::system_folder() + "shdocvw.dll"), kExplorerVersions[number - 37]));
  if (in_range(number, 53, kIisVersions.size())) {
    const MajorMinor wanted = kIisVersions[number - 53];
    return truth(iis_version_reaches(wanted.major, wanted.minor));
  }
  switch (number) {
    case 59: return iis_anonymous_user();
    case 60: return process_account_names(version).user;
    case 61: return computer_name();
    case 62: return process_account_names(version).domain;
    case 63: return membership_class(version);
    case 64: return std::to_string(screen_dots_per_inch());
    case 65: return truth(platform::is_wow64_process());
    case 66: return truth(GetSystemMetrics(SM_TABLETPC) != 0);
    case 67: return truth(GetSystemMetrics(SM_MEDIACENTER) != 0);
    case 68: return truth(is_server_edition());
    case 69: return truth(version_reaches(version, 6, 0));
    case 70: return truth(vmware_backdoor_answers());
    case 71: return truth(virtual_pc_answers());
    case 72: return truth(version_at_least(explorer_registry_version(), kExplorer7));
    case 73: return truth(iis_version_reaches(7, 0));
    case 74: return truth(!vmware_backdoor_answers() && !virtual_pc_answers());
    case 75: return native_architecture();
    default: return {};  // no such question
  }
}

}  // namespace

// "Get System Settings" — field 1: bare variable (defined empty when
// missing); field 2: the question number 0-75 (integer text). Sets variable
// 1 to the answer: "TRUE"/"FALSE" for the yes-or-no questions, a text for
// the others, the empty text for a number outside 0-75. Reads the registry
// in the view of the target platform.
void get_system_settings_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard redirection(engine);
  const RegistryViewGuard view(engine);
  const std::string variable = bare_variable_field(engine, line, 1);
  if (!engine.variables.exists(variable)) set_or_define_result(engine, line, variable, "");
  const std::int32_t number = integer_text(engine.field(line, 2));
  set_result(engine, line, variable, answer(engine, number));
}

}  // namespace qm
