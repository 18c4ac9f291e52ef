#pragma once
// Faults of the processor (access violation, division by zero, stack
// overflow) as the tests see them.
//
// On a machine whose kernel runs no 32-bit code, Wine's 32-bit side runs
// under qemu's user-mode emulator (scripts/setup-machine.sh; the test runner
// then sets QM_CPU_EMULATED). The emulator does not tell Wine which trap a
// fault was, so every such fault arrives as an illegal instruction or a
// floating-point fault: it is still caught and handled, only its code is not
// the processor's.

#include <windows.h>

#include <cstdlib>

namespace qm::test {

inline bool processor_is_emulated() { return std::getenv("QM_CPU_EMULATED") != nullptr; }

// Whether `seen` is the code of the processor fault `expected`, as far as
// this machine can tell.
inline bool is_processor_fault(DWORD seen, DWORD expected) {
  if (seen == expected) return true;
  return processor_is_emulated() && (seen == EXCEPTION_ILLEGAL_INSTRUCTION || seen == EXCEPTION_FLT_INVALID_OPERATION);
}

}  // namespace qm::test
