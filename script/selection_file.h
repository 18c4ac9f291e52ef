#pragma once
// The selection file an installed instance keeps for its maintenance runs:
// the component model, the settings the user chose, the variables the script
// marked for keeping, and the target platform. Plain text, CR LF after every
// line:
//
//   component names          one per line, in model order
//   $
//   component states         index-aligned with the names
//   $
//   deleted set, $, hidden set, $, choice-locked set, $
//   component size pairs     name line, size line, repeated
//   $
//   TARGETDIR, ALLUSERS, STARTMENU
//   data folder line         the data folder's short form, or empty
//   kept variables           name line, value line, repeated
//   VRAK64WOW                then the target platform
//
// Every value sits on one line: a line break in it is written as
// "$NEWLINE$", which the variable store turns back when the value is used.
//
// The file lies on the user's disk, where anything may have happened to it: a
// damaged or cut-off file gives whatever it still holds, and never more than
// it holds.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The name under which the target platform is kept among the variables.
inline constexpr std::string_view kTargetPlatformEntry = "VRAK64WOW";
// The target platform of a file that names none.
inline constexpr std::string_view kDefaultTargetPlatform = "Win32";

struct KeptVariable {
  std::string name;
  std::string value;  // in its one-line form

  bool operator==(const KeptVariable&) const = default;
};

struct SelectionFile {
  // The six lists, as far as the file holds them.
  std::vector<std::string> names;
  std::vector<std::string> states;
  std::vector<std::string> deleted;
  std::vector<std::string> hidden;
  std::vector<std::string> choice_locked;
  std::vector<std::string> sizes;  // whole pairs only
  // How many of the six lists end with their "$" line. A list that is not
  // complete was cut off; it holds what came before the cut.
  int complete_lists = 0;

  // The lines after the sixth "$", each when the file reaches it.
  std::optional<std::string> target_folder;
  std::optional<std::string> all_users;
  std::optional<std::string> start_menu;
  std::optional<std::string> data_folder;
  // Whole pairs only, in file order, without the target platform's.
  std::vector<KeptVariable> variables;
  // The value of the last "VRAK64WOW" pair, when there is one.
  std::optional<std::string> target_platform;

  bool operator==(const SelectionFile&) const = default;
};

inline constexpr int kSelectionLists = 6;

SelectionFile parse_selection_file(std::string_view text);

// The file in full. Missing settings are written as empty lines, a missing
// target platform as "Win32"; every entry is put in its one-line form.
std::string format_selection_file(const SelectionFile& file);

// The update of an earlier file: its lists, settings and data folder line
// stay, the kept variables become `variables`, and its target platform (its
// last line) stays. Nothing when the old text has fewer than six "$" lines:
// such a file is left as it is.
std::optional<std::string> update_selection_text(std::string_view old_text, const std::vector<KeptVariable>& variables);

// A text on one line: every line break (CR LF, or a CR or LF alone) becomes
// "$NEWLINE$". A lone CR or LF comes back as CR LF; keeping it as it is would
// split the entry and shift every line after it.
std::string one_line_form(std::string_view text);

}  // namespace qm
