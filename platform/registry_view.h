#pragma once
// The two registries of 64-bit Windows as a 32-bit engine reaches them, and
// the view the script commands' registry opens use.

namespace qm::platform {

// kDefault adds no view bit to an open: a 32-bit process then sees the 32-bit
// registry, and 32-bit Windows has only the one.
enum class RegistryView { kDefault, k32, k64 };

// Sets the commands' view for the length of one command: under WOW64 the
// 64-bit view for a 64-bit target and the 32-bit view otherwise; outside
// WOW64 no view bit at all. On every way out `current` returns to the 32-bit
// view under WOW64 and to the default elsewhere, so that between commands it
// always names the registry a 32-bit program sees. Guards do not nest.
class RegistryViewGuard {
 public:
  RegistryViewGuard(RegistryView& current, bool target_64_bit);
  ~RegistryViewGuard();
  RegistryViewGuard(const RegistryViewGuard&) = delete;
  RegistryViewGuard& operator=(const RegistryViewGuard&) = delete;

 private:
  RegistryView& current_;
  bool wow64_;
};

}  // namespace qm::platform
