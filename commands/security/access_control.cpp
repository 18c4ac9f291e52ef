// Handler of "Set Access Control": access granted to accounts on a file or
// folder, share, registry key, service or printer, or the object's access
// list reset. The security functions are bound at run time from the system
// folder's advapi32. Nothing is reported: an object that cannot be read or
// written, or an account that cannot be found, leaves the object as it was.

#include <windows.h>
#include <aclapi.h>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "commands/security/security_object_name.h"
#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "platform/security_descriptor.h"
#include "platform/unique_resource.h"
#include "platform/wide_text.h"
#include "script/path_text.h"
#include "script/truth_text.h"

namespace qm {

namespace {

using platform::SidBytes;

constexpr DWORD kReadAndExecute = 0x1200A9;
constexpr DWORD kFullControl = 0x1F01FF;
constexpr DWORD kPrint = 0x20008;
constexpr DWORD kPrinterFullControl = 0xF000C;  // PRINTER_ALL_ACCESS
constexpr DWORD kJobFullControl = 0xF0010;      // JOB_ALL_ACCESS
constexpr BYTE kInheritedByAll = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
constexpr BYTE kInheritedByJobsOnly = OBJECT_INHERIT_ACE | INHERIT_ONLY_ACE;

struct AccessEntry {
  DWORD mask;
  BYTE flags;
};

// Fields 12 to 16 in order: the last true one names the kind of object.
struct ObjectKind {
  std::size_t field;
  SE_OBJECT_TYPE type;
};
constexpr ObjectKind kObjectKinds[] = {
    {12, SE_FILE_OBJECT}, {13, SE_LMSHARE}, {14, SE_REGISTRY_KEY}, {15, SE_SERVICE}, {16, SE_PRINTER},
};

std::vector<AccessEntry> read_grant(SE_OBJECT_TYPE type) {
  if (type == SE_PRINTER) return {{kPrint, 0}};
  return {{kReadAndExecute, kInheritedByAll}};
}

std::vector<AccessEntry> full_grant(SE_OBJECT_TYPE type) {
  if (type == SE_PRINTER) return {{kPrinterFullControl, 0}, {kJobFullControl, kInheritedByJobsOnly}};
  return {{kFullControl, kInheritedByAll}};
}

// The SID an entry of the list names; null for entry kinds that name none.
PSID entry_sid(const ACE_HEADER* ace) {
  std::size_t offset = 0;
  switch (ace->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_DENIED_ACE_TYPE:
    case SYSTEM_AUDIT_ACE_TYPE:
    case SYSTEM_ALARM_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
    case ACCESS_DENIED_CALLBACK_ACE_TYPE:
      offset = offsetof(ACCESS_ALLOWED_ACE, SidStart);
      break;
    case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
    case ACCESS_DENIED_OBJECT_ACE_TYPE:
    case SYSTEM_AUDIT_OBJECT_ACE_TYPE:
    case SYSTEM_ALARM_OBJECT_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
    case ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE: {
      const auto* object_ace = reinterpret_cast<const ACCESS_ALLOWED_OBJECT_ACE*>(ace);
      offset = offsetof(ACCESS_ALLOWED_OBJECT_ACE, ObjectType);
      if (object_ace->Flags & ACE_OBJECT_TYPE_PRESENT) offset += sizeof(GUID);
      if (object_ace->Flags & ACE_INHERITED_OBJECT_TYPE_PRESENT) offset += sizeof(GUID);
      break;
    }
    default:
      return nullptr;
  }
  if (offset + sizeof(SID) > ace->AceSize) return nullptr;
  auto* sid = reinterpret_cast<PSID>(const_cast<BYTE*>(reinterpret_cast<const BYTE*>(ace) + offset));
  return IsValidSid(sid) && offset + GetLengthSid(sid) <= ace->AceSize ? sid : nullptr;
}

// An object's discretionary access list as the command edits it: its
// entries, or none at all (a null list, which grants everyone everything).
class AccessList {
 public:
  AccessList() = default;
  explicit AccessList(const ACL* acl) : present_(acl != nullptr) {
    if (acl == nullptr) return;
    revision_ = std::max<BYTE>(acl->AclRevision, ACL_REVISION);
    for (DWORD i = 0; i < acl->AceCount; ++i) {
      void* ace = nullptr;
      if (!GetAce(const_cast<ACL*>(acl), i, &ace)) continue;
      const auto* header = static_cast<const ACE_HEADER*>(ace);
      const BYTE* bytes = static_cast<const BYTE*>(ace);
      entries_.emplace_back(bytes, bytes + header->AceSize);
    }
  }

