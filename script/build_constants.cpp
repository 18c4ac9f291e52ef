#include "script/build_constants.h"

#include "script/ansi_text.h"
#include "script/variable_store.h"

namespace qm {

namespace {

// One pass: each constant in list order, each on the result of the one before.
// Gives nothing when the text would outgrow the substitution bound.
std::optional<std::string> substitute_pass(std::string text, const std::vector<std::string>& constants) {
  for (std::size_t i = 0; i + 1 < constants.size(); i += 2) {
    auto replaced = replace_ignore_case_within(text, "#" + constants[i] + "#", constants[i + 1],
                                               VariableStore::kMaxExpandedLength);
    if (!replaced) return std::nullopt;
    text = std::move(*replaced);
  }
  return text;
}

}  // namespace

std::string substitute_constants(std::string_view text, const std::vector<std::string>& constants) {
  std::string current(text);
  for (int pass = 0; pass < VariableStore::kMaxExpandPasses; ++pass) {
    if (current.find('#') == std::string::npos) return current;
    std::optional<std::string> result = substitute_pass(current, constants);
    if (!result || *result == current) return current;
    current = std::move(*result);
  }
  return current;
}

}  // namespace qm
