// Conditions of "If" and "Else If". Fields: 1 the store as comma text, 2 the
// variable (field 1 of the line), 3 the operator code, 4 the value, 5 the
// negation flag. Reading an undefined variable is the one script error a
// condition may raise; the negation flag turns the outcome round.

#include "fuzz_input.h"
#include "script/condition.h"
#include "script/script_error.h"
#include "script/truth_text.h"
#include "script/variable_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto field = qm::fuzz::fields(qm::fuzz::as_text(data, size), 5);
  qm::VariableStore store;
  store.replace_all(field[0]);
  qm::ConditionFields condition{std::string(field[1]), std::string(field[2]), std::string(field[3]),
                                std::string(field[4])};
  bool holds = false;
  try {
    holds = qm::condition_holds(condition, store);
  } catch (const qm::ScriptError& error) {
    QM_FUZZ_CHECK(std::string_view(error.what()).starts_with("Attempting to get value of undefined variable "));
    QM_FUZZ_CHECK(condition.code != qm::condition_code::kDefined);
    return 0;
  }
  const bool negated = qm::is_true(condition.negate);
  condition.negate = negated ? "FALSE" : "TRUE";
  QM_FUZZ_CHECK(qm::condition_holds(condition, store) == !holds);
  return 0;
}
