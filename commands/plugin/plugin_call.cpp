#include "commands/plugin/plugin_call.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <exception>
#include <initializer_list>
#include <mutex>
#include <new>
#include <stdexcept>
#include <utility>

#include "platform/fault_guard.h"
#include "platform/guarded_buffer.h"

namespace qm {
namespace {

using platform::argument_word;
using platform::call_guarded;
using platform::GuardedBuffer;
using platform::GuardedCallResult;

// ---------------------------------------------------------------------------
// The running call, for the progress callback, which gets no context from the
// library. One process-wide slot, set before the worker starts and cleared
// after it ended, both under the slot lock; the callback reads it under the
// same lock, so a late call from a thread the library left behind finds the
// slot empty instead of a finished call. The lock is re-entrant because the
// progress callback runs under it: a callback that tries to start another
// plug-in gets std::logic_error rather than a deadlock.

struct Session {
  const PluginProgress* progress = nullptr;
  const std::atomic<bool>* cancel = nullptr;
  std::atomic<bool> stop{false};
  std::exception_ptr progress_failure;  // guarded by the slot lock
};

std::recursive_mutex slot_lock;
Session* running = nullptr;

class SlotClaim {
 public:
  explicit SlotClaim(Session& session) {
    std::lock_guard lock(slot_lock);
    if (running != nullptr) throw std::logic_error("a plug-in library is already running");
    running = &session;
  }
  SlotClaim(const SlotClaim&) = delete;
  SlotClaim& operator=(const SlotClaim&) = delete;
  ~SlotClaim() {
    std::lock_guard lock(slot_lock);
    running = nullptr;
  }
};

__attribute__((noinline)) int report_progress(int position, const char* text, std::size_t length) noexcept {
  std::lock_guard lock(slot_lock);
  Session* session = running;
  if (session == nullptr) return 0;
  if (session->progress_failure == nullptr && session->progress != nullptr && *session->progress) {
    try {
      (*session->progress)(std::clamp(position, 0, 100), std::string(text, length));
    } catch (...) {
      session->progress_failure = std::current_exception();
    }
  }
  const bool go_on = session->progress_failure == nullptr && !session->cancel->load() && !session->stop.load();
  return go_on ? 1 : 0;
}

// The callback the library gets. Its text is measured first, in a frame that
// holds nothing: a bad pointer faults here, inside the guard of the call that
// is running, and is taken as that call's fault.
int __stdcall progress_entry(int position, const char* text) {
  const std::size_t length = text != nullptr ? std::strlen(text) : 0;
  return report_progress(position, text != nullptr ? text : "", length);
}

void note_fault(PluginResult& result, const GuardedCallResult& call, const std::string& store) {
  result.outcome = PluginOutcome::kFaulted;
  result.code = call.fault_code;
  result.fault_address = call.fault_address;
  result.text = store;
}

// One call of RunTimeExecute with fresh copies of the inputs.
GuardedCallResult execute(const void* entry, const PluginRequest& request, char* buffer) {
  const GuardedBuffer store = GuardedBuffer::copy_of(request.store_text);
  const GuardedBuffer parameter = GuardedBuffer::copy_of(request.parameter);
  if (store.data() == nullptr || parameter.data() == nullptr) throw std::bad_alloc();
  // Reserved for the library; nothing here sets or reads it.
  std::int32_t reserved = 0;
  return call_guarded(entry, {argument_word(request.window), argument_word(store.data()), argument_word(parameter.data()),
                              argument_word(reinterpret_cast<const void*>(&progress_entry)), argument_word(&reserved), argument_word(buffer)});
}

void note_failure(PluginResult& result, const std::string& store) {
  result.outcome = PluginOutcome::kFailed;
  result.text = store;
}

// The two calls of RunTimeExecute.
void ask(const void* entry, const PluginRequest& request, PluginResult& result) {
  const GuardedCallResult first = execute(entry, request, nullptr);
  if (first.faulted) return note_fault(result, first, request.store_text);
  const auto length = static_cast<std::int32_t>(first.value);
  if (length < 0) return note_failure(result, request.store_text);

  const GuardedBuffer buffer(static_cast<std::size_t>(length) + 1);
  // A length no buffer can be had for is no answer either.
  if (buffer.data() == nullptr) return note_failure(result, request.store_text);
  const GuardedCallResult second = execute(entry, request, buffer.data());
  // Whatever reached the buffer before a fault is no store to replace ours with.
  if (second.faulted) return note_fault(result, second, request.store_text);
  if (static_cast<std::int32_t>(second.value) == -1) return note_failure(result, request.store_text);
  // The announced length bounds the text even when the zero is missing.
  result.outcome = PluginOutcome::kCompleted;
  result.text.assign(buffer.data(), strnlen(buffer.data(), static_cast<std::size_t>(length)));
}

// Loads the library, asks it and frees it. Runs on the worker thread.
void run_library(const PluginRequest& request, const std::string& path, PluginResult& result) {
  const GuardedCallResult load = call_guarded(reinterpret_cast<const void*>(&LoadLibraryExA),
                                        {argument_word(path.c_str()), 0, LOAD_WITH_ALTERED_SEARCH_PATH});
  if (load.faulted) return note_fault(result, load, request.store_text);
  const auto module = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(load.value));
  if (module == nullptr) {
    result.outcome = PluginOutcome::kNotLoaded;
    result.code = GetLastError();
    return;
  }

