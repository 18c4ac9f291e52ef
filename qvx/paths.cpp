#include "qvx/paths.h"

#include <windows.h>

#include <cwctype>

#include "qvx/failure.h"
#include "qvx/text.h"

namespace qvx {

namespace {

bool is_separator(wchar_t c) { return c == L'/' || c == L'\\'; }

bool is_device_name(std::wstring_view part) {
  std::wstring base(part.substr(0, part.find(L'.')));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  for (wchar_t& c : base) c = static_cast<wchar_t>(std::towupper(c));
  if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL" || base == L"CONIN$" ||
      base == L"CONOUT$" || base == L"CLOCK$") {
    return true;
  }
  if (base.size() == 4 && (base.starts_with(L"COM") || base.starts_with(L"LPT"))) {
    const wchar_t digit = base[3];
    // COM1..COM9, LPT1..LPT9 and the superscript digits Windows also reserves.
    return (digit >= L'1' && digit <= L'9') || digit == 0x00B9 || digit == 0x00B2 || digit == 0x00B3;
  }
  return false;
}

void check_part(std::wstring_view part) {
  for (wchar_t c : part) {
    if (c < 32 || c == L':' || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' || c == L'*') {
      fail(QVX_ERROR_ILLEGAL_PATH, "an entry name holds a character Windows does not allow");
    }
  }
  // Covers ".", ".." and "..." as well: Windows drops trailing dots and blanks.
  if (part.back() == L'.' || part.back() == L' ') {
    fail(QVX_ERROR_ILLEGAL_PATH, "an entry name climbs out or ends in a dot or blank");
  }
  if (is_device_name(part)) fail(QVX_ERROR_ILLEGAL_PATH, "an entry name is a device name");
}

}  // namespace

std::vector<std::wstring> safe_parts(std::wstring_view name) {
  if (name.empty()) fail(QVX_ERROR_ILLEGAL_PATH, "an entry has no name");
  if (is_separator(name.front())) fail(QVX_ERROR_ILLEGAL_PATH, "an entry name is an absolute path");
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = start;
    while (end < name.size() && !is_separator(name[end])) ++end;
    const std::wstring_view part = name.substr(start, end - start);
    if (!part.empty()) {
      check_part(part);
      parts.emplace_back(part);
    }
    start = end + 1;
  }
  if (parts.empty()) fail(QVX_ERROR_ILLEGAL_PATH, "an entry has no name");
  return parts;
}

std::string listed_name(std::wstring_view name) {
  std::wstring copy(name);
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

void create_folders(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) fail(QVX_ERROR_WRITE, "a file stands where a folder goes");
    return;
  }
  if (CreateDirectoryW(path.c_str(), nullptr)) return;
  DWORD error = GetLastError();
  if (error == ERROR_PATH_NOT_FOUND) {
    const std::size_t slash = path.find_last_of(L'\\');
    // Stop at the root ("\\?\C:" or "\\?\UNC\server\share").
    if (slash != std::wstring::npos && slash > 4) {
      create_folders(path.substr(0, slash));
      if (CreateDirectoryW(path.c_str(), nullptr)) return;
      error = GetLastError();
    }
  }
  if (error == ERROR_ALREADY_EXISTS) {
    const DWORD now = GetFileAttributesW(path.c_str());
    if (now != INVALID_FILE_ATTRIBUTES && (now & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  }
  fail(QVX_ERROR_WRITE, "a folder cannot be created");
}

}  // namespace qvx
