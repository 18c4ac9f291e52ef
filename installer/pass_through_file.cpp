#include "installer/pass_through_file.h"

#include <fstream>
#include <iterator>

#include "platform/file_system.h"

namespace qm {

bool load_pass_through_file(InstallerPropertyLists& lists, const std::string& par_file) {
  std::ifstream file(par_file, std::ios::binary);
  if (!file) return false;
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) return false;
  lists.append_pass_through_text(text);
  return true;
}

void save_pass_through_file(const InstallerPropertyLists& lists, const std::string& par_file) {
  // A failure half way (full disk, removed medium) must leave the earlier
  // file intact rather than a truncated one that a maintenance run would read
  // as the truth.
  platform::replace_file_atomically(par_file, lists.pass_through_text());
}

}  // namespace qm
