// Build constants (#NAME#). Fields: 1 the package's build constant list, one
// entry per line (name, value, name, value, ...), 2 the text to substitute.

#include <algorithm>

#include "fuzz_input.h"
#include "script/build_constants.h"
#include "script/variable_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto field = qm::fuzz::fields(qm::fuzz::as_text(data, size), 2);
  const std::vector<std::string> constants = qm::fuzz::lines(field[0]);
  const std::string_view text = field[1];

  const std::string result = qm::substitute_constants(text, constants);
  if (text.find('#') == std::string_view::npos) QM_FUZZ_CHECK(result == text);
  QM_FUZZ_CHECK(result.size() <= std::max(text.size(), qm::VariableStore::kMaxExpandedLength));
  // Substitution with no constants leaves the text as it is; so does
  // substitution on its own result when no value brings in a "#" (each
  // replacement then takes two away, so the passes end well within bound).
  QM_FUZZ_CHECK(qm::substitute_constants(text, {}) == text);
  bool values_plain = true;
  for (std::size_t i = 1; i < constants.size(); i += 2) values_plain = values_plain && constants[i].find('#') == std::string::npos;
  if (values_plain && std::count(text.begin(), text.end(), '#') < 120)
    QM_FUZZ_CHECK(qm::substitute_constants(result, constants) == result);
  return 0;
}
