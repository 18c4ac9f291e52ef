#pragma once
// Registry keys as move-only owners, with the registry view as an explicit
// part of every open.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/registry_view.h"
#include "platform/unique_resource.h"

namespace qm::platform {

// A value as the registry stores it: its type and its bytes.
struct RegistryValue {
  DWORD type = REG_NONE;
  std::string data;
};

class RegistryKey {
 public:
  RegistryKey() = default;

  // Opens an existing key; an invalid key when it cannot be opened.
  static RegistryKey open(HKEY root, const std::string& path, REGSAM access,
                          RegistryView view = RegistryView::kDefault);
  // Opens the key, creating it (and the keys above it) when missing.
  static RegistryKey create(HKEY root, const std::string& path, REGSAM access,
                            RegistryView view = RegistryView::kDefault);

  bool valid() const { return key_.valid(); }
  HKEY get() const { return key_.get(); }

  // A string value (REG_SZ or REG_EXPAND_SZ, not expanded); nothing when missing.
  std::optional<std::string> read_string(const std::string& name) const;
  // Any value with its type; nothing when it does not exist. A value that
  // exists but cannot be read throws WindowsError.
  std::optional<RegistryValue> read_value(const std::string& name) const;
  bool write_string(const std::string& name, const std::string& value) const;
  bool delete_value(const std::string& name) const;
  // The names of the key's values, as far as they can be listed.
  std::vector<std::string> value_names() const;

 private:
  explicit RegistryKey(HKEY key) : key_(key) {}

  UniqueRegistryKey key_;
};

// Deletes the subkey `name` of `parent` as `view` sees it. Only a key without
// subkeys can be deleted. True when it is gone.
bool delete_registry_key(HKEY parent, const std::string& name, RegistryView view);

// Deletes the key at `path` under `root` with everything below it, deepest
// keys first. Keys that cannot be deleted (access denied) stay, and so do the
// keys above them. True when the key is gone.
bool delete_registry_tree(HKEY root, const std::string& path, RegistryView view);

}  // namespace qm::platform
