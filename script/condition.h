#pragma once
// Conditions of "If" and "Else If" lines: a variable, an operator code, a
// value and a negation flag.

#include <cstddef>
#include <string>

namespace qm {

class VariableStore;

// Operator codes of field 2.
namespace condition_code {
inline constexpr const char* kEqual = "0";
inline constexpr const char* kContains = "1";
inline constexpr const char* kGreater = "2";
inline constexpr const char* kContainsIgnoreCase = "3";
inline constexpr const char* kEqualIgnoreCase = "4";
inline constexpr const char* kDefined = "5";
}  // namespace condition_code

struct ConditionFields {
  std::string variable;  // field 1: NAME or $NAME$
  std::string code;      // field 2: operator code
  std::string value;     // field 3: compared after substitution
  std::string negate;    // field 4: truth text
};

// Whether the condition holds. Reading an undefined variable is a script error.
bool condition_holds(const ConditionFields& fields, const VariableStore& variables);

}  // namespace qm
