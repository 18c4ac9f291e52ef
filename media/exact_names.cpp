#include "media/exact_names.h"

#include <windows.h>

#include "platform/unique_resource.h"
#include "platform/wide_text.h"

namespace qm::media_files {

namespace {

bool is_dot_entry(const WIN32_FIND_DATAW& found) {
  return wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0;
}

bool is_folder(const WIN32_FIND_DATAW& found) { return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

template <typename Visit>
void for_each_entry(const std::wstring& folder, Visit visit) {
  WIN32_FIND_DATAW found;
  const platform::UniqueFindHandle search(FindFirstFileW((folder + L"*").c_str(), &found));
  if (!search) return;
  do {
    if (!is_dot_entry(found)) visit(found);
  } while (FindNextFileW(search.get(), &found));
}

void collect_files(const std::wstring& root, const std::wstring& relative, std::vector<std::wstring>& files) {
  std::vector<std::wstring> folders;
  for_each_entry(root + relative, [&](const WIN32_FIND_DATAW& found) {
    if (is_folder(found)) {
      folders.push_back(relative + found.cFileName + L"\\");
    } else {
      files.push_back(relative + found.cFileName);
    }
  });
  for (const std::wstring& folder : folders) collect_files(root, folder, files);
}

bool replace_file(const std::wstring& from, const std::wstring& to) {
  SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
}

}  // namespace

std::wstring wide(std::string_view ansi) { return platform::wide_from_ansi(ansi); }

std::string listed_form(std::wstring_view name) {
  if (name.empty()) return {};
  const int length = static_cast<int>(name.size());
  const DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int bytes = WideCharToMultiByte(CP_ACP, flags, name.data(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string(name.size(), '?');
  std::string ansi(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, flags, name.data(), length, ansi.data(), bytes, nullptr, nullptr);
  return ansi;
}

std::wstring lower_case(std::wstring text) {
  if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

bool file_exists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool folder_exists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool create_folders(const std::wstring& folder) {
  std::wstring path = folder;
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  if (path.empty() || folder_exists(path)) return !path.empty();
  const std::size_t split = path.find_last_of(L"\\/");
  if (split != std::wstring::npos && split > 0 && path[split - 1] != L':' && path[split - 1] != L'\\') {
    create_folders(path.substr(0, split));
  }
  CreateDirectoryW(path.c_str(), nullptr);
  return folder_exists(path);
}

std::vector<std::wstring> files_below(const std::wstring& folder) {
  std::vector<std::wstring> files;
  collect_files(folder, L"", files);
  return files;
}

bool move_folder_over(const std::wstring& from, const std::wstring& to) {
  if (!folder_exists(from) || !create_folders(to)) return false;
  bool moved = true;
  for_each_entry(from, [&](const WIN32_FIND_DATAW& found) {
    const std::wstring name = found.cFileName;
    if (is_folder(found)) {
      moved = move_folder_over(from + name + L"\\", to + name + L"\\") && moved;
    } else {
      moved = replace_file(from + name, to + name) && moved;
    }
  });
  if (moved) RemoveDirectoryW(from.c_str());
  return moved;
}

void remove_tree(const std::wstring& folder) {
  for_each_entry(folder, [&](const WIN32_FIND_DATAW& found) {
    const std::wstring path = folder + found.cFileName;
    if (is_folder(found)) {
      remove_tree(path + L"\\");
    } else {
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(path.c_str());
    }
  });
  RemoveDirectoryW(folder.c_str());
}

std::wstring folder_part(const std::wstring& path) {
  const std::size_t split = path.find_last_of(L'\\');
  return split == std::wstring::npos ? std::wstring() : path.substr(0, split + 1);
}

std::wstring name_part(const std::wstring& path) {
  const std::size_t split = path.find_last_of(L'\\');
  return split == std::wstring::npos ? path : path.substr(split + 1);
}

}  // namespace qm::media_files
