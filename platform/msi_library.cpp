#include "platform/msi_library.h"

#include "platform/system_library.h"

namespace qm::platform {

MsiLibrary::MsiLibrary(std::string file_name) : file_name_(std::move(file_name)) {}

HMODULE MsiLibrary::loaded_library() {
  if (library_ == nullptr) {
    library_ = load_system_library(file_name_.c_str());
    if (library_ == nullptr) throw ScriptError("Library not found: " + file_name_);
  }
  return library_;
}

void* MsiLibrary::address_of(const std::string& name) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto known = functions_.find(name);
  if (known != functions_.end()) return known->second;
  void* const address = reinterpret_cast<void*>(GetProcAddress(loaded_library(), name.c_str()));
  if (address == nullptr) throw ScriptError("Function not found: " + file_name_ + "." + name);
  functions_.emplace(name, address);
  return address;
}

INSTALLSTATE MsiLibrary::query_product_state(const std::string& product_code) {
  return function<INSTALLSTATE WINAPI(LPCSTR)>("MsiQueryProductStateA")(product_code.c_str());
}

void MsiHandleTraits::release(Handle handle) {
  const HMODULE library = GetModuleHandleA((system_folder() + "msi.dll").c_str());
  if (library == nullptr) return;
  using CloseFunction = UINT(WINAPI*)(MSIHANDLE);
  const auto close = reinterpret_cast<CloseFunction>(reinterpret_cast<void*>(GetProcAddress(library, "MsiCloseHandle")));
  if (close != nullptr) close(handle);
}

}  // namespace qm::platform
