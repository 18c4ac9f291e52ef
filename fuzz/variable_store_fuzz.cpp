// Variable substitution. Fields: 1 a whole store as comma text (as a plug-in
// library hands it back), 2 a parameter text to substitute, 3 a variable
// field ($NAME$ or NAME, perhaps with the keep marker).

#include <algorithm>

#include "fuzz_input.h"
#include "script/ansi_text.h"
#include "script/script_error.h"
#include "script/variable_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto field = qm::fuzz::fields(qm::fuzz::as_text(data, size), 3);
  const std::string_view store_text = field[0];
  const std::string_view text = field[1];
  const std::string_view variable = field[2];

  qm::VariableStore store;
  store.replace_all(store_text);

  // The store's own comma text brings back the same store.
  qm::VariableStore copy;
  copy.replace_all(store.serialize());
  QM_FUZZ_CHECK(copy.snapshot() == store.snapshot());

  const std::string expanded = store.expand(text);
  if (text.find('$') == std::string_view::npos) QM_FUZZ_CHECK(expanded == text);
  QM_FUZZ_CHECK(expanded.size() <= std::max(text.size(), qm::VariableStore::kMaxExpandedLength));
  const std::string quoted = store.expand_quoted(text);
  QM_FUZZ_CHECK(quoted.size() <= std::max(text.size(), qm::VariableStore::kMaxExpandedLength));

  (void)store.reference_value(variable);
  const std::string marked = store.reference_value_or_marker(variable);
  const std::string name = qm::reference_name(variable);
  QM_FUZZ_CHECK(name.find('$') == std::string::npos);
  if (!name.empty()) QM_FUZZ_CHECK(variable == "$" + name + "$");
  const bool named = store.names_a_variable(variable, false);
  QM_FUZZ_CHECK(store.names_a_variable(variable, true) || !named);
  if (!named) QM_FUZZ_CHECK(marked == qm::kUndefinedMarker);
  const qm::KeepMarkedName keep = qm::split_keep_marker(variable);
  QM_FUZZ_CHECK(variable.starts_with(keep.variable));

  // "Set Variable" with the parameter text as the value.
  const std::string set_name = name.empty() ? std::string(keep.variable) : name;
  if (!set_name.empty()) {
    store.define(set_name, expanded, qm::category::kSetVariable);
    QM_FUZZ_CHECK(store.get(set_name) == expanded);
    QM_FUZZ_CHECK(store.exists(qm::ansi_upper(set_name)));
    (void)store.expand(text);
    if (store.serialize().find('\0') == std::string::npos) {
      copy.replace_all(store.serialize());
      QM_FUZZ_CHECK(copy.snapshot() == store.snapshot());
    }
  }
  try {
    (void)store.get(variable);
  } catch (const qm::ScriptError& error) {
    QM_FUZZ_CHECK(std::string_view(error.what()).starts_with("Attempting to get value of undefined variable "));
  }
  return 0;
}
