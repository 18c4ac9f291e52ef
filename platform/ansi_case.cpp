// ANSI upper case through the system's own tables, so that names with
// accented letters compare as the user's code page says.
#include <windows.h>

#include "engine/ansi_text.h"

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
    // CharUpperBuffA handles double-byte code pages (trail bytes are left alone).
    upper.assign(text);
    CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
  }
  return upper;
}

}  // namespace qm
