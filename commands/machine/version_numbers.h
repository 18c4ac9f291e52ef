#pragma once
// Four-part versions (major.minor.build.revision), compared part by part as
// unsigned numbers.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

using FourPartVersion = std::array<std::uint32_t, 4>;

// Whether `version` is at least `threshold`.
inline bool version_at_least(const FourPartVersion& version, const FourPartVersion& threshold) {
  return version >= threshold;  // lexicographic: major, then minor, build, revision
}

// A dotted version text such as "7.0.5730.11": each part is the integer text
// before the next "."; the last one, with no "." after it, counts as 0 when it
// is no integer; parts the text does not reach are 0. A part before a "."
// that is no integer is the script error "'<part>' is not a valid integer
// value".
FourPartVersion dotted_version(std::string_view text);

// The file version from the fixed version information of a file; 0.0.0.0
// when it has none.
FourPartVersion file_version(const std::string& path);

}  // namespace qm
