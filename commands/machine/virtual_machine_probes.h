#pragma once
// Whether the engine runs inside a virtual machine, asked of the machine
// itself: each virtual machine answers a special instruction that a real
// processor refuses with a fault.

namespace qm {

// VMware's backdoor I/O port answers the version query with its magic
// number.
bool vmware_backdoor_answers();

// Microsoft Virtual PC's guest instruction (0F 3F 07 0B) runs and leaves EBX
// at 0.
bool virtual_pc_answers();

}  // namespace qm
