#pragma once
// Files and programs for tests: a private temporary folder removed at the
// end, whole-file reads and writes, and running a program to its exit code.

#include <cstdint>
#include <string>

namespace qm::test {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, with a trailing backslash.
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

void write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);
// A trace file (UTF-16LE) as 8-bit text: each code unit below 256 as one byte.
std::string read_trace(const std::string& path);
void copy_file(const std::string& from, const std::string& to);

// The folder of the running test program (where the build puts every
// program and library), with a trailing backslash.
std::string program_folder();

// Windows' temporary folder (the engine's TEMPDIR), with a trailing backslash.
std::string system_temp_folder();

// Runs a command line, waits for it and gives its full 32-bit exit code.
std::uint32_t run_and_wait(const std::string& command_line);

}  // namespace qm::test
