#pragma once
// Truth texts and the one-line form of line breaks.

#include <string>
#include <string_view>

namespace qm {

inline constexpr std::string_view kTrueText = "TRUE";
inline constexpr std::string_view kFalseText = "FALSE";
inline constexpr std::string_view kNewlineMarker = "$NEWLINE$";

inline std::string to_truth_text(bool value) { return std::string(value ? kTrueText : kFalseText); }

// True when the text, upper-cased, is "TRUE", or when it is exactly "-1".
bool is_true(std::string_view text);

// "$NEWLINE$" (any case) becomes CR LF.
std::string newlines_to_text(std::string_view text);
// CR LF becomes "$NEWLINE$": the form in which a value is kept on one line.
std::string text_to_newlines(std::string_view text);

}  // namespace qm
