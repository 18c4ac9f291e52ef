#pragma once
// The path computations of "Extract Path" and "Convert Path". Plain text
// work: the file system is reached only through the lookup the caller hands
// to long_path_form.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// "Extract Path" operations, by number:
//   0 file name                      4 parent folder, with a trailing backslash
//   1 file name without extension    5 drive, with a trailing backslash
//   2 extension without its dot      6 backslash pairs collapsed (no network
//   3 folder, with a trailing            path's "\\" is restored)
//     backslash
// Any other number gives the path unchanged.
std::string extract_path(std::string_view path, std::int32_t operation);

// The long name (as the file system spells it) of the last element of an
// existing path, or nothing when no such file or folder is found.
using LongNameLookup = std::function<std::optional<std::string>(const std::string& path)>;

// The long form of a path: quotes removed, every element that exists
// spelled by its long name, no trailing backslash. An element that is not
// found ends the conversion: it and its parents stay as written.
std::string long_path_form(std::string_view path, const LongNameLookup& lookup);

}  // namespace qm
