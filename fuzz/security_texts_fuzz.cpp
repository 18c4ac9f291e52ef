// The texts a script gives the share and access-control commands: a share
// target ("folder|computer"), a registry key in the security functions'
// form, a SID written as text. Fields: 1 a share target, 2 a key, 3 a SID.

#include "commands/security/security_object_name.h"
#include "commands/security/share_target.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = qm::fuzz::as_text(data, size);
  const auto field = qm::fuzz::fields(input, 3);

  const qm::ShareTarget target = qm::split_share_target(field[0]);
  QM_FUZZ_CHECK(target.subject.size() + target.computer.size() <= field[0].size());
  if (qm::names_folder(target.subject)) {
    const std::string folder = qm::shared_folder_path(target.subject);
    QM_FUZZ_CHECK(folder.size() <= target.subject.size() + 1);
  }
  QM_FUZZ_CHECK(qm::printer_name(target.subject).size() <= target.subject.size());
  const std::string unc = qm::share_unc_path(target.computer, target.subject);
  QM_FUZZ_CHECK(unc.size() >= target.subject.size());

  (void)qm::registry_security_name(field[1]);

  // A SID text has at most eight sub-authorities and an authority below 256.
  if (const auto sid = qm::parse_sid_text(field[2])) {
    QM_FUZZ_CHECK(sid->sub_authorities.size() <= 8);
    QM_FUZZ_CHECK(field[2].size() >= 4);
  }
  return 0;
}
