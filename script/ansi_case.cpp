// ANSI upper and lower case through the system's own tables, so that names
// with accented letters compare as the user's code page says.
//
// This is the one place where the script core calls Windows. It declares the
// functions itself rather than including <windows.h>, which the core does
// without; a native build (the fuzz targets) maps ASCII letters only.

#include "script/ansi_text.h"

#if defined(_WIN32)
extern "C" __declspec(dllimport) unsigned long __stdcall CharUpperBuffA(char* text, unsigned long length);
extern "C" __declspec(dllimport) unsigned long __stdcall CharLowerBuffA(char* text, unsigned long length);
#endif

namespace qm {

namespace {

enum class LetterCase { kUpper, kLower };

std::string map_case(std::string_view text, LetterCase target) {
  const char from = target == LetterCase::kUpper ? 'a' : 'A';
  const char to = target == LetterCase::kUpper ? 'A' : 'a';
  std::string mapped(text);
  bool ascii = true;
  for (char& c : mapped) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
    if (c >= from && c <= from + 25) c = static_cast<char>(c - from + to);
  }
  if (!ascii && !mapped.empty()) {
    mapped.assign(text);
#if defined(_WIN32)
    // The system calls handle double-byte code pages (trail bytes are left alone).
    const auto length = static_cast<unsigned long>(mapped.size());
    if (target == LetterCase::kUpper)
      CharUpperBuffA(mapped.data(), length);
    else
      CharLowerBuffA(mapped.data(), length);
#else
    for (char& c : mapped)
      if (c >= from && c <= from + 25) c = static_cast<char>(c - from + to);
#endif
  }
  return mapped;
}

}  // namespace

std::string ansi_upper(std::string_view text) { return map_case(text, LetterCase::kUpper); }

std::string ansi_lower(std::string_view text) { return map_case(text, LetterCase::kLower); }

}  // namespace qm
