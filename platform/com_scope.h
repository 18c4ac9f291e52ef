#pragma once
// COM initialised on the calling thread for the life of the object, and
// uninitialised again on every way out when (and only when) this scope did
// initialise it. A thread already in another apartment model keeps it; COM
// is usable there all the same.

#include <windows.h>
#include <objbase.h>

namespace qm::platform {

class ComScope {
 public:
  explicit ComScope(DWORD model = COINIT_APARTMENTTHREADED) : result_(CoInitializeEx(nullptr, model)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

  // COM can be used on this thread (initialised here or before, in any model).
  bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

}  // namespace qm::platform
