#pragma once
// Files and folders as the engine's parts need them. Failures that the caller
// cannot treat as an answer throw WindowsError (platform/windows_error.h).

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

namespace qm::platform {

bool file_exists(const std::string& path);
bool folder_exists(const std::string& path);

// The 8.3 form of an existing path, or "" when Windows finds none.
std::string short_path_form(const std::string& path);

// Writes all `size` bytes to an open file, however many calls WriteFile needs.
// False when Windows refuses (GetLastError() tells why).
bool write_completely(HANDLE file, const void* data, std::size_t size);

// Reads exactly `size` bytes from an open file at its current position. False
// when Windows refuses or the file ends first (GetLastError() tells which).
bool read_completely(HANDLE file, void* data, std::size_t size);

// The whole content of a file; nothing when it cannot be opened or read.
std::optional<std::string> read_whole_file(const std::string& path);

// Writes the bytes to a new file (replacing an old one).
void write_whole_file(const std::string& path, const std::string& bytes);

// Replaces the file's content as a whole or not at all: the bytes are written
// to a temporary file beside it, flushed, and moved over it. On failure the
// earlier file is untouched and no temporary file is left.
void replace_file_atomically(const std::string& path, const std::string& bytes);

// Copies a file, replacing the target, and gives the copy normal attributes
// (a read-only source must not make a read-only copy).
void copy_as_normal_file(const std::string& from, const std::string& to);

// Deletes a folder with everything in it; read-only files too. Tries
// `attempts` times, pausing between tries (a virus scanner or an exiting
// child process may hold a file for a moment). True when it is gone.
bool remove_folder_tree(const std::string& folder, int attempts = 1);

// Creates the folder and every missing folder above it; true when it exists
// afterwards.
bool create_folder_with_parents(const std::string& folder);

// The first "<parent><prefix><n>\" (n = 1, 2, ...) that does not exist, created.
std::string create_numbered_folder(const std::string& parent, const std::string& prefix);

}  // namespace qm::platform
