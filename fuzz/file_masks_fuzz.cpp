// File masks and filters from a dialog definition (a file list's Mask, a
// filter combo's Filter), matched against a file name: three fields of one
// input. Whatever the texts, masks come back trimmed and never empty, a name
// fits itself as a mask and "*" fits every name, and the match keeps within
// its time (libFuzzer's timeout catches a match that backtracks without end).

#include "fuzz_input.h"
#include "script/ansi_text.h"
#include "wizard/file_masks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> parts = qm::fuzz::fields(qm::fuzz::as_text(data, size), 3);
  const std::string_view mask_text = parts[0];
  const std::string_view filter_text = parts[1];
  const std::string_view name = parts[2];

  const std::vector<std::string> masks = qm::split_masks(mask_text);
  QM_FUZZ_CHECK(!masks.empty());
  for (const std::string& mask : masks) {
    QM_FUZZ_CHECK(!mask.empty() && mask.front() != ' ' && mask.back() != ' ');
    QM_FUZZ_CHECK(mask.find(';') == std::string::npos);
  }
  (void)qm::matches_any_mask(name, masks);

  for (const qm::FilterChoice& choice : qm::filter_choices(filter_text)) {
    QM_FUZZ_CHECK(!choice.mask.empty());
    QM_FUZZ_CHECK(choice.description.find('|') == std::string::npos && choice.mask.find('|') == std::string::npos);
    for (const std::string& mask : qm::split_masks(choice.mask)) (void)qm::matches_mask(name, mask);
  }

  QM_FUZZ_CHECK(qm::matches_mask(name, "*"));
  QM_FUZZ_CHECK(qm::matches_mask(name, "*.*"));
  if (name.find_first_of("*?") == std::string_view::npos) {
    QM_FUZZ_CHECK(qm::matches_mask(name, name));
    QM_FUZZ_CHECK(qm::matches_mask(qm::ansi_upper(name), name));
  }
  return 0;
}
