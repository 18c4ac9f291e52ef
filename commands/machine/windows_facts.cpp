#include "commands/machine/windows_facts.h"

#include <vector>

#include "platform/account.h"
#include "platform/unique_resource.h"

namespace qm {

namespace {

// The build GetVersionExA reports for Windows 98 Second Edition (and later).
constexpr DWORD kSecondEditionBuild = 0x040A08AE;

// Large enough for the groups of any token; read in one call.
constexpr DWORD kTokenGroupsBufferSize = 102400;

platform::UniqueHandle query_token() {
  HANDLE token = nullptr;
  if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) return platform::UniqueHandle(token);
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return platform::UniqueHandle(token);
  return {};
}

}  // namespace

WindowsVersion windows_version() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  WindowsVersion version;
  if (!GetVersionExA(&info)) return version;
  version.nt_family = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  if (!version.nt_family && version.major == 4 && version.minor == 10 && info.dwBuildNumber >= kSecondEditionBuild)
    version.minor = 11;
  version.service_pack = service_pack_level(info.szCSDVersion);
  return version;
}

int service_pack_level(std::string_view service_pack_text) {
  for (int level = 10; level >= 1; --level)
    if (service_pack_text.find(std::to_string(level)) != std::string_view::npos) return level;
  return 0;
}

std::string windows_name(const WindowsVersion& version) {
  const auto is = [&](std::uint32_t major, std::uint32_t minor) {
    return version.major == major && version.minor == minor;
  };
  if (version.nt_family) {
    if (is(4, 0)) return "NT4";
    if (is(5, 0)) return "2000";
    if (is(5, 1)) return "XP";
    if (is(5, 2)) return "2003";
    if (is(6, 0)) return "VISTA";
  } else {
    if (is(4, 0)) return "95";
    if (is(4, 10)) return "98";
    if (is(4, 11)) return "98SE";
    if (is(4, 90)) return "ME";
  }
  return "UNKNOWN";
}

bool version_reaches(const WindowsVersion& version, std::uint32_t want_major, std::uint32_t want_minor) {
  return version.major > want_major || (version.major == want_major && version.minor >= want_minor);
}

bool is_member_of_builtin_group(const WindowsVersion& version, DWORD group) {
  if (!version.nt_family) return group == kAdministratorsGroup;
  const platform::UniqueHandle token = query_token();
  if (!token) return false;
  // DWORD elements keep the buffer aligned for the TOKEN_GROUPS read into it.
  std::vector<DWORD> buffer(kTokenGroupsBufferSize / sizeof(DWORD));
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenGroups, buffer.data(), kTokenGroupsBufferSize, &size)) return false;
  SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
  PSID raw_sid = nullptr;
  if (!AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID, group, 0, 0, 0, 0, 0, 0, &raw_sid))
    return false;
  const platform::UniqueSid wanted(raw_sid);
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  for (DWORD i = 0; i < groups->GroupCount; ++i)
    if (EqualSid(groups->Groups[i].Sid, wanted.get())) return true;
  return false;
}

AccountNames process_account_names(const WindowsVersion& version) {
  AccountNames names;
  if (!version.nt_family) {
    char user[261] = {};
    DWORD size = sizeof user;
    if (GetUserNameA(user, &size)) names.user = user;
    return names;
  }
  const platform::AccountName account = platform::process_account();
  names.user = account.user;
  names.domain = account.domain;
  return names;
}

}  // namespace qm
