#include "platform/fault_guard.h"

#include <windows.h>
#include <excpt.h>

#include <algorithm>
#include <cstddef>

#if !defined(__i386__)
#error "The fault guard is written for 32-bit x86."
#endif

// ---------------------------------------------------------------------------
// Fault guard.
//
// GCC has no __try/__except, so the guard is built by hand from the x86
// frame-based structured exception handling that every 32-bit Windows library
// relies on: qm_guarded_call registers an exception registration record
// on the worker thread's stack (linked from fs:[0]) around one stdcall call.
// Exceptions the library handles itself never reach the record, because the
// library's own records are nearer the head of the chain. An exception it
// leaves unhandled reaches qm_guard_handler, which notes the exception
// in the GuardedCall and leaves through qm_guard_escape: RtlUnwind runs
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

// The registration record as qm_guarded_call lays it out.
struct GuardRecord {
  GuardRecord* next;
  void* handler;
  std::uint32_t saved_ebp;
  GuardedCall* call;
};

}  // namespace

extern "C" {
void qm_guarded_call(GuardedCall* call);
[[noreturn]] void qm_guard_escape(GuardRecord* record);
EXCEPTION_DISPOSITION __cdecl qm_guard_handler(EXCEPTION_RECORD* exception, void* establisher_frame,
                                                      CONTEXT* context, void* dispatcher_context);
}

asm(R"(
    .text
    .globl _qm_guarded_call
    .def _qm_guarded_call; .scl 2; .type 32; .endef
_qm_guarded_call:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 8(%ebp), %ebx
    pushl %ebx                       # record.call
    pushl %ebp                       # record.saved_ebp
    pushl $_qm_guard_handler  # record.handler
    pushl %fs:0                      # record.next
    movl %esp, %fs:0
    movl 4(%ebx), %ecx
    jecxz 2f
1:  pushl 4(%ebx,%ecx,4)             # arguments[ecx - 1], last one first
    loop 1b
2:  call *(%ebx)
    movl %eax, 32(%ebx)
    .globl _qm_guard_resume
_qm_guard_resume:
    # Also reached from qm_guard_escape, with EBP restored. Taking ESP
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

    .globl _qm_guard_escape
    .def _qm_guard_escape; .scl 2; .type 32; .endef
_qm_guard_escape:
    movl 4(%esp), %eax
    pushl %eax                       # kept on the stack: RtlUnwind may change EBX, ESI and EDI
    pushl $0                         # return value
    pushl $0                         # exception record: RtlUnwind makes its own
    pushl $3f                        # target IP
    pushl %eax                       # target frame: unwind everything above our record
    call _RtlUnwind@16
3:  popl %eax
    movl 8(%eax), %ebp               # record.saved_ebp
    jmp _qm_guard_resume
)");

extern "C" EXCEPTION_DISPOSITION __cdecl qm_guard_handler(EXCEPTION_RECORD* exception, void* establisher_frame,
                                                                 CONTEXT*, void*) {
  if (exception->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
  auto* record = static_cast<GuardRecord*>(establisher_frame);
  record->call->faulted = true;
  record->call->exception_code = exception->ExceptionCode;
  record->call->exception_address = reinterpret_cast<std::uintptr_t>(exception->ExceptionAddress);
  qm_guard_escape(record);
}

namespace qm::platform {

GuardedCallResult call_guarded(const void* function, std::initializer_list<std::uint32_t> arguments) {
  GuardedCall call;
  call.function = function;
  call.count = static_cast<std::uint32_t>(std::min<std::size_t>(arguments.size(), 6));
  std::copy_n(arguments.begin(), call.count, call.arguments);
  qm_guarded_call(&call);
  return {call.result, call.faulted, call.exception_code, call.exception_address};
}

}  // namespace qm::platform
