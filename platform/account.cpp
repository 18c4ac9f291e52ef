#include "platform/account.h"

#include <windows.h>

#include <vector>

#include "platform/unique_resource.h"

namespace qm::platform {

bool is_administrator() {
  SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
  PSID raw_sid = nullptr;
  if (!AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                0, 0, &raw_sid))
    return false;
  const UniqueSid administrators(raw_sid);
  BOOL member = FALSE;
  if (!CheckTokenMembership(nullptr, administrators.get(), &member)) member = FALSE;
  return member != FALSE;
}

AccountName process_account() {
  AccountName names;
  HANDLE raw_token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw_token)) return names;
  const UniqueHandle token(raw_token);
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return names;
  std::vector<DWORD> buffer((size + sizeof(DWORD) - 1) / sizeof(DWORD));
  if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return names;
  const PSID sid = reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid;
  DWORD user_size = 0;
  DWORD domain_size = 0;
  SID_NAME_USE use;
  LookupAccountSidA(nullptr, sid, nullptr, &user_size, nullptr, &domain_size, &use);
  if (user_size == 0) return names;
  std::string user(user_size, '\0');
  std::string domain(domain_size + 1, '\0');
  if (!LookupAccountSidA(nullptr, sid, user.data(), &user_size, domain.data(), &domain_size, &use)) return names;
  names.user = user.c_str();
  names.domain = domain.c_str();
  return names;
}

}  // namespace qm::platform
