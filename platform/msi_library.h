#pragma once
// Windows Installer (msi.dll), bound by name when first used.
//
// The engine binds the library once and shares the binding between the
// script commands that ask Windows Installer something and the installer
// worker that applies a product. msi.dll is loaded from the system folder
// (never the setup's own folder) on the first call of any of its functions;
// each function is looked up by name on its own first call and remembered.
// A setup that never touches Windows Installer never loads it.
//
// Failures are the run-time errors a user reads: "Library not found: msi.dll"
// and "Function not found: msi.dll.<name>".

#include <windows.h>
#include <msi.h>

#include <map>
#include <mutex>
#include <string>

#include "platform/unique_resource.h"
#include "script/script_error.h"

namespace qm::platform {

class MsiLibrary {
 public:
  // `file_name`: the library's name in the system folder; only tests name
  // another one.
  explicit MsiLibrary(std::string file_name = "msi.dll");
  MsiLibrary(const MsiLibrary&) = delete;
  MsiLibrary& operator=(const MsiLibrary&) = delete;

  const std::string& file_name() const { return file_name_; }

  // The library's function `name` with the type `Signature` (a function type
  // with its calling convention, such as `UINT WINAPI(MSIHANDLE)`). Loads
  // the library when needed. The caller answers for the signature matching
  // the export. Throws ScriptError when the library or the function is
  // missing.
  template <typename Signature>
  Signature* function(const std::string& name) {
    return reinterpret_cast<Signature*>(address_of(name));
  }

  // MsiQueryProductStateA: the state of the product with this product code.
  INSTALLSTATE query_product_state(const std::string& product_code);

 private:
  void* address_of(const std::string& name);
  HMODULE loaded_library();

  std::string file_name_;
  // Loaded once and kept for the life of the process, so that handles the
  // library gave out can always be closed (MsiHandleTraits).
  HMODULE library_ = nullptr;
  std::map<std::string, void*> functions_;
  // The script and the installer worker may both call in.
  std::mutex mutex_;
};

// MSIHANDLE owners. Any MSIHANDLE came from msi.dll in the system folder, so
// the library is loaded while one exists: MsiCloseHandle is found there
// without a binding of its own.
struct MsiHandleTraits {
  using Handle = MSIHANDLE;
  static Handle none() { return 0; }
  static bool is_valid(Handle handle) { return handle != 0; }
  static void release(Handle handle);
};
using UniqueMsiHandle = UniqueResource<MsiHandleTraits>;

}  // namespace qm::platform
