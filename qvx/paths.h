#pragma once
// Where entries go: names checked so that nothing lands outside the
// destination folder, and long (\\?\) paths for the files written.

#include <string>
#include <string_view>
#include <vector>

namespace qvx {

// The parts of an entry name (split at "/" and "\"), each safe to create in
// the folder of the one before. Throws QVX_ERROR_ILLEGAL_PATH for names that
// are absolute (leading separator: root, UNC, \\?\ or \\.\), carry a drive or
// a stream (":"), climb with "..", or hold a part that Windows would alter or
// treat as a device (trailing "." or " ", characters < > " | ? * or below 32,
// CON, NUL, COM1 ...).
std::vector<std::wstring> safe_parts(std::wstring_view name);

// The entry name as callers see it: "\" between folders, ANSI code page.
std::string listed_name(std::wstring_view name);

// `folder` (relative or absolute) as an absolute path with the \\?\ prefix
// and no trailing separator.
std::wstring long_path(const std::wstring& folder);

// A long path as callers see it: without the \\?\ prefix, ANSI code page.
std::string caller_path(const std::wstring& path);

// Creates `path` and the folders above it. Throws QVX_ERROR_WRITE when that
// fails or a file is in the way.
void create_folders(const std::wstring& path);

}  // namespace qvx
