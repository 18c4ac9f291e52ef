#include "tests/support/registry_keys.h"

#include <stdexcept>
#include <vector>

namespace qm::test {

namespace {

constexpr const char* kTestsKey = "Software\\QuillmoreTests";

HKEY open_key(HKEY root, REGSAM view, const std::string& path, REGSAM access) {
  HKEY key = nullptr;
  return RegOpenKeyExA(root, path.c_str(), 0, access | view, &key) == ERROR_SUCCESS ? key : nullptr;
}

}  // namespace

TestRegistryKeys::TestRegistryKeys(const std::string& name)
    : path_(std::string(kTestsKey) + "\\" + name + "-" + std::to_string(GetCurrentProcessId())) {
  // Leftovers of an earlier run that stopped half-way.
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) delete_key_tree(root, view, path_);
}

TestRegistryKeys::~TestRegistryKeys() {
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
      delete_key_tree(root, view, path_);
      RegDeleteKeyExA(root, kTestsKey, view, 0);  // only once no other test's key is left
    }
  }
}

std::string TestRegistryKeys::path(const std::string& subkey) const {
  return subkey.empty() ? path_ : path_ + "\\" + subkey;
}

void create_key(HKEY root, REGSAM view, const std::string& path) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    throw std::runtime_error("cannot create the key " + path);
  RegCloseKey(key);
}

void set_value(HKEY root, REGSAM view, const std::string& path, const std::string& name, DWORD type,
               const std::string& data) {
  create_key(root, view, path);
  HKEY key = open_key(root, view, path, KEY_SET_VALUE);
  const LONG status = RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                     static_cast<DWORD>(data.size()));
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) throw std::runtime_error("cannot write the value " + name);
}

void set_text(HKEY root, REGSAM view, const std::string& path, const std::string& name, const std::string& text) {
  set_value(root, view, path, name, REG_SZ, std::string(text.c_str(), text.size() + 1));
}

bool key_exists(HKEY root, REGSAM view, const std::string& path) {
  HKEY key = open_key(root, view, path, KEY_READ);
  if (key != nullptr) RegCloseKey(key);
  return key != nullptr;
}

std::optional<std::string> text_value(HKEY root, REGSAM view, const std::string& path, const std::string& name) {
  HKEY key = open_key(root, view, path, KEY_READ);
  if (key == nullptr) return std::nullopt;
  char buffer[1024] = {};
  DWORD size = sizeof buffer - 1, type = 0;
  const LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  return std::string(buffer);
}

bool value_exists(HKEY root, REGSAM view, const std::string& path, const std::string& name) {
  HKEY key = open_key(root, view, path, KEY_READ);
  if (key == nullptr) return false;
  const LONG status = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

void delete_key_tree(HKEY root, REGSAM view, const std::string& path) {
  HKEY key = open_key(root, view, path, KEY_READ);
  if (key == nullptr) return;
  std::vector<std::string> subkeys;
  char name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subkeys.emplace_back(name, length);
  }
  RegCloseKey(key);
  for (const std::string& subkey : subkeys) delete_key_tree(root, view, path + "\\" + subkey);
  RegDeleteKeyExA(root, path.c_str(), view, 0);
}

}  // namespace qm::test
