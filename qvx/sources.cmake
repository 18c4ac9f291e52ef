# The sources of qvx.lib that are shared with builds for other systems.
#
# qvx_core_sources: the library's portable core (no <windows.h>): header
# reading, decoding, names, the in-memory reader (archive_reader.h). The
# Windows part (files, folders, the exports) is listed in CMakeLists.txt.
#
# qvx_7zip_sources: the parts of 7-Zip the core uses: the 7z header parser,
# the decoders, the filters, AES and SHA-256 for encrypted archives, CRC-32.
# 7zDec.c is left out on purpose: the library decodes blocks itself
# (streaming, with AES) and supplies SzAr_DecodeFolder, which the header
# parser calls.
#
# Needs QM_7ZIP_SOURCE_DIR (the C folder of Debian's 7zip source package);
# gives absolute paths.

set(qvx_core_sources
  archive.cpp
  archive_reader.cpp
  folder.cpp
  keys.cpp
  names.cpp
  streams.cpp
  unpack.cpp)
list(TRANSFORM qvx_core_sources PREPEND "${CMAKE_CURRENT_LIST_DIR}/")

set(qvx_7zip_sources
  7zArcIn.c 7zBuf.c 7zCrc.c 7zCrcOpt.c 7zStream.c CpuArch.c
  LzmaDec.c Lzma2Dec.c Ppmd7.c Ppmd7Dec.c
  Bcj2.c Bra.c Bra86.c BraIA64.c Delta.c
  Aes.c AesOpt.c Sha256.c Sha256Opt.c)
list(TRANSFORM qvx_7zip_sources PREPEND "${QM_7ZIP_SOURCE_DIR}/")
