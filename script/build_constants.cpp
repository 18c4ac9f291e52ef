#include "script/build_constants.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "script/ansi_text.h"
#include "script/variable_store.h"

namespace qm {

namespace {

// Where each name stands in the constant list, so that a pass need not try
// every constant on the text.
class ConstantIndex {
 public:
  explicit ConstantIndex(const std::vector<std::string>& constants) {
    for (std::size_t i = 0; i + 1 < constants.size(); i += 2) {
      const std::string& name = constants[i];
      if (name.empty() || name.find('#') != std::string::npos) irregular_ = true;
      pairs_[ansi_upper(name)].push_back(i);
    }
  }

  // A name that is empty or holds a "#" can stand where no two neighbouring
  // "#" enclose it: every constant must then be tried.
  bool irregular() const { return irregular_; }

  // The first pair at or after `from` (list position of a name) named `name`,
  // or nothing.
  std::optional<std::size_t> first_pair(std::string_view name, std::size_t from) const {
    const auto found = pairs_.find(ansi_upper(name));
    if (found == pairs_.end()) return std::nullopt;
    const auto at = std::lower_bound(found->second.begin(), found->second.end(), from);
    if (at == found->second.end()) return std::nullopt;
    return *at;
  }

 private:
  std::unordered_map<std::string, std::vector<std::size_t>> pairs_;  // upper-cased name -> its positions
  bool irregular_ = false;
};

// One pass: each constant in list order, each on the result of the one before.
// Gives nothing when the text would grow past max_length.
std::optional<std::string> substitute_pass(std::string text, const std::vector<std::string>& constants,
                                           const ConstantIndex& index, std::size_t max_length) {
  auto substitute = [&](std::size_t i) -> bool {
    auto replaced = replace_ignore_case_within(text, "#" + constants[i] + "#", constants[i + 1], max_length);
    if (!replaced) return false;
    text = std::move(*replaced);
    return true;
  };

  if (index.irregular()) {
    for (std::size_t i = 0; i + 1 < constants.size(); i += 2)
      if (!substitute(i)) return std::nullopt;
    return text;
  }

  // A constant whose reference is not in the text changes nothing: find the
  // names that stand between two neighbouring "#" and substitute the first
  // pair in list order that is still due, until none is. The result is that
  // of trying every constant in turn, a name given twice included.
  std::size_t first_due = 0;
  for (;;) {
    std::optional<std::size_t> earliest;
    std::size_t open = text.find('#');
    while (open != std::string::npos) {
      const std::size_t close = text.find('#', open + 1);
      if (close == std::string::npos) break;
      if (close > open + 1) {
        const auto pair = index.first_pair(std::string_view(text).substr(open + 1, close - open - 1), first_due);
        if (pair && (!earliest || *pair < *earliest)) earliest = pair;
      }
      open = close;
    }
    if (!earliest) return text;
    if (!substitute(*earliest)) return std::nullopt;
    first_due = *earliest + 2;
  }
}

}  // namespace

std::string substitute_constants(std::string_view text, const std::vector<std::string>& constants) {
  std::string current(text);
  if (current.find('#') == std::string::npos) return current;
  const ConstantIndex index(constants);
  const std::size_t max_length = text.size() + kMaxConstantsGrowth;
  for (int pass = 0; pass < VariableStore::kMaxExpandPasses; ++pass) {
    if (current.find('#') == std::string::npos) return current;
    std::optional<std::string> result = substitute_pass(current, constants, index, max_length);
    if (!result || *result == current) return current;
    current = std::move(*result);
  }
  return current;
}

}  // namespace qm
