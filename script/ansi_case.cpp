// ANSI upper case through the system's own tables, so that names with
// accented letters compare as the user's code page says.
//
// This is the one place where the script core calls Windows. It declares the
// function itself rather than including <windows.h>, which the core does
// without; a native build (the fuzz targets) upper-cases ASCII letters only.

#include "script/ansi_text.h"

#if defined(_WIN32)
extern "C" __declspec(dllimport) unsigned long __stdcall CharUpperBuffA(char* text, unsigned long length);
#endif

namespace qm {

std::string ansi_upper(std::string_view text) {
  std::string upper(text);
  bool ascii = true;
  for (char& c : upper) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (!ascii && !upper.empty()) {
    upper.assign(text);
#if defined(_WIN32)
    // CharUpperBuffA handles double-byte code pages (trail bytes are left alone).
    CharUpperBuffA(upper.data(), static_cast<unsigned long>(upper.size()));
#else
    for (char& c : upper)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
#endif
  }
  return upper;
}

}  // namespace qm
