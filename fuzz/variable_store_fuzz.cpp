// Variable substitution. Fields: 1 a whole store as comma text (as a plug-in
// library hands it back), 2 a parameter text to substitute, 3 a variable
// field ($NAME$ or NAME, perhaps with the keep marker). The store's quick
// search for references must give what walking every variable gives.

#include <algorithm>
#include <optional>
#include <utility>

#include "fuzz_input.h"
#include "script/ansi_text.h"
#include "script/script_error.h"
#include "script/variable_store.h"

namespace {

using Variables = std::vector<std::pair<std::string, std::string>>;

// Substitution as its rule says, without the store's quick search: a pass
// replaces "$NEWLINE$", then each variable in store order on the result of the
// one before; passes repeat while the text changes and still holds a "$",
// until a pass substitutes the same variables as an earlier one.
// Kept within small bounds of its own (nothing when it leaves them), where
// the store's far larger bounds cannot have been reached.
constexpr int kPlainPasses = 16;
constexpr std::size_t kPlainLength = 1u << 16;

// `substituted`, when given, receives the positions of the variables that
// changed the text.
std::optional<std::string> plain_pass(const Variables& variables, std::string text, bool quoted,
                                      std::vector<std::size_t>* substituted = nullptr) {
  text = qm::replace_ignore_case(text, "$NEWLINE$", "\r\n");
  for (std::size_t i = 0; i < variables.size(); ++i) {
    const auto& [name, value] = variables[i];
    // A name given twice counts with its first value.
    bool given_before = false;
    for (std::size_t j = 0; j < i && !given_before; ++j) given_before = qm::equal_ignore_case(variables[j].first, name);
    if (given_before) continue;
    auto replaced =
        qm::replace_ignore_case_within(text, "$" + name + "$", quoted ? '"' + value + '"' : value, kPlainLength);
    if (!replaced) return std::nullopt;
    if (substituted != nullptr && *replaced != text) substituted->push_back(i);
    text = std::move(*replaced);
  }
  return text;
}

// Passes end, too, at the first pass that substitutes the same variables as
// an earlier one: a circle of references.
std::optional<std::string> plain_expand(const Variables& variables, std::string_view text) {
  std::string current(text);
  if (current.find('$') == std::string::npos) return current;
  std::vector<std::vector<std::size_t>> substituted_before;
  for (int pass = 0; pass < kPlainPasses; ++pass) {
    std::vector<std::size_t> substituted;
    std::optional<std::string> result = plain_pass(variables, current, false, &substituted);
    if (!result || result->find('$') == std::string::npos || *result == current) return result;
    for (const auto& before : substituted_before)
      if (before == substituted) return result;
    substituted_before.push_back(std::move(substituted));
    current = std::move(*result);
  }
  return std::nullopt;
}

std::optional<std::string> plain_expand_quoted(const Variables& variables, std::string_view text) {
  std::optional<std::string> result = plain_pass(variables, std::string(text), true);
  if (result && result->find('$') != std::string::npos && *result != text) return plain_expand(variables, *result);
  return result;
}

void check_expand(const qm::VariableStore& store, std::string_view text) {
  const Variables variables = store.snapshot();
  const bool comparable = variables.size() <= 256;
  const std::string expanded = store.expand(text);
  if (text.find('$') == std::string_view::npos) QM_FUZZ_CHECK(expanded == text);
  QM_FUZZ_CHECK(expanded.size() <= std::max(text.size(), qm::VariableStore::kMaxExpandedLength));
  if (comparable) {
    if (const auto plain = plain_expand(variables, text)) QM_FUZZ_CHECK(expanded == *plain);
  }

  const std::string quoted = store.expand_quoted(text);
  QM_FUZZ_CHECK(quoted.size() <= std::max(text.size(), qm::VariableStore::kMaxExpandedLength));
  if (comparable) {
    if (const auto plain = plain_expand_quoted(variables, text)) QM_FUZZ_CHECK(quoted == *plain);
  }
}

}  // namespace

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

  check_expand(store, text);
  const std::string expanded = store.expand(text);

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
    check_expand(store, text);
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
