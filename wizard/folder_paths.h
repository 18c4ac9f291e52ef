#pragma once
// Folders, files and drives as the wizard's folder and shell controls show
// them: paths in one form, the entries of a folder and the machine's drives.
//
// Paths are the engine's 8-bit texts (the system's ANSI code page). A folder
// is kept without a trailing backslash except at a drive's root ("C:\"), the
// form the classic folder controls give back. Nothing here asks the user
// anything: probing a drive without its medium answers "not there" instead
// of showing Windows' "no disk" box.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Switches Windows' critical-error boxes ("There is no disk in the drive")
// off while it lives.
class QuietDriveErrors {
 public:
  QuietDriveErrors();
  ~QuietDriveErrors();
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

 private:
  UINT previous_;
};

bool is_folder(const std::string& path);
bool is_file(const std::string& path);

// The full form of a folder path: backslashes, "." and ".." resolved against
// the working folder, the drive letter in upper case, no trailing backslash
// but at a root. A drive letter alone ("d" or "d:") names that drive's root.
// Empty for an empty text or one that is no path.
std::string folder_path(std::string_view text);
// The root of a folder's drive ("C:\") or network share ("\\server\share").
std::string root_of(std::string_view folder);
// The folder holding `folder`; empty for a root.
std::string parent_folder(std::string_view folder);
// `name` inside `folder`.
std::string path_in(std::string_view folder, std::string_view name);
// The last piece of a folder path ("Vendor" of "C:\Program Files\Vendor");
// a root comes back whole.
std::string folder_name(std::string_view folder);
// The folders from the root down to `folder` itself.
std::vector<std::string> folder_chain(std::string_view folder);
// The working folder of the process.
std::string working_folder();

struct FolderEntry {
  std::string name;
  DWORD attributes = 0;
  std::uint64_t size = 0;
  FILETIME written{};

  bool is_folder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  bool is_hidden() const { return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0; }
};

// A folder may hold any number of entries; the controls show at most this
// many of them (those Windows lists first), so that a page never stalls on a
// folder with hundreds of thousands of files. Ten thousand entries read and
// sort in well under a second.
inline constexpr std::size_t kMostFolderEntries = 50000;

// The entries of a folder without "." and "..", sorted by name as the
// user's locale sorts, ignoring case. Nothing for a folder that cannot be
// read.
std::vector<FolderEntry> read_folder(const std::string& folder, std::size_t most = kMostFolderEntries);
// The names of the subfolders a user browses: neither hidden nor system ones.
std::vector<std::string> visible_subfolders(const std::string& folder, std::size_t most = kMostFolderEntries);
// Whether the folder holds a subfolder that visible_subfolders would list.
bool has_visible_subfolder(const std::string& folder);

// Whether a name sorts before another as the lists show them.
bool name_before(std::string_view a, std::string_view b);

struct DriveInfo {
  char letter = 'C';
  UINT type = DRIVE_UNKNOWN;  // GetDriveType's answer
  std::string label;         // read for fixed and RAM drives only
};

// The drive's root folder: "C:\".
std::string drive_root(char letter);
// The drives Windows reports, in letter order. Only drives that answer at
// once (fixed and RAM drives) are asked for their volume label: a floppy, a
// disc or a network drive may keep the user waiting.
std::vector<DriveInfo> logical_drives();
// "System (C:)", or "(C:)" without a label, as the shell controls name drives.
std::string drive_caption(const DriveInfo& drive);
// The drive letter of a path in upper case, or 0 for a path without one.
char drive_letter_of(std::string_view path);

}  // namespace qm
