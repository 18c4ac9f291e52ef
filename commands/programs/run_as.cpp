#include "commands/programs/run_as.h"

#include <windows.h>

#include <aclapi.h>

#include <algorithm>
#include <vector>

#include "platform/program_runner.h"
#include "platform/unique_resource.h"

namespace qm {

namespace {

std::int32_t logon_failure(DWORD error) {
  switch (error) {
    case ERROR_PRIVILEGE_NOT_HELD: return -2;
    case ERROR_LOGON_FAILURE: return -3;
    case ERROR_ACCESS_DENIED: return -4;
    default: return -5;
  }
}

std::int32_t start_as_user_failure(DWORD error) {
  switch (error) {
    case ERROR_PRIVILEGE_NOT_HELD: return -8;
    case ERROR_FILE_NOT_FOUND: return -9;
    default: return -10;
  }
}

std::string object_name(HANDLE object, const char* fallback) {
  char name[256] = {};
  DWORD needed = 0;
  if (!GetUserObjectInformationA(object, UOI_NAME, name, sizeof name - 1, &needed) || name[0] == '\0') return fallback;
  return name;
}

// The account's logon session (its processes share it), or else the
// account itself: what the window station and desktop are opened to.
std::vector<BYTE> account_sid(HANDLE token) {
  DWORD size = 0;
  GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
  std::vector<BYTE> groups(size);
  if (size != 0 && GetTokenInformation(token, TokenGroups, groups.data(), size, &size)) {
    const auto* list = reinterpret_cast<const TOKEN_GROUPS*>(groups.data());
    for (DWORD i = 0; i < list->GroupCount; ++i) {
      if ((list->Groups[i].Attributes & SE_GROUP_LOGON_ID) == 0) continue;
      const DWORD length = GetLengthSid(list->Groups[i].Sid);
      const auto* bytes = static_cast<const BYTE*>(list->Groups[i].Sid);
      return std::vector<BYTE>(bytes, bytes + length);
    }
  }
  size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> user(size);
  if (size == 0 || !GetTokenInformation(token, TokenUser, user.data(), size, &size)) return {};
  const PSID sid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
  const auto* bytes = static_cast<const BYTE*>(sid);
  return std::vector<BYTE>(bytes, bytes + GetLengthSid(sid));
}

// Adds an entry for the account to a window station's or desktop's access
// list. Only the account gains access: an object left open to everyone
// would let any program of the session drive the user's desktop.
bool grant_access(HANDLE object, std::vector<BYTE>& sid, DWORD rights) {
  SECURITY_INFORMATION wanted = DACL_SECURITY_INFORMATION;
  DWORD size = 0;
  GetUserObjectSecurity(object, &wanted, nullptr, 0, &size);
  std::vector<BYTE> current(std::max<DWORD>(size, sizeof(SECURITY_DESCRIPTOR)));
  if (!GetUserObjectSecurity(object, &wanted, current.data(), static_cast<DWORD>(current.size()), &size)) return false;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL current_list = nullptr;
  if (!GetSecurityDescriptorDacl(current.data(), &present, &current_list, &defaulted)) return false;

  EXPLICIT_ACCESS_A entry{};
  entry.grfAccessPermissions = rights;
  entry.grfAccessMode = GRANT_ACCESS;
  entry.grfInheritance = NO_INHERITANCE;
  entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  entry.Trustee.TrusteeType = TRUSTEE_IS_USER;
  entry.Trustee.ptstrName = reinterpret_cast<LPSTR>(sid.data());
  PACL widened = nullptr;
  if (SetEntriesInAclA(1, &entry, present ? current_list : nullptr, &widened) != ERROR_SUCCESS) return false;
  SECURITY_DESCRIPTOR descriptor{};
  const bool granted = InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                       SetSecurityDescriptorDacl(&descriptor, TRUE, widened, FALSE) &&
                       SetUserObjectSecurity(object, &wanted, &descriptor);
  LocalFree(widened);
  return granted;
}

std::int32_t finish(const PROCESS_INFORMATION& started, bool wait, const std::atomic<bool>* stop) {
  const platform::UniqueHandle process(started.hProcess);
  const platform::UniqueHandle thread(started.hThread);
  return platform::wait_for_process(process.get(), wait, stop);
}

std::int32_t run_as_current_user(std::string command_line, STARTUPINFOA& startup, std::string& environment,
                                 const RunAsRequest& request, const std::atomic<bool>* stop) {
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE,
                      environment.empty() ? nullptr : environment.data(), nullptr, &startup, &started))
    return -11;
  return finish(started, request.wait, stop);
}

