#include "tests/commands/security/access_list_probe.h"

#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <sstream>

namespace qm::test {

namespace {

std::string sid_text(PSID sid) {
  char* text = nullptr;
  if (!ConvertSidToStringSidA(sid, &text)) return "?";
  std::string result = text;
  LocalFree(text);
  return result;
}

std::string hex(unsigned long value) {
  char text[16];
  std::snprintf(text, sizeof text, "%lX", value);
  return text;
}

}  // namespace

std::string describe_entry(const ACE_HEADER* entry) {
  const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(entry);
  std::string kind = entry->AceType == ACCESS_ALLOWED_ACE_TYPE  ? "allow"
                     : entry->AceType == ACCESS_DENIED_ACE_TYPE ? "deny"
                                                                : "type" + std::to_string(entry->AceType);
  return sid_text(const_cast<DWORD*>(&ace->SidStart)) + " " + kind + " " + hex(ace->Mask) + " " +
         hex(entry->AceFlags);
}

AccessEntries describe_list(const ACL* list, bool present) {
  if (!present || list == nullptr) return {"none"};
  AccessEntries entries;
  for (DWORD i = 0; i < list->AceCount; ++i) {
    void* ace = nullptr;
    if (GetAce(const_cast<ACL*>(list), i, &ace)) entries.push_back(describe_entry(static_cast<ACE_HEADER*>(ace)));
  }
  return entries;
}

std::optional<AccessEntries> key_access(HKEY root, REGSAM view, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, READ_CONTROL | view, &key) != ERROR_SUCCESS) return std::nullopt;
  DWORD size = 0;
  RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
  std::vector<BYTE> descriptor(size ? size : 1);
  const LONG read = RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor.data(), &size);
  RegCloseKey(key);
  if (read != ERROR_SUCCESS) return std::nullopt;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL list = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor.data(), &present, &list, &defaulted)) return std::nullopt;
  return describe_list(list, present != FALSE);
}

bool set_key_access(HKEY root, REGSAM view, const std::string& path, const ACL* list) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, WRITE_DAC | view, &key) != ERROR_SUCCESS) return false;
  SECURITY_DESCRIPTOR descriptor;
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&descriptor, TRUE, const_cast<ACL*>(list), FALSE);
  const LONG written = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
  RegCloseKey(key);
  return written == ERROR_SUCCESS;
}

std::optional<AccessEntries> file_access(const std::string& path) {
  PACL list = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &list,
                            nullptr, &descriptor) != ERROR_SUCCESS)
    return std::nullopt;
  AccessEntries entries = describe_list(list, list != nullptr);
  LocalFree(descriptor);
  return entries;
}

std::vector<BYTE> make_list(const std::vector<std::string>& entries) {
  std::vector<BYTE> bytes(1024);
  auto* list = reinterpret_cast<ACL*>(bytes.data());
  InitializeAcl(list, static_cast<DWORD>(bytes.size()), ACL_REVISION);
  for (const std::string& entry : entries) {
    std::istringstream words(entry.substr(1));
    std::string sid_text;
    unsigned long mask = 0;
    unsigned flags = 0;
    words >> sid_text >> std::hex >> mask >> flags;
    PSID sid = nullptr;
    ConvertStringSidToSidA(sid_text.c_str(), &sid);
    if (entry[0] == '+')
      AddAccessAllowedAceEx(list, ACL_REVISION, flags, mask, sid);
    else
      AddAccessDeniedAceEx(list, ACL_REVISION, flags, mask, sid);
    LocalFree(sid);
  }
  return bytes;
}

std::string process_user_sid_text() {
  HANDLE token = nullptr;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
  BYTE buffer[256];
  DWORD size = sizeof buffer;
  GetTokenInformation(token, TokenUser, buffer, size, &size);
  CloseHandle(token);
  return sid_text(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
}

}  // namespace qm::test
