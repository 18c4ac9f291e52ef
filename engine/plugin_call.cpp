#include "engine/plugin_call.h"

#include <windows.h>
#include <excpt.h>

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

#if !defined(__i386__)
#error "The plug-in call guard is written for 32-bit x86."
#endif

// ---------------------------------------------------------------------------
// Fault guard.
//
// GCC has no __try/__except, so the guard is built by hand from the x86
// frame-based structured exception handling that every 32-bit Windows library
// relies on: qm_plugin_guarded_call registers an exception registration record
// on the worker thread's stack (linked from fs:[0]) around one stdcall call.
// Exceptions the library handles itself never reach the record, because the
// library's own records are nearer the head of the chain. An exception it
// leaves unhandled reaches qm_plugin_guard_handler, which notes the exception
// in the GuardedCall and leaves through qm_plugin_guard_escape: RtlUnwind runs
// the unwind handlers of the library's records above ours (its __finally
// blocks and destructors) and removes them from the chain, then the stack and
// frame pointers are reset to the guarded call's frame and execution resumes
// at its epilogue, which unlinks our record and returns normally.
//
// Leaving from the handler rather than returning ExceptionContinueExecution
// with an edited context also covers exceptions raised as non-continuable
// (an uncaught C++ exception of a library built with another compiler),
// which Windows refuses to continue. The record carries the caller's frame
// pointer and the GuardedCall, so the handler needs nothing else.
//
// The images this project links have no SafeSEH table, so Windows accepts a
// handler anywhere in their code. This engine's own C++ exceptions use DWARF
// unwind tables and never touch fs:[0].

namespace {

struct GuardedCall {
  const void* function = nullptr;     // offset 0: a stdcall function
  std::uint32_t count = 0;            // offset 4: number of arguments, at most 6
  std::uint32_t arguments[6] = {};    // offset 8: in parameter order
  std::uint32_t result = 0;           // offset 32: EAX on return
  bool faulted = false;
  std::uint32_t exception_code = 0;
  std::uintptr_t exception_address = 0;
};
static_assert(offsetof(GuardedCall, count) == 4);
static_assert(offsetof(GuardedCall, arguments) == 8);
static_assert(offsetof(GuardedCall, result) == 32);

// The registration record as qm_plugin_guarded_call lays it out.
struct GuardRecord {
  GuardRecord* next;
  void* handler;
  std::uint32_t saved_ebp;
  GuardedCall* call;
};

}  // namespace

extern "C" {
void qm_plugin_guarded_call(GuardedCall* call);
[[noreturn]] void qm_plugin_guard_escape(GuardRecord* record);
EXCEPTION_DISPOSITION __cdecl qm_plugin_guard_handler(EXCEPTION_RECORD* exception, void* establisher_frame,
                                                      CONTEXT* context, void* dispatcher_context);
}

asm(R"(
    .text
    .globl _qm_plugin_guarded_call
    .def _qm_plugin_guarded_call; .scl 2; .type 32; .endef
_qm_plugin_guarded_call:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 8(%ebp), %ebx
    pushl %ebx                       # record.call
    pushl %ebp                       # record.saved_ebp
    pushl $_qm_plugin_guard_handler  # record.handler
    pushl %fs:0                      # record.next
    movl %esp, %fs:0
    movl 4(%ebx), %ecx
    jecxz 2f
1:  pushl 4(%ebx,%ecx,4)             # arguments[ecx - 1], last one first
    loop 1b
2:  call *(%ebx)
    movl %eax, 32(%ebx)
    .globl _qm_plugin_guard_resume
_qm_plugin_guard_resume:
    # Also reached from qm_plugin_guard_escape, with EBP restored. Taking ESP
    # from EBP also rights a stack left unbalanced by a library that was not
    # stdcall after all.
    leal -28(%ebp), %esp             # the record: below EBP, EBX, ESI, EDI
    popl %fs:0
    addl $12, %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret

    .globl _qm_plugin_guard_escape
    .def _qm_plugin_guard_escape; .scl 2; .type 32; .endef
_qm_plugin_guard_escape:
    movl 4(%esp), %eax
    pushl %eax                       # kept on the stack: RtlUnwind may change EBX, ESI and EDI
    pushl $0                         # return value
    pushl $0                         # exception record: RtlUnwind makes its own
    pushl $3f                        # target IP
    pushl %eax                       # target frame: unwind everything above our record
    call _RtlUnwind@16
3:  popl %eax
    movl 8(%eax), %ebp               # record.saved_ebp
    jmp _qm_plugin_guard_resume
)");

