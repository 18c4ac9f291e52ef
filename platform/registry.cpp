#include "platform/registry.h"

#include <vector>

#include "platform/windows_error.h"

namespace qm::platform {

namespace {

REGSAM with_view(REGSAM access, RegistryView view) {
  switch (view) {
    case RegistryView::k32: return access | KEY_WOW64_32KEY;
    case RegistryView::k64: return access | KEY_WOW64_64KEY;
    case RegistryView::kDefault: break;
  }
  return access;
}

DWORD view_bit(RegistryView view) { return with_view(0, view); }

// RegDeleteKeyExA, which names the view of the key to delete, exists from
// 64-bit Windows XP on; older systems have one registry and RegDeleteKeyA.
LONG delete_key(HKEY parent, const char* name, RegistryView view) {
  using DeleteKeyExFunction = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);
  static const auto delete_key_ex = reinterpret_cast<DeleteKeyExFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExA")));
  if (view == RegistryView::kDefault || delete_key_ex == nullptr) return RegDeleteKeyA(parent, name);
  return delete_key_ex(parent, name, view_bit(view), 0);
}

// Deleting from the last index down leaves the indexes still to visit valid.
void delete_subkeys(HKEY key, RegistryView view) {
  DWORD count = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr) != ERROR_SUCCESS)
    return;
  for (DWORD index = count; index-- > 0;) {
    char name[256];  // a key name has at most 255 characters
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) continue;
    if (const RegistryKey subkey = RegistryKey::open(key, name, KEY_READ | KEY_WRITE, view); subkey.valid())
      delete_subkeys(subkey.get(), view);
    delete_key(key, name, view);
  }
}

}  // namespace

RegistryKey RegistryKey::open(HKEY root, const std::string& path, REGSAM access, RegistryView view) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, with_view(access, view), &key) != ERROR_SUCCESS) return {};
  return RegistryKey(key);
}

RegistryKey RegistryKey::create(HKEY root, const std::string& path, REGSAM access, RegistryView view) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, with_view(access, view), nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return {};
  return RegistryKey(key);
}

std::optional<std::string> RegistryKey::read_string(const std::string& name) const {
  if (!valid()) return std::nullopt;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  std::vector<char> buffer(size + 1, '\0');
  if (RegQueryValueExA(get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  buffer[std::min<std::size_t>(size, buffer.size() - 1)] = '\0';
  return std::string(buffer.data());  // stops at the terminating zero, stored or not
}

std::optional<RegistryValue> RegistryKey::read_value(const std::string& name) const {
  if (!valid()) return std::nullopt;
  RegistryValue value;
  DWORD size = 0;
  LONG status = RegQueryValueExA(get(), name.c_str(), nullptr, &value.type, nullptr, &size);
  // The value may grow between asking for its size and reading it.
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    value.data.resize(size);
    status = RegQueryValueExA(get(), name.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(value.data.data()),
                              &size);
    if (status == ERROR_SUCCESS) {
      value.data.resize(size);
      return value;
    }
  }
  if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
  throw WindowsError("Unable to read the registry value \"" + name + "\"", static_cast<std::uint32_t>(status));
}

bool RegistryKey::write_string(const std::string& name, const std::string& value) const {
  return valid() && RegSetValueExA(get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool RegistryKey::delete_value(const std::string& name) const {
  return valid() && RegDeleteValueA(get(), name.c_str()) == ERROR_SUCCESS;
}

std::vector<std::string> RegistryKey::value_names() const {
  std::vector<std::string> names;
  if (!valid()) return names;
  for (DWORD index = 0;; ++index) {
    // A value name is at most 16,383 characters.
    char name[16384];
    DWORD length = sizeof name;
    const LONG result = RegEnumValueA(get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

bool delete_registry_key(HKEY parent, const std::string& name, RegistryView view) {
  return delete_key(parent, name.c_str(), view) == ERROR_SUCCESS;
}

bool delete_registry_tree(HKEY root, const std::string& path, RegistryView view) {
  {
    const RegistryKey key = RegistryKey::open(root, path, KEY_READ | KEY_WRITE, view);
    if (!key.valid()) return false;
    delete_subkeys(key.get(), view);
  }
  return delete_registry_key(root, path, view);
}

}  // namespace qm::platform
