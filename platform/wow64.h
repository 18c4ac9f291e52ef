#pragma once
// WOW64: a 32-bit engine on 64-bit Windows. The entry points are looked up at
// run time, since older systems lack them.

namespace qm::platform {

// Whether this 32-bit process runs on 64-bit Windows.
bool is_wow64_process();

// Switches file-system redirection off for its lifetime when `active`, and
// restores it on every way out. Guards do not nest.
class FileSystemRedirectionGuard {
 public:
  explicit FileSystemRedirectionGuard(bool active);
  ~FileSystemRedirectionGuard();
  FileSystemRedirectionGuard(const FileSystemRedirectionGuard&) = delete;
  FileSystemRedirectionGuard& operator=(const FileSystemRedirectionGuard&) = delete;

 private:
  void* old_state_ = nullptr;
  bool disabled_ = false;
};

}  // namespace qm::platform
