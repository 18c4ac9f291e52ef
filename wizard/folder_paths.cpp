#include "wizard/folder_paths.h"

#include <algorithm>

#include "platform/unique_resource.h"
#include "script/ansi_text.h"

namespace qm {

namespace {

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char upper_letter(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool is_network_path(std::string_view path) { return path.size() >= 2 && path[0] == '\\' && path[1] == '\\'; }

// Where the root of a path ends: after "C:\", or after "\\server\share".
std::size_t root_length(std::string_view path) {
  if (path.size() >= 2 && is_letter(path[0]) && path[1] == ':') return path.size() >= 3 && path[2] == '\\' ? 3 : 2;
  if (is_network_path(path)) {
    const std::size_t server_end = path.find('\\', 2);
    if (server_end == std::string_view::npos) return path.size();
    const std::size_t share_end = path.find('\\', server_end + 1);
    return share_end == std::string_view::npos ? path.size() : share_end;
  }
  return 0;
}

DWORD attributes_of(const std::string& path) {
  QuietDriveErrors quiet;
  return GetFileAttributesA(path.c_str());
}

}  // namespace

QuietDriveErrors::QuietDriveErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {
  // SetErrorMode replaces the whole mode: keep the flags the process had.
  SetErrorMode(previous_ | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

QuietDriveErrors::~QuietDriveErrors() { SetErrorMode(previous_); }

bool is_folder(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = attributes_of(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool is_file(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = attributes_of(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string folder_path(std::string_view text) {
  std::string path(text);
  std::replace(path.begin(), path.end(), '/', '\\');
  if (path.size() == 1 && is_letter(path[0])) path += ":\\";
  if (path.size() == 2 && is_letter(path[0]) && path[1] == ':') path += '\\';
  if (path.empty() || path.find('\0') != std::string::npos) return {};
  char full[MAX_PATH * 2] = {};
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return {};
  path.assign(full, length);
  const std::size_t root = root_length(path);
  while (path.size() > std::max<std::size_t>(root, 1) && path.back() == '\\') path.pop_back();
  if (root == 2 && path.size() == 2) path += '\\';
  if (path.size() >= 2 && path[1] == ':') path[0] = upper_letter(path[0]);
  return path;
}

std::string root_of(std::string_view folder) {
  std::string root(folder.substr(0, root_length(folder)));
  if (root.size() == 2 && root[1] == ':') root += '\\';
  return root;
}

std::string parent_folder(std::string_view folder) {
  const std::size_t root = root_length(folder);
  if (folder.size() <= root) return {};
  const std::size_t slash = folder.find_last_of('\\');
  if (slash == std::string_view::npos || slash < root) return root_of(folder);
  std::string parent(folder.substr(0, std::max(slash, root)));
  if (parent.size() == 2 && parent[1] == ':') parent += '\\';
  return parent;
}

std::string path_in(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '\\') path += '\\';
  path += name;
  return path;
}

std::string folder_name(std::string_view folder) {
  const std::size_t root = root_length(folder);
  if (folder.size() <= root) return std::string(folder);
  const std::size_t slash = folder.find_last_of('\\');
  return std::string(slash == std::string_view::npos ? folder : folder.substr(slash + 1));
}

std::vector<std::string> folder_chain(std::string_view folder) {
  std::vector<std::string> chain;
  for (std::string at(folder); !at.empty(); at = parent_folder(at)) chain.push_back(at);
  std::reverse(chain.begin(), chain.end());
  return chain;
}

std::string working_folder() {
  char folder[MAX_PATH * 2] = {};
  const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
  if (length == 0 || length >= sizeof folder) return {};
  return folder_path(std::string_view(folder, length));
}

bool name_before(std::string_view a, std::string_view b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) == CSTR_LESS_THAN;
}

std::vector<FolderEntry> read_folder(const std::string& folder, std::size_t most) {
  std::vector<FolderEntry> entries;
  if (folder.empty()) return entries;
  QuietDriveErrors quiet;
  WIN32_FIND_DATAA found{};
  const platform::UniqueFindHandle search(FindFirstFileA(path_in(folder, "*").c_str(), &found));
  if (!search) return entries;
  do {
    const std::string_view name = found.cFileName;
    if (name == "." || name == "..") continue;
    FolderEntry entry;
    entry.name = found.cFileName;
    entry.attributes = found.dwFileAttributes;
    entry.size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    entry.written = found.ftLastWriteTime;
    entries.push_back(std::move(entry));
  } while (entries.size() < most && FindNextFileA(search.get(), &found));
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return name_before(a.name, b.name); });
  return entries;
}

std::vector<std::string> visible_subfolders(const std::string& folder, std::size_t most) {
  std::vector<std::string> names;
  for (FolderEntry& entry : read_folder(folder, most))
    if (entry.is_folder() && !entry.is_hidden()) names.push_back(std::move(entry.name));
  return names;
}

bool has_visible_subfolder(const std::string& folder) {
  if (folder.empty()) return false;
  QuietDriveErrors quiet;
  WIN32_FIND_DATAA found{};
  const platform::UniqueFindHandle search(FindFirstFileA(path_in(folder, "*").c_str(), &found));
  if (!search) return false;
  do {
    const std::string_view name = found.cFileName;
    const bool folder_entry = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool hidden = (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
    if (folder_entry && !hidden && name != "." && name != "..") return true;
  } while (FindNextFileA(search.get(), &found));
  return false;
}

std::string drive_root(char letter) { return std::string(1, upper_letter(letter)) + ":\\"; }

std::vector<DriveInfo> logical_drives() {
  std::vector<DriveInfo> drives;
  const DWORD present = GetLogicalDrives();
  QuietDriveErrors quiet;
  for (int i = 0; i < 26; ++i) {
    if ((present & (1u << i)) == 0) continue;
    DriveInfo drive;
    drive.letter = static_cast<char>('A' + i);
    const std::string root = drive_root(drive.letter);
    drive.type = GetDriveTypeA(root.c_str());
    if (drive.type == DRIVE_FIXED || drive.type == DRIVE_RAMDISK) {
      char label[MAX_PATH + 1] = {};
      if (GetVolumeInformationA(root.c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0))
        drive.label = label;
    }
    drives.push_back(std::move(drive));
  }
  return drives;
}

std::string drive_caption(const DriveInfo& drive) {
  const std::string letter = std::string(1, drive.letter) + ":";
  return drive.label.empty() ? "(" + letter + ")" : drive.label + " (" + letter + ")";
}

char drive_letter_of(std::string_view path) {
  return path.size() >= 2 && is_letter(path[0]) && path[1] == ':' ? upper_letter(path[0]) : 0;
}

}  // namespace qm
