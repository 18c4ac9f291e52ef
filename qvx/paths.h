#pragma once
// Where entries go: long (\\?\) paths for the files written, and names and
// paths as callers see them.

#include <cstddef>
#include <string>
#include <string_view>

namespace qvx {

// A path Windows accepts with the \\?\ prefix holds at most 32,767 UTF-16
// units with its terminating zero. Every path the extraction writes (target,
// temporary file, folders) stays within this length, prefix included.
constexpr std::size_t kMaxPathLength = 32766;

// The entry name as callers see it: "\" between folders, ANSI code page.
std::string listed_name(std::u16string_view name);

// `folder` (relative or absolute) as an absolute path with the \\?\ prefix
// and no trailing separator.
std::wstring long_path(const std::wstring& folder);

// The length of the root of a long path, its last separator included:
// "\\?\C:\" or "\\?\UNC\server\share\". The extraction never makes or removes
// a folder there or above.
std::size_t root_length(std::wstring_view path);

// A long path as callers see it: without the \\?\ prefix, ANSI code page.
std::string caller_path(const std::wstring& path);

}  // namespace qvx
