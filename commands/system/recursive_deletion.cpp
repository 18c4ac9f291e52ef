// Handler of "Delete Files Recursive", the one file command that acts at once
// rather than through Windows Installer.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "platform/file_search.h"
#include "platform/file_system.h"
#include "script/path_text.h"

namespace qm {

namespace {

bool is_link(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The pattern to search for field 1, or nothing when the command must not
// act. A folder named without a mask is searched as that folder with an
// empty mask (its empty subfolders go, its files stay), not as a mask within
// its parent, which would walk the whole parent folder.
std::optional<std::string> search_pattern(const Engine& engine, const ScriptLine& line) {
  std::string pattern = normalized_field(engine, line, 1);
  const std::string mask = file_name_of(pattern);
  if (!mask.empty() && mask.find_first_of("*?") == std::string::npos && platform::folder_exists(pattern))
    pattern += '\\';
  // A relative folder depends on whatever the current folder happens to be,
  // and a variable left empty turns "$APPDIR$\*.*" into a drive's root.
  if (!platform::is_below_a_root(folder_of(pattern))) return std::nullopt;
  return pattern;
}

// Files first, then the folders they emptied, each from the last entry found
// to the first: a folder's entries come before the folder itself.
void delete_entries(const std::vector<std::string>& entries) {
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
    // A link's attributes are those of what it points to, outside the tree.
    if (!is_link(*entry)) SetFileAttributesA(entry->c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(entry->c_str());
  }
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) RemoveDirectoryA(entry->c_str());
}

}  // namespace

// "Delete Files Recursive" — field 1, a path: a folder followed by a file
// mask with wildcards. Deletes the matching files in the folder and all its
// subfolders, read-only ones too, and every subfolder left empty; never the
// folder itself. Passes repeat while they still change what the search finds;
// files in use and folders that cannot be removed stay. Reports nothing.
void delete_files_recursive_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  const auto search = [&] {
    const std::optional<std::string> pattern = search_pattern(engine, line);
    return pattern ? platform::search_files(*pattern) : std::vector<std::string>{};
  };
  std::vector<std::string> entries = search();
  while (!entries.empty()) {
    delete_entries(entries);
    std::vector<std::string> left = search();
    if (left.size() == entries.size()) break;
    entries = std::move(left);
  }
}

}  // namespace qm
