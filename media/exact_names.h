#pragma once
// Files handled by their exact (UTF-16) names. An archive's entries may hold
// characters the ANSI code page lacks: the archive library writes them under
// their exact names and lists them with "?" in their place, so whatever moves
// extracted files must work with the wide names Windows has for them.

#include <string>
#include <string_view>
#include <vector>

namespace qm::media_files {

std::wstring wide(std::string_view ansi);
// The ANSI form the archive library lists a name in: characters the code page
// lacks become "?", never a look-alike.
std::string listed_form(std::wstring_view name);
std::wstring lower_case(std::wstring text);

bool file_exists(const std::wstring& path);
bool folder_exists(const std::wstring& path);
// Creates the folder and the missing folders above it; true when it exists.
bool create_folders(const std::wstring& folder);

// The files below `folder` (which ends with a backslash), recursively, as
// paths relative to it; the files of a folder before those of its subfolders.
std::vector<std::wstring> files_below(const std::wstring& folder);

// Moves every file and folder of `from` into `to` (both end with a
// backslash), replacing files that are there, and removes `from`. True when
// everything moved.
bool move_folder_over(const std::wstring& from, const std::wstring& to);

// Deletes the folder and everything in it, read-only files too.
void remove_tree(const std::wstring& folder);

// The folder part of a relative or full path, with its backslash ("" for none).
std::wstring folder_part(const std::wstring& path);
std::wstring name_part(const std::wstring& path);

}  // namespace qm::media_files
