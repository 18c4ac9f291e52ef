// Archive passwords in the web media secret table. Fields: 1 the table, one
// entry per line (name, scrambled value, ...), 2 the block name looked up,
// 3 a scrambled text.

#include "fuzz_input.h"
#include "script/ansi_text.h"
#include "script/secret_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = qm::fuzz::as_text(data, size);
  const auto field = qm::fuzz::fields(input, 3);
  const std::vector<std::string> table = qm::fuzz::lines(field[0]);
  const std::string_view name = field[1];
  const std::string_view scrambled = field[2];

  // What reads back is written the same way again (digits in upper case).
  if (const auto password = qm::unscramble_secret(scrambled)) {
    QM_FUZZ_CHECK(password->size() * 2 == scrambled.size());
    QM_FUZZ_CHECK(qm::ascii_equal_ignore_case(qm::scramble_secret(*password), scrambled));
  }
  // Any password comes back from its scrambled form.
  const std::string written = qm::scramble_secret(input);
  QM_FUZZ_CHECK(qm::unscramble_secret(written) == input);

  const auto found = qm::secret_for(table, name, false);
  const auto with_fallback = qm::secret_for(table, name, true);
  if (found) QM_FUZZ_CHECK(with_fallback == found);
  return 0;
}
