#pragma once
// What one call may spend on an archive. A hostile archive can declare a
// dictionary of gigabytes or a key derivation of hours in a few bytes; these
// are refused before anything is spent on them.

#include <cstdint>

namespace qvx {

struct Limits {
  // Memory that 7-Zip's header parser may take for one archive, and that the
  // decoders of one block may take together (dictionaries, PPMd model,
  // buffers). More is refused with QVX_ERROR_MEMORY. A 32-bit process has 2
  // GiB of address space, shared with its host program; archives made by
  // 7-Zip's own settings (at most 64 MiB of dictionary at -mx9, a few hundred
  // MiB of PPMd model) stay far below.
  std::uint64_t memory = std::uint64_t{1} << 30;
  // The costliest AES key derivation taken: 2^key_cycles_power SHA-256
  // rounds (7-Zip writes 19 and accepts up to 24).
  unsigned key_cycles_power = 24;
};

}  // namespace qvx
