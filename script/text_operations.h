#pragma once
// Substring work on variable values: "Replace String" and "Parse String".

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// The value with the first occurrence of `find`, or every occurrence from
// left to right when `replace_all`, replaced. Occurrences never overlap and
// inserted text is not searched again. With `ignore_case`, texts match when
// their ANSI upper cases do; the text around a match keeps its case. An
// empty `find`, or a value shorter than it, leaves the value as it is.
std::string replace_text(std::string_view value, std::string_view find, std::string_view replacement, bool ignore_case,
                         bool replace_all);

// "Parse String" modes: how the second text splits the source.
enum ParseMode : std::int32_t {
  kParseAtFirstDelimiter = 0,  // before and after its first occurrence
  kParseAtLastDelimiter = 1,   // before and after its last occurrence
  kParseCountFromLeft = 2,     // the first n characters, and the rest
  kParseCountFromRight = 3,    // all but the last n characters, and those
};

struct ParseOptions {
  bool trim = false;         // every code of 32 or less removed from both ends of both parts
  bool ignore_case = false;  // delimiters matched without regard to ANSI case
};

struct SplitText {
  std::string first;
  std::string second;
};

// The source split by `delimiter_or_count` in `mode`. A delimiter that is
// not found leaves the whole source in the part on its far side (the first
// part for mode 0, the second for mode 1); an empty delimiter is never
// found. Counts are integer texts; one that is not gives two empty parts,
// and counts past either end are clipped. Any other mode gives two empty
// parts.
SplitText parse_string(std::string_view source, std::string_view delimiter_or_count, std::int32_t mode,
                       ParseOptions options);

// The text without characters of code 32 or less at either end.
std::string trim_blanks_and_controls(std::string_view text);

}  // namespace qm
