#pragma once
// The memory Windows' security functions hand out, and the signatures of
// the functions themselves (bound with system_function). GetNamedSecurityInfoW and SetNamedSecurityInfoW are
// looked up at run time in the system folder's advapi32, so that a system
// without them (or a planted library beside the setup) changes nothing.

#include <windows.h>
#include <aclapi.h>

#include <cstddef>
#include <vector>

#include "platform/system_library.h"
#include "platform/unique_resource.h"

namespace qm::platform {

inline void release_local_memory(HLOCAL memory) { LocalFree(memory); }
// Security descriptors from GetNamedSecurityInfoW, texts from the
// conversion functions: memory released with LocalFree.
using UniqueLocalMemory = UniqueResource<NullIsNoneTraits<HLOCAL, release_local_memory>>;

using GetNamedSecurityInfoFunction = DWORD WINAPI(LPWSTR, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID*, PSID*, PACL*,
                                                  PACL*, PSECURITY_DESCRIPTOR*);
using SetNamedSecurityInfoFunction = DWORD WINAPI(LPWSTR, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID, PSID, PACL,
                                                  PACL);

// A SID held by value, whatever made it (a well-known SID, a token, an
// account lookup, a SID text).
using SidBytes = std::vector<BYTE>;

inline SidBytes copy_sid(PSID sid) {
  if (sid == nullptr || !IsValidSid(sid)) return {};
  SidBytes bytes(GetLengthSid(sid));
  if (!CopySid(static_cast<DWORD>(bytes.size()), bytes.data(), sid)) return {};
  return bytes;
}

inline PSID sid_of(SidBytes& bytes) { return bytes.empty() ? nullptr : bytes.data(); }

}  // namespace qm::platform
