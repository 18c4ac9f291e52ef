// "Get Folder Location" for every folder number, the user's and the
// all-users folder, against the same folders asked of Windows here by other
// means; the folders read from the registry also on values the test writes.

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "tests/commands/machine/registry_override.h"
#include "tests/commands/query/query_run.h"

namespace qm {
namespace {

constexpr REGSAM k32 = KEY_WOW64_32KEY;
constexpr REGSAM k64 = KEY_WOW64_64KEY;

std::string with_backslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

std::string shell_folder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return with_backslash(path);
}

std::string registry_text(HKEY root, REGSAM view, const std::string& key, const std::string& name) {
  return with_backslash(test::text_value(root, view, key, name).value_or(""));
}

bool is_wow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// Both folders of every number, as a script of `prelude` and then lines
// U<n> (the user's) and A<n> (all users') finds them.
std::unique_ptr<test::EngineRun> all_folders(const std::string& prelude = "") {
  std::string script = prelude;
  for (int number = 0; number <= 27; ++number) {
    const std::string n = std::to_string(number);
    script += "Get Folder Location | U" + n + " | " + n + " | FALSE\n";
    script += "Get Folder Location | A" + n + " | " + n + " | TRUE\n";
  }
  auto run = test::run_query_script(script);
  EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
  return run;
}

TEST(GetFolderLocationTest, ShellFolders) {
  const struct {
    int number;
    int user;
    int all_users;
  } cases[] = {
      {0, 32, 32}, {1, 33, 33}, {2, 5, 46},   {3, 6, 31},   {4, 13, 53},  {5, 39, 54},  {6, 14, 55},
      {7, 19, 19}, {8, 27, 27}, {11, 48, 47}, {12, 11, 22}, {13, 7, 24},  {14, 2, 23},  {15, 26, 35},
      {16, 59, 59}, {17, 0, 25}, {18, 20, 20}, {19, 40, 62}, {21, 8, 8},  {22, 9, 9},   {24, 21, 21},
  };
  const auto run = all_folders();
  for (const auto& c : cases) {
    const std::string n = std::to_string(c.number);
    EXPECT_EQ(run->get("U" + n), shell_folder(c.user)) << "folder " << c.number;
    EXPECT_EQ(run->get("A" + n), shell_folder(c.all_users)) << "folder " << c.number << ", all users";
  }
  EXPECT_NE(run->get("U17"), "") << "every Windows has a desktop";
}

TEST(GetFolderLocationTest, FoldersOfWindowsItself) {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  char system_32_bit[MAX_PATH] = {};
  if (is_wow64()) GetSystemWow64DirectoryA(system_32_bit, MAX_PATH);
  std::string cd_rom;
  for (char letter = 'Z'; letter >= 'A'; --letter)
    if (GetDriveTypeA((std::string(1, letter) + ":\\").c_str()) == DRIVE_CDROM) cd_rom = std::string(1, letter) + ":\\";
  const std::string current_version = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

  const auto run = all_folders();
  const auto run_64 = all_folders("Set 64 Bit Mode | | | TRUE\n");
  for (const char* which : {"U", "A"}) {
    SCOPED_TRACE(which);
    const auto get = [&](int number) { return run->get(which + std::to_string(number)); };
    const auto get_64 = [&](int number) { return run_64->get(which + std::to_string(number)); };
    EXPECT_EQ(get(10), cd_rom);
    EXPECT_EQ(get(23), with_backslash(is_wow64() ? system_32_bit : system));
    EXPECT_EQ(get_64(23), with_backslash(system)) << "a 64-bit target's system folder";
    EXPECT_EQ(get(25), with_backslash(windows));
    EXPECT_EQ(get(9), registry_text(HKEY_LOCAL_MACHINE, k32, current_version + "\\Setup", "BootDir"));
    EXPECT_EQ(get_64(9), registry_text(HKEY_LOCAL_MACHINE, k64, current_version + "\\Setup", "BootDir"));
  }
  EXPECT_EQ(run->get("U20"), registry_text(HKEY_LOCAL_MACHINE, k32, current_version, "ProgramFilesDir"));
  EXPECT_EQ(run->get("A20"), registry_text(HKEY_LOCAL_MACHINE, k32, current_version, "CommonFilesDir"));
  EXPECT_EQ(run_64->get("U20"), registry_text(HKEY_LOCAL_MACHINE, k64, current_version, "ProgramFilesDir"));
  EXPECT_EQ(run_64->get("A20"), registry_text(HKEY_LOCAL_MACHINE, k64, current_version, "CommonFilesDir"));
  EXPECT_NE(run->get("U20"), "");
}

TEST(GetFolderLocationTest, FoldersReadFromTheRegistry) {
  const std::string current_version = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  test::RegistryOverride boot_32(HKEY_LOCAL_MACHINE, k32, current_version + "\\Setup", "BootDir");
  test::RegistryOverride boot_64(HKEY_LOCAL_MACHINE, k64, current_version + "\\Setup", "BootDir");
  test::RegistryOverride program_files(HKEY_LOCAL_MACHINE, k32, current_version, "ProgramFilesDir");
  test::RegistryOverride common_files(HKEY_LOCAL_MACHINE, k32, current_version, "CommonFilesDir");
  test::RegistryOverride application_data(
      HKEY_CURRENT_USER, 0, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "AppData");
  boot_32.set_text("Q:\\boot32");
  boot_64.set_text("Q:\\boot64\\");
  program_files.set_text("Q:\\Programs");
  common_files.remove();
  application_data.set_text("Q:\\Users\\me\\AppData\\Roaming");

  const auto run = test::run_query_script("Get Folder Location | BOOT | 9\n"
                                          "Get Folder Location | PROGRAMS | 20 | FALSE\n"
                                          "Get Folder Location | COMMON | 20 | TRUE\n"
                                          "Get Folder Location | QUICK | 26\n"
                                          "Set 64 Bit Mode | | | TRUE\n"
                                          "Get Folder Location | BOOT64 | 9\n");
  // Windows keeps this key once for both views or once for each, as it
  // pleases: what each view shows here is the answer.
  const std::string setup_key = current_version + "\\Setup";
  EXPECT_EQ(run->get("BOOT"), registry_text(HKEY_LOCAL_MACHINE, k32, setup_key, "BootDir"));
  EXPECT_EQ(run->get("PROGRAMS"), "Q:\\Programs\\");
  EXPECT_EQ(run->get("COMMON"), "") << "no value";
  EXPECT_EQ(run->get("QUICK"), "Q:\\Users\\me\\AppData\\Roaming\\Microsoft\\Internet Explorer\\Quick Launch\\");
  EXPECT_EQ(run->get("BOOT64"), registry_text(HKEY_LOCAL_MACHINE, is_wow64() ? k64 : k32, setup_key, "BootDir"));
  EXPECT_EQ(run->get("BOOT64"), "Q:\\boot64\\") << "the 64-bit value, written last";

  application_data.set_text("");
  EXPECT_EQ(test::run_query_script("Get Folder Location | QUICK | 26")->get("QUICK"), "");
  application_data.remove();
  EXPECT_EQ(test::run_query_script("Get Folder Location | QUICK | 26")->get("QUICK"), "");
}

TEST(GetFolderLocationTest, WebRoot) {
  test::RegistryOverride path(HKEY_LOCAL_MACHINE, 0, "SOFTWARE\\Microsoft\\InetStp", "PathWWWRoot");
  const std::string roots = "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots";
  test::RegistryOverride root(HKEY_LOCAL_MACHINE, 0, roots, "/");
  test::RegistryOverride root_comma(HKEY_LOCAL_MACHINE, 0, roots, "/,");
  if (path.key_existed()) GTEST_SKIP() << "IIS is installed here; its entry is left alone";
  const struct {
    const char* path;  // nullptr: no value
    const char* root;
    const char* root_comma;
    const char* folder;
  } cases[] = {
      {nullptr, nullptr, nullptr, ""},
      {"c:\\inetpub\\wwwroot", nullptr, nullptr, "c:\\inetpub\\wwwroot\\"},
      {"c:\\inetpub\\wwwroot\\", "d:\\other,,201", nullptr, "c:\\inetpub\\wwwroot\\"},
      {nullptr, "c:\\inetpub\\wwwroot,,201", nullptr, "c:\\inetpub\\wwwroot\\"},
      {"", "c:\\inetpub\\wwwroot,,201", "d:\\later,,1", "c:\\inetpub\\wwwroot\\"},
      {"", "", "d:\\later,,1", "d:\\later\\"},
      {nullptr, nullptr, "d:\\later", "d:\\later\\"},
      {"e:\\web,site", nullptr, nullptr, "e:\\web\\"},  // everything from the first comma goes
      {nullptr, ",,201", nullptr, ""},
  };
  for (const auto& c : cases) {
    const auto set = [](const test::RegistryOverride& value, const char* text) {
      if (text == nullptr) value.remove(); else value.set_text(text);
    };
    set(path, c.path);
    set(root, c.root);
    set(root_comma, c.root_comma);
    EXPECT_EQ(test::run_query_script("Get Folder Location | WEB | 27")->get("WEB"), c.folder)
        << (c.path ? c.path : "-") << " " << (c.root ? c.root : "-") << " " << (c.root_comma ? c.root_comma : "-");
  }
}

TEST(GetFolderLocationTest, NumbersOutsideTheTableAndNoNumbers) {
  const auto run = test::run_query_script("Set Variable | OLD | old\n"
                                          "Get Folder Location | OLD | 28\n"
                                          "Get Folder Location | minus | -1 | TRUE\n"
                                          "Get Folder Location | HEX | $19\n"
                                          "Get Folder Location | WINDOWS | 25\n");
  EXPECT_EQ(run->get("OLD"), "");
  EXPECT_EQ(run->get("MINUS"), "");
  EXPECT_EQ(run->get("HEX"), run->get("WINDOWS")) << "$19 is 25";

  for (const char* number : {"windows", "", "25x"}) {
    const auto failed = std::make_unique<test::EngineRun>(
        test::script_package(std::string("Get Folder Location | F | ") + number));
    failed->run();
    EXPECT_EQ(failed->outcome().error_report,
              test::script_error_report(2, "'" + std::string(number) + "' is not a valid integer value"));
  }
}

}  // namespace
}  // namespace qm
