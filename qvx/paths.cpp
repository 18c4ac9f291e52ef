#include "qvx/paths.h"

#include <windows.h>

#include "qvx/failure.h"
#include "qvx/text.h"

namespace qvx {

namespace {

bool is_separator(wchar_t c) { return c == L'/' || c == L'\\'; }

}  // namespace

std::string listed_name(std::u16string_view name) {
  std::wstring copy = to_wide(name);
  for (wchar_t& c : copy) {
    if (c == L'/') c = L'\\';
  }
  return wide_to_ansi(copy);
}

std::wstring long_path(const std::wstring& folder) {
  if (folder.empty()) fail(QVX_ERROR_ARGUMENT, "no destination folder");
  const DWORD needed = GetFullPathNameW(folder.c_str(), 0, nullptr, nullptr);
  if (needed == 0) fail(QVX_ERROR_WRITE, "the destination folder path is invalid");
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(folder.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) fail(QVX_ERROR_WRITE, "the destination folder path is invalid");
  full.resize(length);
  std::wstring result;
  if (full.starts_with(L"\\\\?\\")) {
    result = full;
  } else if (full.starts_with(L"\\\\")) {
    result = L"\\\\?\\UNC\\" + full.substr(2);
  } else {
    result = L"\\\\?\\" + full;
  }
  // No trailing separator, except after a drive root ("\\?\C:\").
  while (result.size() > 7 && is_separator(result.back())) result.pop_back();
  if (result.size() == 6 && result[5] == L':') result += L'\\';
  return result;
}

std::string caller_path(const std::wstring& path) {
  if (path.starts_with(L"\\\\?\\UNC\\")) return wide_to_ansi(L"\\\\" + path.substr(8));
  if (path.starts_with(L"\\\\?\\")) return wide_to_ansi(path.substr(4));
  return wide_to_ansi(path);
}

std::size_t root_length(std::wstring_view path) {
  // \\?\C:\ or \\?\Volume{...}\: through the first separator after the prefix;
  // \\?\UNC\server\share\: through the separator after the share.
  std::size_t at = path.starts_with(L"\\\\?\\UNC\\") ? path.find(L'\\', 8) : 3;
  if (at != std::wstring_view::npos) at = path.find(L'\\', at + 1);
  return at == std::wstring_view::npos ? path.size() : at + 1;
}

}  // namespace qvx
