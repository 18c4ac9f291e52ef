#include "platform/account.h"

#include <windows.h>

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

}  // namespace qm::platform
