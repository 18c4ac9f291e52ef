// "Evaluate Expression": the input is the expression, evaluated as written
// and as the validator checks it (each "$" a quote). The answer is always one
// of three texts, and enclosing the expression in parentheses or adding blanks
// after it changes nothing. (What the command evaluates, its field with each
// $NAME$ a quoted value, is text of the same kind; variable_store_fuzz covers
// that substitution.)

#include <algorithm>

#include "fuzz_input.h"
#include "script/expression.h"

namespace {

std::string checked(std::string_view expression) {
  std::string result = qm::evaluate_expression(expression);
  QM_FUZZ_CHECK(result == "TRUE" || result == "FALSE" || result == qm::kExpressionError);
  return result;
}

// Whether a ")" outside quoted text closes more than the text opened: it then
// closes the parentheses the evaluator puts around the text, and what follows
// is left over ("a" = "b" )or ("c" = "c" is an error, but in one more pair of
// parentheses a well-formed expression).
bool closes_below_start(std::string_view expression) {
  bool quoted = false;
  long depth = 0;
  for (const char c : expression) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '(') ++depth;
    if (c == ')' && --depth < 0) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view expression = qm::fuzz::as_text(data, size);

  const std::string result = checked(expression);
  // The nesting bound is far above any real expression; away from it, one more
  // pair of parentheses is the same expression.
  if (std::count(expression.begin(), expression.end(), '(') < 900 && !closes_below_start(expression))
    QM_FUZZ_CHECK(checked("(" + std::string(expression) + ")") == result);
  QM_FUZZ_CHECK(checked(std::string(expression) + "  ") == result);

  std::string validated(expression);
  std::replace(validated.begin(), validated.end(), '$', '"');
  (void)checked(validated);
  return 0;
}
