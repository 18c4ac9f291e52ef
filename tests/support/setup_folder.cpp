#include "tests/support/setup_folder.h"

#include <windows.h>

#include "script/comma_text.h"

namespace qm::test {

SetupFolder::SetupFolder(const std::string& appended, const std::string& resource_archive) {
  setup_ = folder_.file("setup.exe");
  write_file(setup_, read_file(program_folder() + "quillmore.exe") + appended);
  copy_file(program_folder() + "qvx.lib", folder_.file("qvx.lib"));
  if (!resource_archive.empty())
    copy_file(program_folder() + "qvx_fixtures\\" + resource_archive, folder_.file("setup.res"));
  write_file(folder_.file("setup.msi"), "");
  CreateDirectoryA(folder_.file("data").c_str(), nullptr);
  CreateDirectoryA(folder_.file("data\\dump").c_str(), nullptr);
  copy_file(program_folder() + "test_plugin.dll", folder_.file("data\\dump\\test_plugin.dll"));
}

std::uint32_t SetupFolder::run(const std::string& arguments) const {
  return run_and_wait("\"" + setup_ + "\" " + arguments);
}

StartedProgram SetupFolder::start(const std::string& arguments) const {
  return StartedProgram("\"" + setup_ + "\" " + arguments);
}

std::map<std::string, std::string> SetupFolder::variables(const std::string& dump) const {
  std::map<std::string, std::string> variables;
  const std::string file = folder_.file(dump + ".txt");
  if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) return variables;
  const std::vector<std::string> items = from_comma_text(read_file(file));
  for (std::size_t i = 0; i + 1 < items.size(); i += 2) variables[items[i]] = items[i + 1];
  return variables;
}

std::size_t support_folders_in_temp() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  WIN32_FIND_DATAA entry;
  std::size_t count = 0;
  HANDLE search = FindFirstFileA((std::string(temp) + "qvx*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && std::string(entry.cFileName).size() > 3) ++count;
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return count;
}

}  // namespace qm::test
