#pragma once
// Text helpers for the engine's 8-bit strings (the system's ANSI code page).
//
// Case-insensitive means "equal after ANSI upper-casing": that is how variable
// names, line identifiers and list entries are compared everywhere.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// ANSI upper case of the system code page. Length-preserving, so positions
// found in the upper-cased text are positions in the original.
std::string ansi_upper(std::string_view text);
// ANSI lower case of the system code page, likewise length-preserving.
std::string ansi_lower(std::string_view text);

bool equal_ignore_case(std::string_view a, std::string_view b);

// ASCII letters only; used where the engine compares without regard to
// "ASCII letter case" and leaves other bytes exact.
bool ascii_equal_ignore_case(std::string_view a, std::string_view b);

bool contains_ignore_case(std::string_view text, std::string_view pattern);

// The one replacement primitive behind every substitution: replaces each
// occurrence of pattern, compared without regard to case, scanning left to
// right; inserted text is not scanned again. An empty source, or one shorter
// than the pattern, comes back unchanged.
std::string replace_ignore_case(std::string_view source, std::string_view pattern,
                                std::string_view replacement);

// As replace_ignore_case, but gives nothing when the result would be longer
// than max_length; nothing is built in that case.
std::optional<std::string> replace_ignore_case_within(std::string_view source, std::string_view pattern,
                                                      std::string_view replacement,
                                                      std::size_t max_length);

// Case-sensitive counterpart, for exact texts such as CR LF.
std::string replace_exact(std::string_view source, std::string_view pattern,
                          std::string_view replacement);

}  // namespace qm