std::int32_t run_as_account(std::string command_line, STARTUPINFOA& startup, std::string& environment,
                            const RunAsRequest& request, const std::atomic<bool>* stop) {
  HANDLE logon = nullptr;
  if (!LogonUserA(request.user.c_str(), request.domain.c_str(), request.password.c_str(), LOGON32_LOGON_INTERACTIVE,
                  LOGON32_PROVIDER_DEFAULT, &logon))
    return logon_failure(GetLastError());
  const platform::UniqueHandle token(logon);

  // The account's program shows on this desktop: the window station and the
  // desktop have to let it in.
  std::vector<BYTE> sid = account_sid(token.get());
  const std::string station_name = object_name(GetProcessWindowStation(), "WinSta0");
  const std::string desktop_name = object_name(GetThreadDesktop(GetCurrentThreadId()), "Default");
  HWINSTA station = OpenWindowStationA(station_name.c_str(), FALSE, READ_CONTROL | WRITE_DAC);
  const bool station_open = station != nullptr && !sid.empty() && grant_access(station, sid, WINSTA_ALL_ACCESS);
  if (station != nullptr) CloseWindowStation(station);
  if (!station_open) return -6;
  HDESK desktop = OpenDesktopA(desktop_name.c_str(), 0, FALSE, READ_CONTROL | WRITE_DAC);
  const bool desktop_open =
      desktop != nullptr && grant_access(desktop, sid, GENERIC_ALL | DESKTOP_CREATEWINDOW | DESKTOP_READOBJECTS);
  if (desktop != nullptr) CloseDesktop(desktop);
  if (!desktop_open) return -7;

  std::string station_and_desktop = station_name + "\\" + desktop_name;
  startup.lpDesktop = station_and_desktop.data();
  PROCESS_INFORMATION started{};
  if (!CreateProcessAsUserA(token.get(), nullptr, command_line.data(), nullptr, nullptr, FALSE,
                            CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP,
                            environment.empty() ? nullptr : environment.data(), nullptr, &startup, &started))
    return start_as_user_failure(GetLastError());
  return finish(started, request.wait, stop);
}

}  // namespace

int show_state_of(int number) {
  switch (number) {
    case 0: return SW_SHOW;
    case 1: return SW_HIDE;
    case 2: return SW_SHOWMAXIMIZED;
    case 3: return SW_SHOWMINIMIZED;
    case 4: return SW_SHOWMINNOACTIVE;
    default: return SW_HIDE;
  }
}

std::string environment_block(const std::string& lines) {
  if (lines.empty()) return {};
  std::string block;
  std::size_t start = 0;
  while (start <= lines.size()) {
    std::size_t end = lines.find('\n', start);
    if (end == std::string::npos) end = lines.size();
    std::string entry = lines.substr(start, end - start);
    if (!entry.empty() && entry.back() == '\r') entry.pop_back();
    // An empty entry would end the block early: the entries after it lost.
    if (!entry.empty()) {
      block += entry;
      block += '\0';
    }
    start = end + 1;
  }
  if (block.empty()) return {};
  block += '\0';
  return block;
}

std::int32_t run_as(const RunAsRequest& request, const std::atomic<bool>* stop) {
  std::string command_line = "\"" + request.program + "\" " + request.parameters;
  std::string environment = environment_block(request.environment);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(request.show);
  if (request.user.empty()) return run_as_current_user(command_line, startup, environment, request, stop);
  return run_as_account(command_line, startup, environment, request, stop);
}

}  // namespace qm
