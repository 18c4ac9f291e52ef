#include "qvx/text.h"

#include <windows.h>

#include <climits>

#include "qvx/failure.h"

namespace qvx {

std::wstring ansi_to_wide(const char* text) {
  if (text == nullptr || *text == '\0') return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (length <= 0) fail(QVX_ERROR_ARGUMENT, "text not in the ANSI code page");
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
  wide.resize(static_cast<std::size_t>(length) - 1);
  return wide;
}

// Characters the code page lacks become "?", never a look-alike: a best-fit
// mapping could turn a harmless name ("\uFF0E\uFF0E", full-width dots) into a
// dangerous one ("..") for a caller that works with the ANSI names.
std::string wide_to_ansi(std::wstring_view text) {
  if (text.empty()) return {};
  if (text.size() > INT_MAX / 4) fail(QVX_ERROR_ARGUMENT, "text too long");
  const int in_length = static_cast<int>(text.size());
  // UTF-8 as the ANSI code page holds every character and takes no flags.
  const DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int length = WideCharToMultiByte(CP_ACP, flags, text.data(), in_length, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string(text.size(), '?');
  std::string ansi(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, flags, text.data(), in_length, ansi.data(), length, nullptr, nullptr);
  return ansi;
}

std::wstring to_wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

std::u16string to_utf16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

}  // namespace qvx
