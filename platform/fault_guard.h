#pragma once
// Calls into foreign code (a product's plug-in library, a library's own
// entry points) shielded from its faults. An exception the code leaves
// unhandled (access violation, stack overflow, an uncaught exception of its
// own language) ends the call and is reported in the result; the process and
// the calling thread carry on.

#include <cstdint>
#include <initializer_list>

namespace qm::platform {

struct GuardedCallResult {
  std::uint32_t value = 0;            // EAX on return, when not faulted
  bool faulted = false;
  std::uint32_t fault_code = 0;      // the exception code, when faulted
  std::uintptr_t fault_address = 0;
};

// Calls a stdcall function with up to six 32-bit arguments (in parameter
// order) inside the fault guard. A function that turns out not to be stdcall
// does not unbalance the caller's stack.
GuardedCallResult call_guarded(const void* function, std::initializer_list<std::uint32_t> arguments);

// A pointer as a 32-bit argument of call_guarded.
inline std::uint32_t argument_word(const void* pointer) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

}  // namespace qm::platform
