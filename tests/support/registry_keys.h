#pragma once
// Registry keys for tests, made, read and removed with the registry view
// named on every call (KEY_WOW64_32KEY or KEY_WOW64_64KEY), independently of
// the engine's own registry code.
//
// TestRegistryKeys owns one key per test, "Software\QuillmoreTests\<name>-
// <process id>", under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE: at the end it
// removes that key with everything below it from both roots in both views.
// HKEY_LOCAL_MACHINE\Software is redirected under WOW64 (each view has its
// own keys); HKEY_CURRENT_USER\Software is shared by both views.

#include <windows.h>

#include <optional>
#include <string>

namespace qm::test {

class TestRegistryKeys {
 public:
  explicit TestRegistryKeys(const std::string& name);
  ~TestRegistryKeys();
  TestRegistryKeys(const TestRegistryKeys&) = delete;
  TestRegistryKeys& operator=(const TestRegistryKeys&) = delete;

  // The key's path under its root, without a leading backslash.
  const std::string& path() const { return path_; }
  // path() + "\" + `subkey`; path() for an empty `subkey`.
  std::string path(const std::string& subkey) const;

 private:
  std::string path_;
};

// Creates the key (and those above it) in `view`.
void create_key(HKEY root, REGSAM view, const std::string& path);
// Writes a value of any type, creating the key when needed.
void set_value(HKEY root, REGSAM view, const std::string& path, const std::string& name, DWORD type,
               const std::string& data);
void set_text(HKEY root, REGSAM view, const std::string& path, const std::string& name, const std::string& text);

bool key_exists(HKEY root, REGSAM view, const std::string& path);
// A REG_SZ value's text; nothing when the key or the value is missing.
std::optional<std::string> text_value(HKEY root, REGSAM view, const std::string& path, const std::string& name);
bool value_exists(HKEY root, REGSAM view, const std::string& path, const std::string& name);

// Removes the key with everything below it from `view`.
void delete_key_tree(HKEY root, REGSAM view, const std::string& path);

}  // namespace qm::test
