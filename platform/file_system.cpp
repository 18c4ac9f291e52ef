#include "platform/file_system.h"

#include <algorithm>

#include "platform/unique_resource.h"
#include "platform/windows_error.h"
#include "script/path_text.h"

namespace qm::platform {

namespace {

void remove_contents(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  const UniqueFindHandle search(FindFirstFileA((folder + "*").c_str(), &entry));
  if (!search) return;
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
  } while (FindNextFileA(search.get(), &entry));
}

UniqueHandle create_for_writing(const std::string& path) {
  UniqueHandle file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw WindowsError("Unable to create the file " + path, GetLastError());
  return file;
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

bool write_completely(HANDLE file, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 20));
    if (!WriteFile(file, bytes, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    bytes += written;
    size -= written;
  }
  return true;
}

bool read_completely(HANDLE file, void* data, std::size_t size) {
  char* bytes = static_cast<char*>(data);
  while (size > 0) {
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 20));
    if (!ReadFile(file, bytes, chunk, &got, nullptr)) return false;
    if (got == 0) {
      SetLastError(ERROR_HANDLE_EOF);
      return false;
    }
    bytes += got;
    size -= got;
  }
  return true;
}

std::optional<std::string> read_whole_file(const std::string& path) {
  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  // What a 32-bit process can hold at all; larger is no file the engine reads.
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x3FFFFFFF) return std::nullopt;
  std::string content(static_cast<std::size_t>(size.QuadPart), '\0');
  if (!read_completely(file.get(), content.data(), content.size())) return std::nullopt;
  return content;
}

void write_whole_file(const std::string& path, const std::string& bytes) {
  const UniqueHandle file = create_for_writing(path);
  if (!write_completely(file.get(), bytes.data(), bytes.size()))
    throw WindowsError("Unable to write the file " + path, GetLastError());
}

void replace_file_atomically(const std::string& path, const std::string& bytes) {
  const std::string temporary = path + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
  // Whatever goes wrong below, the temporary file goes too.
  const auto fail = [&](const std::string& sentence, DWORD error) {
    DeleteFileA(temporary.c_str());
    throw WindowsError(sentence, error);
  };
  {
    UniqueHandle file = create_for_writing(temporary);
    if (!write_completely(file.get(), bytes.data(), bytes.size()) || !FlushFileBuffers(file.get())) {
      const DWORD error = GetLastError();
      file.reset();
      fail("Unable to write the file " + temporary, error);
    }
  }
  if (!MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    fail("Unable to replace the file " + path, GetLastError());
}

void copy_as_normal_file(const std::string& from, const std::string& to) {
  if (file_exists(to)) SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE) || !SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL))
    throw WindowsError("Unable to copy " + from + " to " + to, GetLastError());
}

bool remove_folder_tree(const std::string& folder, int attempts) {
  const std::string root = with_trailing_backslash(folder);
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (!folder_exists(root)) return true;
    if (attempt > 0) Sleep(200);
    remove_contents(root);
    RemoveDirectoryA(root.c_str());
  }
  return !folder_exists(root);
}

std::string create_numbered_folder(const std::string& parent, const std::string& prefix) {
  DWORD error = ERROR_FILE_EXISTS;
  for (unsigned n = 1; n < 100000; ++n) {
    const std::string folder = with_trailing_backslash(parent) + prefix + std::to_string(n) + "\\";
    if (GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
    if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
    error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) break;  // taken meanwhile: try the next number
  }
  throw WindowsError("Unable to create a folder in " + parent, error);
}

std::string short_path_form(const std::string& path) {
  std::string buffer(MAX_PATH, '\0');
  // A longer result asks for a bigger buffer; the path may change in
  // between, so the answer is checked again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    const DWORD length = GetShortPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return buffer.substr(0, length);
    buffer.assign(length, '\0');
  }
  return {};
}

bool create_folder_with_parents(const std::string& folder) {
  // Each backslash after the first character ends a folder to make; the
  // drive ("C:\") and a network share's server part simply fail to be made.
  for (std::size_t end = folder.find('\\', 1); end != std::string::npos; end = folder.find('\\', end + 1))
    CreateDirectoryA(folder.substr(0, end).c_str(), nullptr);
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder_exists(folder);
}

}  // namespace qm::platform
