#pragma once
// Calls a plug-in library: a DLL supplied with the product's setup that
// exports
//
//   int __stdcall RunTimeExecute(HWND window, const char* store,
//                                const char* parameter,
//                                int (__stdcall *progress)(int position, const char* text),
//                                int* reserved, char* buffer);
//
// It is called twice on a worker thread: with a null buffer to learn the
// length L of its result, then with a buffer of L + 1 bytes that receives the
// result (the whole variable store as comma text), zero-terminated. -1 means
// failure. The progress callback answers 1 to go on and 0 once the user has
// asked to cancel.
//
// The call is shielded from the library's faults: an exception it raises
// (access violation, stack overflow, an uncaught exception of its own
// language) is taken as a failure and the process carries on. A library that
// writes past the buffer it was given runs into an inaccessible page, which
// counts as such a fault; the store text and the parameter text it receives
// are fresh writable copies guarded the same way.
//
// Only one plug-in runs at a time: the progress callback has no context
// argument, so it finds the running call through one process-wide slot. A
// second call while one is running throws std::logic_error.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/worker_wait.h"

namespace qm {

struct PluginRequest {
  std::string library_path;  // full path of the DLL (a relative one is made full)
  void* window = nullptr;    // HWND of the current dialog, or null
  std::string store_text;    // the variable store as comma text
  std::string parameter;     // field 1 of the script line, not substituted
};

// Called on the worker thread (or on a thread of the library's own) for each
// progress report: position clamped to 0..100, the library's text (empty for a
// null pointer). Must be thread-safe. An exception it throws makes the
// callback answer 0 from then on and is rethrown by call_plugin once the
// library has returned.
using PluginProgress = std::function<void(int position, const std::string& text)>;

enum class PluginOutcome {
  kCompleted,     // `text` is the library's result (possibly empty)
  kFailed,        // it answered -1 to either call, or a first length below -1 or too large to
                  // allocate: `text` is the store unchanged
  kFaulted,       // it raised an exception in either call: `text` is the store unchanged
  kNotLoaded,     // the library could not be loaded: `text` is empty
  kNoEntryPoint,  // the library has no RunTimeExecute export: `text` is empty
};

struct PluginResult {
  PluginOutcome outcome = PluginOutcome::kFailed;
  std::string text;
  // kNotLoaded, kNoEntryPoint: the Windows error code. kFaulted: the exception code.
  std::uint32_t code = 0;
  // kFaulted: the address at which the exception was raised.
  std::uintptr_t fault_address = 0;
};

// Loads the library (its own dependencies resolve from its folder), calls
// RunTimeExecute as described above and frees the library, all on a worker
// thread. Meanwhile the calling thread waits as `wait` says (window messages
// processed, `on_idle` called, unless silent). While `cancel` is set the
// progress callback answers 0. `wait.stop`, when the wait ends early, also
// makes the callback answer 0.
PluginResult call_plugin(const PluginRequest& request, const PluginProgress& progress,
                         const std::atomic<bool>& cancel, const platform::WorkerWait& wait);

inline PluginResult call_plugin(const PluginRequest& request, const PluginProgress& progress,
                                const std::atomic<bool>& cancel, bool silent) {
  platform::WorkerWait wait;
  wait.silent = silent;
  return call_plugin(request, progress, cancel, wait);
}

// A short English description of an outcome for traces: "completed",
// "access violation (exception C0000005 at 1000A2F0)", ...
std::string describe(const PluginResult& result);

}  // namespace qm
