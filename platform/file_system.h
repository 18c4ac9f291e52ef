#pragma once
// Files and folders as the engine's parts need them.

#include <string>

namespace qm::platform {

bool file_exists(const std::string& path);
bool folder_exists(const std::string& path);

// Writes the bytes to a new file (replacing an old one). Throws std::runtime_error on failure.
void write_whole_file(const std::string& path, const std::string& bytes);

// Copies a file, replacing the target, and gives the copy normal attributes
// (a read-only source must not make a read-only copy). False on failure.
bool copy_as_normal_file(const std::string& from, const std::string& to);

// Deletes a folder with everything in it; read-only files too. Tries
// `attempts` times, pausing between tries (a virus scanner or an exiting
// child process may hold a file for a moment). True when it is gone.
bool remove_folder_tree(const std::string& folder, int attempts = 1);

// The first "<parent><prefix><n>\" (n = 1, 2, ...) that does not exist, created.
// Throws std::runtime_error when no folder can be created.
std::string create_numbered_folder(const std::string& parent, const std::string& prefix);

}  // namespace qm::platform
