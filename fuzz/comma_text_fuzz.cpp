// Comma text, the form in which string lists travel: the variable store to and
// from plug-in libraries, the pass-through list to the installer worker. The
// input is read as comma text (as a plug-in's answer is) and, line by line, as
// a list of items to write; both must survive a round trip. The same lines are
// read as a ".par" file, the pass-through list kept beside an installed product.

#include "fuzz_input.h"
#include "script/comma_text.h"
#include "script/installer_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = qm::fuzz::as_text(data, size);

  // Read, written again, read again: the same items.
  const std::vector<std::string> items = qm::from_comma_text(text);
  QM_FUZZ_CHECK(qm::from_comma_text(qm::to_comma_text(items)) == items);
  for (const std::string& item : items) QM_FUZZ_CHECK(item.find('\0') == std::string::npos);

  // Written, then read: the items given. Comma text ends at a NUL, as the C
  // strings it is exchanged as do, so items are written without one.
  std::vector<std::string> given;
  std::string_view rest = text;
  for (;;) {
    const std::size_t end = rest.find('\n');
    std::string item(rest.substr(0, end));
    std::erase(item, '\0');
    given.push_back(std::move(item));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  QM_FUZZ_CHECK(qm::from_comma_text(qm::to_comma_text(given)) == given);

  // A ".par" file: pairs of lines; what is read is written back as it was.
  qm::InstallerPropertyLists lists;
  lists.append_pass_through_text(text);
  QM_FUZZ_CHECK(lists.pass_through().size() % 2 == 0);
  qm::InstallerPropertyLists again;
  again.append_pass_through_text(lists.pass_through_text());
  QM_FUZZ_CHECK(again.pass_through() == lists.pass_through());
  if (text.find('\0') == std::string_view::npos)
    QM_FUZZ_CHECK(qm::from_comma_text(lists.pass_through_comma_text()) == lists.pass_through());
  return 0;
}
