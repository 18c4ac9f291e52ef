// "Evaluate Expression". Fields: 1 the expression as the script writes it,
// 2 the store as comma text. The expression is evaluated as written, as the
// command sees it (each $NAME$ a quoted value) and as the validator checks it
// (each "$" a quote). The answer is always one of three texts, and enclosing
// the expression in parentheses or adding blanks after it changes nothing.

#include <algorithm>

#include "fuzz_input.h"
#include "script/expression.h"
#include "script/variable_store.h"

namespace {

std::string checked(std::string_view expression) {
  std::string result = qm::evaluate_expression(expression);
  QM_FUZZ_CHECK(result == "TRUE" || result == "FALSE" || result == qm::kExpressionError);
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto field = qm::fuzz::fields(qm::fuzz::as_text(data, size), 2);
  const std::string_view expression = field[0];

  const std::string result = checked(expression);
  // The nesting bound is far above any real expression; away from it, one more
  // pair of parentheses is the same expression.
  if (std::count(expression.begin(), expression.end(), '(') < 900)
    QM_FUZZ_CHECK(checked("(" + std::string(expression) + ")") == result);
  QM_FUZZ_CHECK(checked(std::string(expression) + "  ") == result);

  qm::VariableStore store;
  store.replace_all(field[1]);
  (void)checked(store.expand_quoted(expression));

  std::string validated(expression);
  std::replace(validated.begin(), validated.end(), '$', '"');
  (void)checked(validated);
  return 0;
}
