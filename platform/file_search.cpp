#include "platform/file_search.h"

#include <windows.h>

#include "platform/unique_resource.h"
#include "script/path_text.h"

namespace qm::platform {

namespace {

bool is_drive_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_folder(const WIN32_FIND_DATAA& entry) { return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
bool is_link(const WIN32_FIND_DATAA& entry) { return (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// Calls `visit` for every entry FindFirstFileA lists for `pattern`, but "."
// and "..", until it answers false.
template <typename Visit>
void for_each_entry(const std::string& pattern, Visit visit) {
  WIN32_FIND_DATAA entry;
  const UniqueFindHandle search(FindFirstFileA(pattern.c_str(), &entry));
  if (!search) return;
  do {
    const std::string_view name = entry.cFileName;
    if (name != "." && name != ".." && !visit(entry)) return;
  } while (FindNextFileA(search.get(), &entry));
}

bool stop_requested(const FileSearchOptions& options) { return options.stop_requested && options.stop_requested(); }

// False when the search was asked to stop.
bool search_folder(const std::string& folder, const std::string& mask, const FileSearchOptions& options,
                   std::vector<std::string>& found) {
  if (options.on_folder) options.on_folder();
  bool going_on = true;
  for_each_entry(folder + "*.*", [&](const WIN32_FIND_DATAA& entry) {
    if (!is_folder(entry)) return true;
    const std::string path = folder + entry.cFileName;
    if (options.subfolders && !is_link(entry)) {
      if (!search_folder(path + "\\", mask, options, found) || stop_requested(options)) return going_on = false;
    }
    if (options.list_folders) found.push_back(path);
    return true;
  });
  // FindFirstFileA would read an empty mask as the folder itself.
  if (!going_on || mask.empty()) return going_on;
  for_each_entry(folder + mask, [&](const WIN32_FIND_DATAA& entry) {
    if (is_folder(entry)) return true;
    const std::string path = folder + entry.cFileName;
    if (options.on_file) options.on_file(path);
    found.push_back(path);
    return going_on = !stop_requested(options);
  });
  return going_on;
}

}  // namespace

std::vector<std::string> search_files(const std::string& pattern, FileSearchOptions options) {
  std::vector<std::string> found;
  search_folder(folder_of(pattern), file_name_of(pattern), options, found);
  return found;
}

bool is_below_a_root(const std::string& folder) {
  const bool drive = folder.size() >= 3 && is_drive_letter(folder[0]) && folder[1] == ':' && folder[2] == '\\';
  const bool network = folder.starts_with("\\\\");
  if (!drive && !network) return false;
  char full[MAX_PATH];
  const DWORD length = GetFullPathNameA(folder.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return false;
  std::string_view path(full, length);
  while (path.ends_with('\\')) path.remove_suffix(1);
  if (drive) return path.size() > 2;  // more than "C:"
  const std::size_t server_end = path.find('\\', 2);
  const std::size_t share_end = server_end == std::string_view::npos ? server_end : path.find('\\', server_end + 1);
  return share_end != std::string_view::npos;  // more than "\\server\share"
}

}  // namespace qm::platform