extern "C" EXCEPTION_DISPOSITION __cdecl qm_plugin_guard_handler(EXCEPTION_RECORD* exception, void* establisher_frame,
                                                                 CONTEXT*, void*) {
  if (exception->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
  auto* record = static_cast<GuardRecord*>(establisher_frame);
  record->call->faulted = true;
  record->call->exception_code = exception->ExceptionCode;
  record->call->exception_address = reinterpret_cast<std::uintptr_t>(exception->ExceptionAddress);
  qm_plugin_guard_escape(record);
}

namespace qm {
namespace {

std::uint32_t word(const void* pointer) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

// Calls a stdcall function inside the fault guard.
GuardedCall call_guarded(const void* function, std::initializer_list<std::uint32_t> arguments) {
  GuardedCall call;
  call.function = function;
  call.count = static_cast<std::uint32_t>(arguments.size());
  std::copy(arguments.begin(), arguments.end(), call.arguments);
  qm_plugin_guarded_call(&call);
  return call;
}

// ---------------------------------------------------------------------------
// Memory handed to the library: `size` writable bytes, zero-filled, that end
// exactly where an inaccessible page begins. A write past the end faults
// (and the guard catches it) instead of corrupting the heap.
class GuardedBuffer {
 public:
  explicit GuardedBuffer(std::size_t size) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const std::size_t page = system.dwPageSize;
    if (size == 0 || size > SIZE_MAX - 2 * page) return;
    const std::size_t usable = (size + page - 1) / page * page;
    base_ = static_cast<char*>(VirtualAlloc(nullptr, usable + page, MEM_RESERVE, PAGE_NOACCESS));
    if (base_ == nullptr) return;
    if (VirtualAlloc(base_, usable, MEM_COMMIT, PAGE_READWRITE) == nullptr) {
      VirtualFree(base_, 0, MEM_RELEASE);
      base_ = nullptr;
      return;
    }
    data_ = base_ + usable - size;
  }
  GuardedBuffer(GuardedBuffer&& other) noexcept
      : base_(std::exchange(other.base_, nullptr)), data_(std::exchange(other.data_, nullptr)) {}
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;
  ~GuardedBuffer() {
    if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
  }

  // Null when the memory could not be had.
  char* data() const { return data_; }

 private:
  char* base_ = nullptr;
  char* data_ = nullptr;
};

// A zero-terminated writable copy of `text`. Each call gets fresh copies: a
// library that edits its input in place (strtok on the parameter) sees the
// same input both times.
GuardedBuffer copy_of(const std::string& text) {
  GuardedBuffer buffer(text.size() + 1);
  if (buffer.data() != nullptr) std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
  return buffer;
}

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

void note_fault(PluginResult& result, const GuardedCall& call, const std::string& store) {
  result.outcome = PluginOutcome::kFaulted;
  result.code = call.exception_code;
  result.fault_address = call.exception_address;
  result.text = store;
}

// One call of RunTimeExecute with fresh copies of the inputs.
GuardedCall execute(const void* entry, const PluginRequest& request, char* buffer) {
  const GuardedBuffer store = copy_of(request.store_text);
  const GuardedBuffer parameter = copy_of(request.parameter);
  if (store.data() == nullptr || parameter.data() == nullptr) throw std::bad_alloc();
  // Reserved for the library; nothing here sets or reads it.
  std::int32_t reserved = 0;
  return call_guarded(entry, {word(request.window), word(store.data()), word(parameter.data()),
                              word(reinterpret_cast<const void*>(&progress_entry)), word(&reserved), word(buffer)});
}

void note_failure(PluginResult& result, const std::string& store) {
  result.outcome = PluginOutcome::kFailed;
  result.text = store;
}

// The two calls of RunTimeExecute.
void ask(const void* entry, const PluginRequest& request, PluginResult& result) {
  const GuardedCall first = execute(entry, request, nullptr);
  if (first.faulted) return note_fault(result, first, request.store_text);
  const auto length = static_cast<std::int32_t>(first.result);
  if (length < 0) return note_failure(result, request.store_text);

  const GuardedBuffer buffer(static_cast<std::size_t>(length) + 1);
  // A length no buffer can be had for is no answer either.
  if (buffer.data() == nullptr) return note_failure(result, request.store_text);
  const GuardedCall second = execute(entry, request, buffer.data());
  // Whatever reached the buffer before a fault is no store to replace ours with.
  if (second.faulted) return note_fault(result, second, request.store_text);
  if (static_cast<std::int32_t>(second.result) == -1) return note_failure(result, request.store_text);
  // The announced length bounds the text even when the zero is missing.
  result.outcome = PluginOutcome::kCompleted;
  result.text.assign(buffer.data(), strnlen(buffer.data(), static_cast<std::size_t>(length)));
}

// Loads the library, asks it and frees it. Runs on the worker thread.
void run_library(const PluginRequest& request, const std::string& path, PluginResult& result) {
  const GuardedCall load = call_guarded(reinterpret_cast<const void*>(&LoadLibraryExA),
                                        {word(path.c_str()), 0, LOAD_WITH_ALTERED_SEARCH_PATH});
  if (load.faulted) return note_fault(result, load, request.store_text);
  const auto module = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(load.result));
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
  call_guarded(reinterpret_cast<const void*>(&FreeLibrary), {word(module)});
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
