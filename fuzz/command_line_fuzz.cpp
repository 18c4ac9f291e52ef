// The engine's command line. Fields: 1 the whole command line as Windows gives
// it, 2 the arguments after the program name, one per line. NAME=VALUE pairs
// then go into a variable store as the run initialisation puts them there.

#include "fuzz_input.h"
#include "script/ansi_text.h"
#include "script/command_line.h"
#include "script/variable_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto field = qm::fuzz::fields(qm::fuzz::as_text(data, size), 2);
  const std::string_view raw = field[0];
  const std::vector<std::string> parameters = qm::fuzz::lines(field[1]);

  const qm::CommandLine line = qm::parse_command_line(raw, parameters);
  QM_FUZZ_CHECK(raw.ends_with(line.remainder));
  QM_FUZZ_CHECK(line.overrides.size() <= parameters.size());
  for (const qm::OverrideValue& given : line.overrides) {
    QM_FUZZ_CHECK(given.name == qm::ansi_upper(given.name));
    bool from_parameter = false;
    for (const std::string& parameter : parameters)
      from_parameter = from_parameter || (parameter.size() == given.name.size() + 1 + given.value.size() &&
                                          parameter.ends_with("=" + given.value) &&
                                          qm::equal_ignore_case(parameter.substr(0, given.name.size()), given.name));
    QM_FUZZ_CHECK(from_parameter);
  }

  // In a silent run the values given win over the script's writes.
  qm::VariableStore store;
  store.set_overrides(line.overrides);
  store.set_silent_run(line.silent);
  for (const qm::OverrideValue& given : line.overrides) store.define(given.name, given.value, qm::category::kInjectOverride);
  for (const qm::OverrideValue& given : line.overrides) {
    if (given.name.empty()) continue;
    store.set(given.name, "changed by the script", qm::category::kSetVariable);
    std::string expected = "changed by the script";
    if (line.silent) {
      for (const qm::OverrideValue& other : line.overrides)
        if (qm::equal_ignore_case(other.name, given.name)) expected = other.value;
    }
    QM_FUZZ_CHECK(store.get(given.name) == expected);
  }
  return 0;
}
