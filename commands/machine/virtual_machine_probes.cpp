#include "commands/machine/virtual_machine_probes.h"

#include <cstdint>

#include "platform/fault_guard.h"

#if !defined(__i386__)
#error "The virtual machine probes are written for 32-bit x86."
#endif

// Both probes are stdcall functions without arguments that return EBX as the
// probed instruction left it. Outside the virtual machine the instruction
// faults (a privileged I/O instruction, an invalid opcode); the fault guard
// catches that and restores the registers of its own frame, so the probes
// need not.
extern "C" {
std::uint32_t __stdcall qm_vmware_probe();
std::uint32_t __stdcall qm_virtual_pc_probe();
}

asm(R"(
    .text
    .globl _qm_vmware_probe@0
    .def _qm_vmware_probe@0; .scl 2; .type 32; .endef
_qm_vmware_probe@0:
    pushl %ebx
    movl $0x564D5868, %eax           # the backdoor's magic number
    xorl %ebx, %ebx
    movl $10, %ecx                   # command: get version
    movl $0x5658, %edx               # the backdoor port
    inl %dx, %eax
    movl %ebx, %eax
    popl %ebx
    ret

    .globl _qm_virtual_pc_probe@0
    .def _qm_virtual_pc_probe@0; .scl 2; .type 32; .endef
_qm_virtual_pc_probe@0:
    pushl %ebx
    movl $1, %eax
    xorl %ebx, %ebx
    .byte 0x0F, 0x3F, 0x07, 0x0B     # Virtual PC's guest call
    movl %ebx, %eax
    popl %ebx
    ret
)");

namespace qm {

namespace {

constexpr std::uint32_t kVmwareMagic = 0x564D5868;

}  // namespace

bool vmware_backdoor_answers() {
  const platform::GuardedCallResult result = platform::call_guarded(reinterpret_cast<const void*>(&qm_vmware_probe), {});
  return !result.faulted && result.value == kVmwareMagic;
}

bool virtual_pc_answers() {
  const platform::GuardedCallResult result =
      platform::call_guarded(reinterpret_cast<const void*>(&qm_virtual_pc_probe), {});
  return !result.faulted && result.value == 0;
}

}  // namespace qm
