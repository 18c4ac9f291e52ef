#pragma once
// A registry value of the test prefix's own Windows changed for one test and
// put back as it was at the end: the value, and the key when the test made it.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/registry_keys.h"

namespace qm::test {

class RegistryOverride {
 public:
  RegistryOverride(HKEY root, REGSAM view, std::string path, std::string name)
      : root_(root), view_(view), path_(std::move(path)), name_(std::move(name)),
        key_existed_(key_exists(root_, view_, path_)), first_missing_key_(first_missing_key()) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root_, path_.c_str(), 0, KEY_READ | view_, &key) != ERROR_SUCCESS) return;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name_.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
      std::string data(size, '\0');
      if (RegQueryValueExA(key, name_.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
          ERROR_SUCCESS)
        saved_ = Saved{type, data.substr(0, size)};
    }
    RegCloseKey(key);
  }
  ~RegistryOverride() {
    if (!key_existed_) {
      delete_key_tree(root_, view_, first_missing_key_);
      return;
    }
    if (saved_) {
      set_value(root_, view_, path_, name_, saved_->type, saved_->data);
    } else {
      remove();
    }
  }
  RegistryOverride(const RegistryOverride&) = delete;
  RegistryOverride& operator=(const RegistryOverride&) = delete;

  void set_text(const std::string& text) const { test::set_text(root_, view_, path_, name_, text); }
  void set_dword(DWORD number) const {
    set_value(root_, view_, path_, name_, REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4));
  }
  void remove() const {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root_, path_.c_str(), 0, KEY_SET_VALUE | view_, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, name_.c_str());
    RegCloseKey(key);
  }
  bool key_existed() const { return key_existed_; }

 private:
  // The highest key of the path that is not there yet: the test's writes
  // create it and everything below, and all of that goes at the end.
  std::string first_missing_key() const {
    if (key_existed_) return {};
    for (std::size_t end = path_.find('\\'); ; end = path_.find('\\', end + 1)) {
      const std::string key = path_.substr(0, end);
      if (!key_exists(root_, view_, key)) return key;
      if (end == std::string::npos) return path_;
    }
  }

  struct Saved {
    DWORD type;
    std::string data;
  };
  HKEY root_;
  REGSAM view_;
  std::string path_;
  std::string name_;
  bool key_existed_;
  std::string first_missing_key_;
  std::optional<Saved> saved_;
};

}  // namespace qm::test
