#pragma once
// Conversions between the caller's ANSI text and the UTF-16 of Windows and
// of 7z entry names.

#include <string>
#include <string_view>

namespace qvx {

std::wstring ansi_to_wide(const char* text);
std::string wide_to_ansi(std::wstring_view text);

// The same UTF-16 units in the library's portable core (char16_t) and in
// Windows calls (wchar_t).
std::wstring to_wide(std::u16string_view text);
std::u16string to_utf16(std::wstring_view text);

}  // namespace qvx
