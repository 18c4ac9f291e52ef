#pragma once
// Versions as "Get File Version" and "Check File Version" see them: four
// numbers major.minor.build.revision, from a file's fixed version information
// or from a dotted text such as 5.1.2600.0.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// Compared number by number from major to revision, as unsigned numbers. A
// dotted text's numbers are 32 bits wide (a "-1" there is the largest); a
// file's fit 16 bits.
using VersionNumbers = std::array<std::uint32_t, 4>;

// The fixed file version of a file's version resource; 0.0.0.0 for a file
// that has none, that is missing or that cannot be read.
VersionNumbers file_version(const std::string& path);

// The four numbers of a dotted text. Each piece before a "." must be integer
// text (otherwise the script error "'<piece>' is not a valid integer value");
// the last piece counts as 0 when it is not. Missing pieces are 0; pieces
// after the fourth are not read.
VersionNumbers dotted_version(std::string_view text);

// "6.0.2900.2180".
std::string version_text(const VersionNumbers& version);

}  // namespace qm
