// Build constants (#NAME#). Fields: 1 the package's build constant list, one
// entry per line (name, value, name, value, ...), 2 the text to substitute.
// The quick search for references must give what trying every constant in
// turn gives.

#include <algorithm>
#include <optional>

#include "fuzz_input.h"
#include "script/ansi_text.h"
#include "script/build_constants.h"

namespace {

// Substitution as its rule says: a pass replaces each constant in list order
// on the result of the one before; passes repeat while the text changes and
// still holds a "#". Kept within small bounds of its own (nothing when it
// leaves them), where the real bounds cannot have been reached.
std::optional<std::string> plain_substitution(std::string_view text, const std::vector<std::string>& constants) {
  constexpr int kPasses = 16;
  constexpr std::size_t kLength = 8192;
  std::string current(text);
  for (int pass = 0; pass < kPasses; ++pass) {
    if (current.find('#') == std::string::npos) return current;
    std::string result = current;
    for (std::size_t i = 0; i + 1 < constants.size(); i += 2) {
      auto replaced = qm::replace_ignore_case_within(result, "#" + constants[i] + "#", constants[i + 1], kLength);
      if (!replaced) return std::nullopt;
      result = std::move(*replaced);
    }
    if (result == current) return current;
    current = std::move(result);
  }
  return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto field = qm::fuzz::fields(qm::fuzz::as_text(data, size), 2);
  const std::vector<std::string> constants = qm::fuzz::lines(field[0]);
  const std::string_view text = field[1];

  const std::string result = qm::substitute_constants(text, constants);
  if (text.find('#') == std::string_view::npos) QM_FUZZ_CHECK(result == text);
  QM_FUZZ_CHECK(result.size() <= text.size() + qm::kMaxConstantsGrowth);
  QM_FUZZ_CHECK(qm::substitute_constants(text, {}) == text);
  if (constants.size() <= 256) {
    if (const auto plain = plain_substitution(text, constants)) QM_FUZZ_CHECK(result == *plain);
  }
  return 0;
}
