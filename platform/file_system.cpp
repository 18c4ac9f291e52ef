#include "platform/file_system.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

#include "platform/handle.h"

namespace qm::platform {

namespace {

std::string with_backslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

void remove_contents(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = folder + name;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      // A junction is removed, not followed.
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) remove_contents(path + "\\");
      RemoveDirectoryA(path.c_str());
    } else {
      DeleteFileA(path.c_str());
    }
  } while (FindNextFileA(search, &entry));
  FindClose(search);
}

}  // namespace

bool file_exists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folder_exists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void write_whole_file(const std::string& path, const std::string& bytes) {
  UniqueHandle file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw std::runtime_error("Cannot create " + path + " (error " + std::to_string(GetLastError()) + ")");
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0)
      throw std::runtime_error("Cannot write " + path + " (error " + std::to_string(GetLastError()) + ")");
    done += written;
  }
}

bool copy_as_normal_file(const std::string& from, const std::string& to) {
  if (file_exists(to)) SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) return false;
  return SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
}

bool remove_folder_tree(const std::string& folder, int attempts) {
  const std::string root = with_backslash(folder);
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (!folder_exists(root)) return true;
    if (attempt > 0) Sleep(200);
    remove_contents(root);
    RemoveDirectoryA(root.c_str());
  }
  return !folder_exists(root);
}

std::string create_numbered_folder(const std::string& parent, const std::string& prefix) {
  for (unsigned n = 1; n < 100000; ++n) {
    const std::string folder = with_backslash(parent) + prefix + std::to_string(n) + "\\";
    if (GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
    if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;  // taken meanwhile: try the next number
  }
  throw std::runtime_error("Cannot create a support folder in " + parent);
}

}  // namespace qm::platform
