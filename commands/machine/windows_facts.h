#pragma once
// What the machine queries need to know of Windows itself: its version and
// service pack, and who the user is.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

struct WindowsVersion {
  bool nt_family = false;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  int service_pack = 0;
};

// The version as GetVersionExA reports it; Windows 98 Second Edition, which
// reports 4.10 like Windows 98, is told apart by its build and given 4.11.
WindowsVersion windows_version();

// The largest n from 10 down to 1 whose decimal text occurs in the service
// pack text ("Service Pack 3" gives 3); 0 for none.
int service_pack_level(std::string_view service_pack_text);

// "NT4", "2000", "XP", "2003", "VISTA", "95", "98", "98SE", "ME" or "UNKNOWN".
std::string windows_name(const WindowsVersion& version);

// Whether (major, minor) reaches (want_major, want_minor).
bool version_reaches(const WindowsVersion& version, std::uint32_t want_major, std::uint32_t want_minor);

// Built-in groups by their relative identifier under S-1-5-32.
inline constexpr DWORD kAdministratorsGroup = DOMAIN_ALIAS_RID_ADMINS;   // 544
inline constexpr DWORD kUsersGroup = DOMAIN_ALIAS_RID_USERS;             // 545
inline constexpr DWORD kGuestsGroup = DOMAIN_ALIAS_RID_GUESTS;           // 546
inline constexpr DWORD kPowerUsersGroup = DOMAIN_ALIAS_RID_POWER_USERS;  // 547

// Whether the thread's token (the process's when the thread has none) lists
// the built-in group, enabled or not. Before NT there were no groups: only
// the administrators test holds there.
bool is_member_of_builtin_group(const WindowsVersion& version, DWORD group);

// The account and domain names of the process's user; empty when Windows
// will not tell. Before NT there is a user name but no domain.
struct AccountNames {
  std::string user;
  std::string domain;
};
AccountNames process_account_names(const WindowsVersion& version);

}  // namespace qm
