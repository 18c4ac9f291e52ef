#include "platform/registry.h"

#include <vector>

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

bool RegistryKey::write_string(const std::string& name, const std::string& value) const {
  return valid() && RegSetValueExA(get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool RegistryKey::delete_value(const std::string& name) const {
  return valid() && RegDeleteValueA(get(), name.c_str()) == ERROR_SUCCESS;
}

}  // namespace qm::platform
