#pragma once
// How the share commands read their first field: what is shared (or which
// share) and on which computer.

#include <string>
#include <string_view>

namespace qm {

// "A|B" split at the first "|": A is a folder, a printer or a share name, B
// the computer (empty: this one). Without "|" the whole text is A.
struct ShareTarget {
  std::string subject;
  std::string computer;
};
ShareTarget split_share_target(std::string_view text);

// A folder is written with a drive or a backslash; any other name is a
// printer's.
bool names_folder(std::string_view subject);

// The folder as the network functions get it: upper-cased, a bare drive
// ("C:") given its root backslash, any other path without one trailing
// backslash. A drive's root keeps its backslash: "C:" alone is the drive's
// current folder, not a path a share can take.
std::string shared_folder_path(std::string_view folder);

// The printer's name in a share target or a print share's path: the text
// before the first ",".
std::string printer_name(std::string_view text);

// The UNC path through which a new share is reached: "\\computer\share". The
// computer may be written with or without its leading "\\".
std::string share_unc_path(std::string_view computer, std::string_view share_name);

}  // namespace qm
