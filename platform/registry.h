#pragma once
// Registry keys as move-only owners, with the registry view as an explicit
// part of every open.

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

namespace qm::platform {

enum class RegistryView { kDefault, k32, k64 };

class RegistryKey {
 public:
  RegistryKey() = default;
  RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
  RegistryKey& operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
      close();
      key_ = std::exchange(other.key_, nullptr);
    }
    return *this;
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ~RegistryKey() { close(); }

  // Opens an existing key; an invalid key when it cannot be opened.
  static RegistryKey open(HKEY root, const std::string& path, REGSAM access,
                          RegistryView view = RegistryView::kDefault);
  // Opens the key, creating it (and the keys above it) when missing.
  static RegistryKey create(HKEY root, const std::string& path, REGSAM access,
                            RegistryView view = RegistryView::kDefault);

  bool valid() const { return key_ != nullptr; }
  HKEY get() const { return key_; }

  // A string value (REG_SZ or REG_EXPAND_SZ, not expanded); nothing when missing.
  std::optional<std::string> read_string(const std::string& name) const;
  bool write_string(const std::string& name, const std::string& value) const;
  bool delete_value(const std::string& name) const;

 private:
  explicit RegistryKey(HKEY key) : key_(key) {}
  void close();

  HKEY key_ = nullptr;
};

}  // namespace qm::platform
