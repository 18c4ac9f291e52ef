#include "platform/wow64.h"

#include <windows.h>

namespace qm::platform {

namespace {

template <typename Function>
Function kernel32_entry(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

}  // namespace

bool is_wow64_process() {
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
  static const auto is_wow64 = kernel32_entry<IsWow64ProcessFunction>("IsWow64Process");
  BOOL wow64 = FALSE;
  return is_wow64 != nullptr && is_wow64(GetCurrentProcess(), &wow64) && wow64;
}

FileSystemRedirectionGuard::FileSystemRedirectionGuard(bool active) {
  if (!active) return;
  using DisableFunction = BOOL(WINAPI*)(PVOID*);
  static const auto disable = kernel32_entry<DisableFunction>("Wow64DisableWow64FsRedirection");
  if (disable != nullptr) disabled_ = disable(&old_state_) != FALSE;
}

FileSystemRedirectionGuard::~FileSystemRedirectionGuard() {
  if (!disabled_) return;
  using RevertFunction = BOOL(WINAPI*)(PVOID);
  static const auto revert = kernel32_entry<RevertFunction>("Wow64RevertWow64FsRedirection");
  if (revert != nullptr) revert(old_state_);
}

}  // namespace qm::platform