  static AccessList empty() {
    AccessList list;
    list.present_ = true;
    return list;
  }
  static AccessList none() { return AccessList(); }

  bool present() const { return present_; }

  void remove_entries_of(PSID account) {
    std::erase_if(entries_, [account](const std::vector<BYTE>& entry) {
      const PSID sid = entry_sid(reinterpret_cast<const ACE_HEADER*>(entry.data()));
      return sid != nullptr && EqualSid(sid, account);
    });
  }

  // Appended at the end, after every entry the list has.
  void append_allowed(PSID account, const AccessEntry& access) {
    const DWORD size = offsetof(ACCESS_ALLOWED_ACE, SidStart) + GetLengthSid(account);
    std::vector<BYTE> entry(size);
    auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(entry.data());
    ace->Header.AceType = ACCESS_ALLOWED_ACE_TYPE;
    ace->Header.AceFlags = access.flags;
    ace->Header.AceSize = static_cast<WORD>(size);
    ace->Mask = access.mask;
    CopySid(GetLengthSid(account), &ace->SidStart, account);
    entries_.push_back(std::move(entry));
    present_ = true;
  }

  // The list in the form Windows takes; nothing when it does not fit an ACL.
  std::optional<std::vector<BYTE>> acl_bytes() const {
    std::size_t size = sizeof(ACL);
    for (const auto& entry : entries_) size += entry.size();
    if (size > 0xFFFC) return std::nullopt;
    std::vector<BYTE> bytes(size);
    auto* acl = reinterpret_cast<ACL*>(bytes.data());
    if (!InitializeAcl(acl, static_cast<DWORD>(size), revision_)) return std::nullopt;
    for (const auto& entry : entries_) {
      std::vector<BYTE> copy = entry;
      if (!AddAce(acl, revision_, MAXDWORD, copy.data(), static_cast<DWORD>(copy.size()))) return std::nullopt;
    }
    return bytes;
  }

 private:
  bool present_ = false;
  BYTE revision_ = ACL_REVISION;
  std::vector<std::vector<BYTE>> entries_;
};

using GetSecurityInfoFunction = DWORD WINAPI(HANDLE, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID*, PSID*, PACL*, PACL*,
                                             PSECURITY_DESCRIPTOR*);
using SetSecurityInfoFunction = DWORD WINAPI(HANDLE, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID, PSID, PACL, PACL);

// The roots as the security functions name them.
std::optional<HKEY> registry_root(const std::string& security_name) {
  const std::string root = security_name.substr(0, security_name.find('\\'));
  if (root == "MACHINE") return HKEY_LOCAL_MACHINE;
  if (root == "USERS") return HKEY_USERS;
  if (root == "CURRENT_USER") return HKEY_CURRENT_USER;
  if (root == "CONFIG") return HKEY_CURRENT_CONFIG;
  if (root == "CLASSES_ROOT") return HKEY_CLASSES_ROOT;
  return std::nullopt;
}

// The object named by the line, with the access list it had when opened.
// Objects are reached by name, except registry keys of the 64-bit registry:
// a 32-bit process names only its own registry, so those keys are opened in
// the 64-bit view and reached by handle.
class SecurityObject {
 public:
  SecurityObject(const std::string& name, SE_OBJECT_TYPE type, platform::RegistryView view)
      : name_(platform::wide_from_ansi(name)), type_(type) {
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD result = ERROR_INVALID_FUNCTION;
    if (type == SE_REGISTRY_KEY && view == platform::RegistryView::k64) {
      get_by_handle_ = platform::system_function<GetSecurityInfoFunction>("advapi32.dll", "GetSecurityInfo");
      set_by_handle_ = platform::system_function<SetSecurityInfoFunction>("advapi32.dll", "SetSecurityInfo");
      key_ = open_64_bit_key(name);
      if (get_by_handle_ == nullptr || set_by_handle_ == nullptr || !key_) return;
      result = get_by_handle_(key_.get(), type_, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl, nullptr,
                              &descriptor);
    } else {
      get_by_name_ = platform::system_function<platform::GetNamedSecurityInfoFunction>("advapi32.dll",
                                                                                       "GetNamedSecurityInfoW");
      set_by_name_ = platform::system_function<platform::SetNamedSecurityInfoFunction>("advapi32.dll",
                                                                                       "SetNamedSecurityInfoW");
      if (get_by_name_ == nullptr || set_by_name_ == nullptr) return;
      result = get_by_name_(name_.data(), type_, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl, nullptr,
                            &descriptor);
    }
    if (result != ERROR_SUCCESS) return;
    const platform::UniqueLocalMemory owned(descriptor);
    list_ = AccessList(acl);
    opened_ = true;
  }

