#pragma once
// The parts of the 7-Zip C sources the library uses (compiled from Debian's
// 7zip source package by qvx/CMakeLists.txt).

#include "7z.h"
#include "7zCrc.h"
#include "Aes.h"
#include "Bcj2.h"
#include "Bra.h"
#include "CpuArch.h"
#include "Delta.h"
#include "Lzma2Dec.h"
#include "LzmaDec.h"
#include "Ppmd7.h"
#include "Sha256.h"

namespace qvx {

// malloc/free for the C code; the decoders' big buffers come from here too.
extern const ISzAlloc g_alloc;

// Builds the CRC, AES and SHA-256 tables once per process.
void init_tables();

}  // namespace qvx
