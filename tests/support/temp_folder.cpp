#include "tests/support/temp_folder.h"

#include "tests/support/started_program.h"

#include <windows.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/file_system.h"
#include "platform/module_image.h"
#include "platform/unique_resource.h"

namespace qm::test {

std::string system_temp_folder() {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(sizeof temp, temp);
  return temp;
}

TempFolder::TempFolder() {
  const std::string temp = system_temp_folder();
  static unsigned counter = 0;
  for (;;) {
    path_ = temp + "qmtest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + "\\";
    if (CreateDirectoryA(path_.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create " + path_);
  }
}

TempFolder::~TempFolder() { platform::remove_folder_tree(path_); }

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

std::string read_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

std::string read_trace(const std::string& path) {
  const std::string bytes = read_file(path);
  std::string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const unsigned unit = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
    text += unit < 256 ? static_cast<char>(unit) : '?';
  }
  return text;
}

void copy_file(const std::string& from, const std::string& to) {
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) throw std::runtime_error("cannot copy " + from + " to " + to);
}

std::string program_folder() {
  const std::string self = platform::module_file_path(nullptr);
  return self.substr(0, self.find_last_of("\\/") + 1);
}

std::uint32_t run_and_wait(const std::string& command_line) {
  return StartedProgram(command_line).wait(INFINITE);
}

}  // namespace qm::test
