#pragma once
// The expression language of "Evaluate Expression":
//
//   expression = term { blank* connector term }        left to right, no precedence
//   connector  = "and" | "or"                          lower case, ended by a blank or a quote
//   term       = blank* ( "(" expression blank* ")" | comparison )
//   comparison = quoted blank* operator blank* quoted
//   operator   = "=" | "<>" | "<=" | "<" | ">=" | ">"  ended by a blank or a quote
//   quoted     = '"' { any character | '""' } '"'      '""' stands for one quote
//
// Blanks are spaces only. Comparisons are ordinal, byte for byte. Anything
// malformed makes the whole expression "ERROR".

#include <string>
#include <string_view>

namespace qm {

inline constexpr std::string_view kExpressionError = "ERROR";

// "TRUE", "FALSE" or "ERROR".
std::string evaluate_expression(std::string_view text);

}  // namespace qm
