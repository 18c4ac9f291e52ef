#pragma once
// Registry keys as move-only owners, with the registry view as an explicit
// part of every open.

#include <windows.h>

#include <optional>
#include <string>

#include "platform/unique_resource.h"

namespace qm::platform {

enum class RegistryView { kDefault, k32, k64 };

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
  bool write_string(const std::string& name, const std::string& value) const;
  bool delete_value(const std::string& name) const;

 private:
  explicit RegistryKey(HKEY key) : key_(key) {}

  UniqueRegistryKey key_;
};

}  // namespace qm::platform
