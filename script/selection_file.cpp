#include "script/selection_file.h"

#include <array>

#include "script/text_lines.h"
#include "script/truth_text.h"

namespace qm {

namespace {

constexpr std::string_view kListEnd = "$";
// TARGETDIR, ALLUSERS, STARTMENU and the data folder line.
constexpr std::size_t kSettingLines = 4;

// Hands out the lines of a text one at a time.
class LineSource {
 public:
  explicit LineSource(std::string_view text) : rest_(text) {}

  std::optional<std::string_view> next() {
    const std::optional<TakenLine> line = take_line(rest_, false);
    if (!line) return std::nullopt;
    rest_.remove_prefix(line->consumed);
    return line->text;
  }

 private:
  std::string_view rest_;
};

void add_line(std::string& text, std::string_view line) {
  text += one_line_form(line);
  text += "\r\n";
}

void add_list(std::string& text, const std::vector<std::string>& list) {
  for (const std::string& entry : list) add_line(text, entry);
  add_line(text, kListEnd);
}

void add_variables(std::string& text, const std::vector<KeptVariable>& variables) {
  for (const KeptVariable& variable : variables) {
    add_line(text, variable.name);
    add_line(text, variable.value);
  }
}

}  // namespace

std::string one_line_form(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      result += kNewlineMarker;
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

SelectionFile parse_selection_file(std::string_view text) {
  SelectionFile file;
  LineSource lines(text);
  const std::array<std::vector<std::string>*, kSelectionLists> lists = {
      &file.names, &file.states, &file.deleted, &file.hidden, &file.choice_locked, &file.sizes};
  while (file.complete_lists < kSelectionLists) {
    const std::optional<std::string_view> line = lines.next();
    if (!line) break;
    if (*line == kListEnd)
      ++file.complete_lists;
    else
      lists[static_cast<std::size_t>(file.complete_lists)]->emplace_back(*line);
  }
  // A name without its size would pair every later name with a size and
  // every size with a name.
  if (file.sizes.size() % 2 != 0) file.sizes.pop_back();
  if (file.complete_lists < kSelectionLists) return file;

  for (std::optional<std::string>* setting : {&file.target_folder, &file.all_users, &file.start_menu, &file.data_folder}) {
    const std::optional<std::string_view> line = lines.next();
    if (!line) return file;
    *setting = std::string(*line);
  }
  while (const std::optional<std::string_view> name = lines.next()) {
    const std::optional<std::string_view> value = lines.next();
    if (!value) break;
    if (*name == kTargetPlatformEntry)
      file.target_platform = std::string(*value);
    else
      file.variables.push_back({std::string(*name), std::string(*value)});
  }
  return file;
}

std::string format_selection_file(const SelectionFile& file) {
  std::string text;
  add_list(text, file.names);
  add_list(text, file.states);
  add_list(text, file.deleted);
  add_list(text, file.hidden);
  add_list(text, file.choice_locked);
  add_list(text, file.sizes);
  for (const std::optional<std::string>* setting : {&file.target_folder, &file.all_users, &file.start_menu, &file.data_folder})
    add_line(text, setting->value_or(""));
  add_variables(text, file.variables);
  add_line(text, kTargetPlatformEntry);
  add_line(text, file.target_platform.value_or(std::string(kDefaultTargetPlatform)));
  return text;
}

std::optional<std::string> update_selection_text(std::string_view old_text, const std::vector<KeptVariable>& variables) {
  LineSource lines(old_text);
  std::string text;
  int list_ends = 0;
  while (list_ends < kSelectionLists) {
    const std::optional<std::string_view> line = lines.next();
    if (!line) return std::nullopt;
    if (*line == kListEnd) ++list_ends;
    add_line(text, *line);
  }
  // A file cut off among its settings gets empty ones: the variables written
  // next must not be read as settings.
  for (std::size_t setting = 0; setting < kSettingLines; ++setting) add_line(text, lines.next().value_or(""));
  add_variables(text, variables);
  std::optional<std::string_view> last;
  while (const std::optional<std::string_view> line = lines.next()) last = line;
  add_line(text, kTargetPlatformEntry);
  add_line(text, last.value_or(kDefaultTargetPlatform));
  return text;
}

}  // namespace qm
