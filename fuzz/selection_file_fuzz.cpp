// The selection file of an installed instance, read back by maintenance runs
// and by "Load Feature Selections" from wherever the script points. A file
// reads as lists of one-line entries, none of them a list end, with whole
// size pairs; written again in full it reads the same (with its missing
// settings empty); the update of it keeps its lists and settings and reads
// back with exactly the variables it was given.

#include <optional>

#include "fuzz_input.h"
#include "script/selection_file.h"

namespace {

bool one_line(const std::string& text) { return text.find_first_of("\r\n") == std::string::npos; }

bool entries_are_lines(const std::vector<std::string>& list) {
  for (const std::string& entry : list)
    if (!one_line(entry) || entry == "$") return false;
  return true;
}

bool same_lists(const qm::SelectionFile& a, const qm::SelectionFile& b) {
  return a.names == b.names && a.states == b.states && a.deleted == b.deleted && a.hidden == b.hidden &&
         a.choice_locked == b.choice_locked && a.sizes == b.sizes;
}

// What a file reads as once written in full.
qm::SelectionFile as_written(qm::SelectionFile file) {
  file.complete_lists = qm::kSelectionLists;
  for (std::optional<std::string>* setting : {&file.target_folder, &file.all_users, &file.start_menu, &file.data_folder})
    if (!*setting) *setting = "";
  if (!file.target_platform) file.target_platform = std::string(qm::kDefaultTargetPlatform);
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string_view> input = qm::fuzz::fields(qm::fuzz::as_text(data, size), 2);
  const qm::SelectionFile file = qm::parse_selection_file(input[0]);

  QM_FUZZ_CHECK(file.complete_lists >= 0 && file.complete_lists <= qm::kSelectionLists);
  QM_FUZZ_CHECK(file.sizes.size() % 2 == 0);
  for (const auto* list : {&file.names, &file.states, &file.deleted, &file.hidden, &file.choice_locked, &file.sizes})
    QM_FUZZ_CHECK(entries_are_lines(*list));
  if (file.complete_lists < qm::kSelectionLists)
    QM_FUZZ_CHECK(!file.target_folder && file.variables.empty() && !file.target_platform);
  for (const qm::KeptVariable& variable : file.variables)
    QM_FUZZ_CHECK(one_line(variable.name) && one_line(variable.value) && variable.name != qm::kTargetPlatformEntry);

  QM_FUZZ_CHECK(qm::parse_selection_file(qm::format_selection_file(file)) == as_written(file));

  std::vector<qm::KeptVariable> kept;
  const std::vector<std::string> lines = qm::fuzz::lines(input[1]);
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2)
    if (qm::one_line_form(lines[i]) != qm::kTargetPlatformEntry) kept.push_back({lines[i], lines[i + 1]});
  const std::optional<std::string> updated = qm::update_selection_text(input[0], kept);
  QM_FUZZ_CHECK(updated.has_value() == (file.complete_lists == qm::kSelectionLists));
  if (updated) {
    const qm::SelectionFile reread = qm::parse_selection_file(*updated);
    const qm::SelectionFile written = as_written(file);
    QM_FUZZ_CHECK(same_lists(reread, file) && reread.complete_lists == qm::kSelectionLists);
    QM_FUZZ_CHECK(reread.target_folder == written.target_folder && reread.all_users == written.all_users &&
                  reread.start_menu == written.start_menu && reread.data_folder == written.data_folder);
    QM_FUZZ_CHECK(reread.variables.size() == kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
      QM_FUZZ_CHECK(reread.variables[i].name == qm::one_line_form(kept[i].name));
      QM_FUZZ_CHECK(reread.variables[i].value == qm::one_line_form(kept[i].value));
    }
    QM_FUZZ_CHECK(reread.target_platform.has_value());
  }
  return 0;
}
