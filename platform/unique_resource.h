#pragma once
// One move-only owner for every kind of Windows handle the engine holds.
//
// A traits class names the handle type, its "no handle" value(s) and how it is
// released:
//
//   struct KernelHandleTraits {
//     using Handle = HANDLE;
//     static Handle none() { return nullptr; }
//     static bool is_valid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
//     static void release(Handle h) { CloseHandle(h); }
//   };
//   using UniqueHandle = UniqueResource<KernelHandleTraits>;
//
// The owner releases its handle when it goes out of scope, on every way out;
// moving hands the handle on and leaves the source empty. release() is never
// called for an invalid handle.

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace qm::platform {

template <typename Traits>
class UniqueResource {
 public:
  using Handle = typename Traits::Handle;

  UniqueResource() = default;
  explicit UniqueResource(Handle handle) : handle_(handle) {}
  UniqueResource(UniqueResource&& other) noexcept : handle_(other.take()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.take());
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  ~UniqueResource() { reset(); }

  bool valid() const { return Traits::is_valid(handle_); }
  explicit operator bool() const { return valid(); }
  Handle get() const { return handle_; }

  // Releases the handle held (if any) and takes `handle`.
  void reset(Handle handle = Traits::none()) {
    if (Traits::is_valid(handle_)) Traits::release(handle_);
    handle_ = handle;
  }
  // Gives the handle up without releasing it.
  [[nodiscard]] Handle take() { return std::exchange(handle_, Traits::none()); }

 private:
  Handle handle_ = Traits::none();
};

// Traits for handle kinds whose only "no handle" value is null.
template <typename HandleType, auto Release>
struct NullIsNoneTraits {
  using Handle = HandleType;
  static Handle none() { return nullptr; }
  static bool is_valid(Handle handle) { return handle != nullptr; }
  static void release(Handle handle) { Release(handle); }
};

// Kernel objects: files, processes, threads, events. CreateFile reports
// failure with INVALID_HANDLE_VALUE, most others with null.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle none() { return nullptr; }
  static bool is_valid(Handle handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static void release(Handle handle) { CloseHandle(handle); }
};

// FindFirstFile searches.
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle none() { return INVALID_HANDLE_VALUE; }
  static bool is_valid(Handle handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static void release(Handle handle) { FindClose(handle); }
};

inline void release_registry_key(HKEY key) { RegCloseKey(key); }
inline void release_library(HMODULE library) { FreeLibrary(library); }
inline void release_gdi_object(HGDIOBJ object) { DeleteObject(object); }
inline void release_window(HWND window) { DestroyWindow(window); }
inline void release_service(SC_HANDLE service) { CloseServiceHandle(service); }
inline void release_sid(PSID sid) { FreeSid(sid); }
inline void release_task_memory(void* memory) { CoTaskMemFree(memory); }

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueFindHandle = UniqueResource<FindHandleTraits>;
using UniqueRegistryKey = UniqueResource<NullIsNoneTraits<HKEY, release_registry_key>>;
using UniqueLibrary = UniqueResource<NullIsNoneTraits<HMODULE, release_library>>;
using UniqueGdiObject = UniqueResource<NullIsNoneTraits<HGDIOBJ, release_gdi_object>>;
using UniqueWindow = UniqueResource<NullIsNoneTraits<HWND, release_window>>;
using UniqueServiceHandle = UniqueResource<NullIsNoneTraits<SC_HANDLE, release_service>>;
// SIDs made by AllocateAndInitializeSid.
using UniqueSid = UniqueResource<NullIsNoneTraits<PSID, release_sid>>;
// Memory the shell and COM hand out (item lists, strings).
using UniqueTaskMemory = UniqueResource<NullIsNoneTraits<void*, release_task_memory>>;

}  // namespace qm::platform