  bool opened() const { return opened_; }
  AccessList& list() { return list_; }

  // Failures leave the object as it was; the command goes on regardless.
  void write(const AccessList& list) {
    if (!opened_) return;
    std::optional<std::vector<BYTE>> bytes;
    if (list.present()) {
      bytes = list.acl_bytes();
      if (!bytes) return;
    }
    PACL acl = bytes ? reinterpret_cast<PACL>(bytes->data()) : nullptr;
    if (key_)
      set_by_handle_(key_.get(), type_, DACL_SECURITY_INFORMATION, nullptr, nullptr, acl, nullptr);
    else
      set_by_name_(name_.data(), type_, DACL_SECURITY_INFORMATION, nullptr, nullptr, acl, nullptr);
  }

 private:
  static platform::UniqueRegistryKey open_64_bit_key(const std::string& security_name) {
    const std::optional<HKEY> root = registry_root(security_name);
    if (!root) return {};
    const std::size_t slash = security_name.find('\\');
    const std::wstring path =
        platform::wide_from_ansi(slash == std::string::npos ? std::string() : security_name.substr(slash + 1));
    HKEY key = nullptr;
    if (RegOpenKeyExW(*root, path.c_str(), 0, READ_CONTROL | WRITE_DAC | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS &&
        RegOpenKeyExW(*root, path.c_str(), 0, READ_CONTROL | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
      return {};
    return platform::UniqueRegistryKey(key);
  }

  std::wstring name_;
  SE_OBJECT_TYPE type_;
  platform::GetNamedSecurityInfoFunction* get_by_name_ = nullptr;
  platform::SetNamedSecurityInfoFunction* set_by_name_ = nullptr;
  GetSecurityInfoFunction* get_by_handle_ = nullptr;
  SetSecurityInfoFunction* set_by_handle_ = nullptr;
  platform::UniqueRegistryKey key_;
  AccessList list_;
  bool opened_ = false;
};

SidBytes well_known_sid(SID_IDENTIFIER_AUTHORITY authority, DWORD rid) {
  PSID sid = nullptr;
  if (!AllocateAndInitializeSid(&authority, 1, rid, 0, 0, 0, 0, 0, 0, 0, &sid)) return {};
  const platform::UniqueSid owned(sid);
  return platform::copy_sid(sid);
}

SidBytes process_user_sid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  const platform::UniqueHandle owned(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size < sizeof(TOKEN_USER)) return {};
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
  return platform::copy_sid(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
}

SidBytes sid_from_text(const SidText& text) {
  SID_IDENTIFIER_AUTHORITY authority{{0, 0, 0, 0, 0, text.authority}};
  DWORD sub[8] = {};
  std::copy(text.sub_authorities.begin(), text.sub_authorities.end(), sub);
  PSID sid = nullptr;
  if (!AllocateAndInitializeSid(&authority, static_cast<BYTE>(text.sub_authorities.size()), sub[0], sub[1], sub[2],
                                sub[3], sub[4], sub[5], sub[6], sub[7], &sid))
    return {};
  const platform::UniqueSid owned(sid);
  return platform::copy_sid(sid);
}

// An account named by the script: a SID text, or a name Windows looks up.
// An empty name is no account (looked up, it would name the machine's
// domain, to which no one means to grant anything).
SidBytes named_account_sid(const std::string& name) {
  if (name.empty()) return {};
  if (const std::optional<SidText> text = parse_sid_text(name)) return sid_from_text(*text);
  DWORD sid_size = 0;
  DWORD domain_size = 0;
  SID_NAME_USE use{};
  LookupAccountNameA(nullptr, name.c_str(), nullptr, &sid_size, nullptr, &domain_size, &use);
  if (sid_size == 0) return {};
  SidBytes sid(sid_size);
  std::string domain(domain_size + 1, '\0');
  if (!LookupAccountNameA(nullptr, name.c_str(), sid.data(), &sid_size, domain.data(), &domain_size, &use))
    return {};
  return sid;
}

bool truth(const Engine& engine, const ScriptLine& line, std::size_t n) {
  return is_true(normalized_field(engine, line, n));
}

// The accounts of fields 2 to 5, in that order, for those that are true.
std::vector<SidBytes> chosen_accounts(const Engine& engine, const ScriptLine& line, const std::string& account_name) {
  std::vector<SidBytes> accounts;
  if (truth(engine, line, 2)) accounts.push_back(well_known_sid(SECURITY_WORLD_SID_AUTHORITY, SECURITY_WORLD_RID));
  if (truth(engine, line, 3)) accounts.push_back(process_user_sid());
  if (truth(engine, line, 4))
    accounts.push_back(well_known_sid(SECURITY_NT_AUTHORITY, SECURITY_AUTHENTICATED_USER_RID));
  if (truth(engine, line, 5)) accounts.push_back(named_account_sid(account_name));
  return accounts;
}

std::optional<SE_OBJECT_TYPE> object_kind(const Engine& engine, const ScriptLine& line) {
  std::optional<SE_OBJECT_TYPE> kind;
  for (const ObjectKind& candidate : kObjectKinds)
    if (truth(engine, line, candidate.field)) kind = candidate.type;
  return kind;
}

// Each access written replaces what the account had: its old entries go
// first. The list is written after the read grant and after the full grant,
// whether or not either was asked for.
void grant_access(const Engine& engine, const ScriptLine& line, SecurityObject& object, SE_OBJECT_TYPE type,
                  const std::string& account_name) {
  const bool read = truth(engine, line, 7);
  const bool full = truth(engine, line, 8);
  for (SidBytes& account : chosen_accounts(engine, line, account_name)) {
    const PSID sid = platform::sid_of(account);
    if (sid == nullptr) continue;
    for (const auto& [asked, entries] : {std::pair{read, read_grant(type)}, std::pair{full, full_grant(type)}}) {
      if (asked) {
        object.list().remove_entries_of(sid);
        for (const AccessEntry& entry : entries) object.list().append_allowed(sid, entry);
      }
      object.write(object.list());
    }
  }
}

// The list is written as it was first, as an empty list when the object had
// none, and then in its final form: empty (only the owner may then change
// it) or none (everyone has full access).
void reset_access(const Engine& engine, const ScriptLine& line, SecurityObject& object) {
  const bool to_empty = truth(engine, line, 10);
  if (!to_empty && !truth(engine, line, 11)) return;
  object.write(object.list().present() ? object.list() : AccessList::empty());
  object.write(AccessList::none());
  if (!to_empty) return;
  object.write(AccessList::empty());
  object.write(AccessList::empty());
}

std::string security_name(const std::string& name, SE_OBJECT_TYPE type) {
  return type == SE_REGISTRY_KEY ? registry_security_name(name) : name;
}

}  // namespace

// "Set Access Control" — field 1: the object's name; fields 2-5 (truth):
// Everyone, the current user, Authenticated Users, the account of field 6 (a
// name or a SID text); field 7: grant read and execute; field 8: grant full
// control; field 9: grant (true) or reset (false); field 10: reset to an
// empty list; field 11: reset to no list; fields 12-16: the object is a file
// or folder, share, registry key, service or printer (the last true one
// wins). Fields 1 and 6 are translated; all are substituted and normalized.
// Registry keys are seen in the registry of the target platform.
void set_access_control_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard redirection(engine);
  const RegistryViewGuard view(engine);
  const std::string name = normalize_path_text(translated_field(engine, line, 1, 1));
  const std::string account_name = normalize_path_text(translated_field(engine, line, 6, 2));
  const std::optional<SE_OBJECT_TYPE> kind = object_kind(engine, line);
  if (!kind) return;
  SecurityObject object(security_name(name, *kind), *kind, engine.registry_view);
  if (!object.opened()) return;
  if (truth(engine, line, 9))
    grant_access(engine, line, object, *kind, account_name);
  else
    reset_access(engine, line, object);
}

}  // namespace qm
