#pragma once
// Entry names as paths below the destination folder: which names are safe to
// create, checked before anything is written.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qvx {

// One part of a name (a file or folder name) holds at most this many UTF-16
// units: NTFS, FAT32 and exFAT hold no more.
constexpr std::size_t kMaxPartLength = 255;
// An entry name has at most this many parts. Windows itself holds deeper
// trees, but nothing that installs software nests a thousand folders deep;
// a name that does is an attack on the time and memory of the extraction.
constexpr std::size_t kMaxDepth = 1024;

// The parts of an entry name (split at "/" and "\"), each safe to create in
// the folder of the one before. Throws QVX_ERROR_ILLEGAL_PATH for names that
// are empty or absolute (leading separator: root, UNC, \\?\ or \\.\), carry
// a drive or a stream (":"), climb with "..", hold a part that Windows would
// alter or treat as a device (trailing "." or " ", characters < > " | ? * or
// below 32, CON, NUL, COM1 ...), a part longer than kMaxPartLength, or more
// than kMaxDepth parts.
std::vector<std::u16string> safe_parts(std::u16string_view name);

}  // namespace qvx
