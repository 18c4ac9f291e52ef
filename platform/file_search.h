#pragma once
// Wildcard searches through a folder tree, as the script commands that delete
// or list files walk it.

#include <functional>
#include <string>
#include <vector>

namespace qm::platform {

struct FileSearchOptions {
  bool subfolders = true;    // search every subfolder with the same mask
  bool list_folders = true;  // list the subfolders themselves
  // For a long search shown to the user: called as the search of each
  // folder begins, and with each file's path before it is listed.
  std::function<void()> on_folder = {};
  std::function<void(const std::string& path)> on_file = {};
  // Asked after each subfolder's search and after each file listed: true
  // ends the whole search, which returns what it found so far.
  std::function<bool()> stop_requested = {};
};

// The full paths of the files that match `pattern`: a folder path (with its
// trailing backslash) followed by a file mask with wildcards, for example
// C:\Data\*.txt. The mask selects files only; every subfolder is walked.
// For each subfolder come first the entries found inside it, then the folder
// itself (without a trailing backslash); the matching files of the pattern's
// own folder come last. A folder that is a link (a junction or a symbolic
// link) is listed but not entered, so that a search never leaves its tree.
// An empty mask matches nothing; a folder that does not exist has no entries.
std::vector<std::string> search_files(const std::string& pattern, FileSearchOptions options = {});

// Whether `folder` is written in full (from a drive letter or as a network
// path) and lies below the root of its drive or share once "." and ".." are
// resolved: the folders a command may walk and delete in.
bool is_below_a_root(const std::string& folder);

}  // namespace qm::platform
