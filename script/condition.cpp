#include "script/condition.h"

#include <optional>
#include <utility>
#include <vector>

#include "script/ansi_text.h"
#include "script/expression.h"
#include "script/integer_text.h"
#include "script/truth_text.h"
#include "script/variable_store.h"

namespace qm {

namespace {

bool compare_integers(std::string_view code, std::int32_t left, std::int32_t right) {
  if (code == condition_code::kGreater) return left > right;
  return left == right;  // every other code compares integers for equality
}

bool compare_texts(std::string_view code, const std::string& left, const std::string& right) {
  if (code == condition_code::kEqual) return left == right;
  if (code == condition_code::kContains) return !right.empty() && left.find(right) != std::string::npos;
  if (code == condition_code::kGreater) return left.compare(right) > 0;  // ordinal byte order
  if (code == condition_code::kContainsIgnoreCase) return contains_ignore_case(left, right);
  return ascii_equal_ignore_case(left, right);  // condition_code::kEqualIgnoreCase
}

bool is_comparison_code(std::string_view code) {
  return code == condition_code::kEqual || code == condition_code::kContains || code == condition_code::kGreater ||
         code == condition_code::kContainsIgnoreCase || code == condition_code::kEqualIgnoreCase;
}

}  // namespace

bool condition_holds(const ConditionFields& fields, const VariableStore& variables) {
  const bool negated = is_true(fields.negate);
  if (fields.code == condition_code::kDefined) return variables.exists(fields.variable) != negated;

  std::string name = reference_name(fields.variable);
  if (name.empty()) name = fields.variable;
  const std::string left = variables.get(name);
  const std::string right = variables.expand(fields.value);

  bool outcome = false;
  if (is_comparison_code(fields.code)) {
    const auto left_number = parse_integer_text(left);
    const auto right_number = parse_integer_text(right);
    outcome = (left_number && right_number) ? compare_integers(fields.code, *left_number, *right_number)
                                            : compare_texts(fields.code, left, right);
  }
  return outcome != negated;
}

}  // namespace qm
