#pragma once
// Four-part versions (major.minor.build.revision) as scripts and version
// resources give them, compared number by number as unsigned numbers.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// A dotted text's numbers are 32 bits wide (a "-1" there is the largest); a
// file's fit 16 bits.
using VersionNumbers = std::array<std::uint32_t, 4>;

// Whether `version` is at least `threshold`: major first, then minor, build,
// revision.
inline bool version_at_least(const VersionNumbers& version, const VersionNumbers& threshold) {
  return version >= threshold;
}

// The four numbers of a dotted text such as "7.0.5730.11". Each piece before
// a "." must be integer text (otherwise the script error "'<piece>' is not a
// valid integer value"); the last piece counts as 0 when it is not. Missing
// pieces are 0; pieces after the fourth are not read.
VersionNumbers dotted_version(std::string_view text);

// "6.0.2900.2180".
std::string version_text(const VersionNumbers& version);

}  // namespace qm