  const FARPROC entry = GetProcAddress(module, "RunTimeExecute");
  if (entry == nullptr) {
    result.outcome = PluginOutcome::kNoEntryPoint;
    result.code = GetLastError();
  } else {
    ask(reinterpret_cast<const void*>(entry), request, result);
  }
  // A library that faults while being freed has already given its answer.
  call_guarded(reinterpret_cast<const void*>(&FreeLibrary), {argument_word(module)});
}

std::string full_path_of(const std::string& path) {
  char full[MAX_PATH * 4];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return path;
  return std::string(full, length);
}

}  // namespace

PluginResult call_plugin(const PluginRequest& request, const PluginProgress& progress,
                         const std::atomic<bool>& cancel, const platform::WorkerWait& wait) {
  Session session;
  session.progress = &progress;
  session.cancel = &cancel;
  const std::string path = full_path_of(request.library_path);
  PluginResult result;
  {
    const SlotClaim claim(session);
    platform::WorkerWait our_wait = wait;
    our_wait.stop = [&session, &wait] {
      session.stop = true;
      if (wait.stop) wait.stop();
    };
    platform::run_on_worker([&] { run_library(request, path, result); }, our_wait);
  }
  if (session.progress_failure) std::rethrow_exception(session.progress_failure);
  return result;
}

std::string describe(const PluginResult& result) {
  char number[64];
  switch (result.outcome) {
    case PluginOutcome::kCompleted:
      return "completed";
    case PluginOutcome::kFailed:
      return "the library reported failure";
    case PluginOutcome::kNotLoaded:
      std::snprintf(number, sizeof number, "%lu", static_cast<unsigned long>(result.code));
      return std::string("the library could not be loaded (error ") + number + ")";
    case PluginOutcome::kNoEntryPoint:
      return "the library has no RunTimeExecute export";
    case PluginOutcome::kFaulted: {
      const char* kind = "unknown";
      switch (result.code) {
        case EXCEPTION_ACCESS_VIOLATION: kind = "access violation"; break;
        case EXCEPTION_STACK_OVERFLOW: kind = "stack overflow"; break;
        case EXCEPTION_INT_DIVIDE_BY_ZERO: kind = "division by zero"; break;
        case EXCEPTION_ILLEGAL_INSTRUCTION: kind = "illegal instruction"; break;
        case 0xE06D7363: kind = "uncaught C++ exception"; break;
        default: break;
      }
      std::snprintf(number, sizeof number, "exception %08lX at %08lX", static_cast<unsigned long>(result.code),
                    static_cast<unsigned long>(result.fault_address));
      return std::string("the library raised an exception: ") + kind + " (" + number + ")";
    }
  }
  return {};
}

}  // namespace qm
