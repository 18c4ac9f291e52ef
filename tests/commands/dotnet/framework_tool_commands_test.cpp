// The commands that run the .NET Framework's tools, in the real setup.exe:
// recorder programs of ours stand at the tools' places in the Windows folder
// and note how they were called. Version 2.0's tool runs before 1.1's; a
// version that is not installed changes nothing.

#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/framework_tools.h"
#include "tests/support/package_text.h"
#include "tests/support/script_text.h"
#include "tests/support/setup_folder.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

using platform::FrameworkVersion;

constexpr const char* kTools[] = {"ngen.exe", "installutil.exe", "regasm.exe"};

// The recorder (tests/commands/programs/test_program) at the tools' places
// of the versions given; what it found there beforehand is put back after.
class FrameworkTools {
 public:
  explicit FrameworkTools(const std::vector<FrameworkVersion>& installed) {
    for (const FrameworkVersion version : installed) {
      const std::string folder = platform::framework_tool_path(version, "");
      if (!platform::folder_exists(folder)) {
        platform::create_folder_with_parents(folder);
        created_folders_.push_back(folder);
      }
      for (const char* tool : kTools) {
        const std::string path = folder + tool;
        if (platform::file_exists(path)) continue;  // never replace a real tool
        test::copy_file(test::program_folder() + "test_program.exe", path);
        placed_.push_back(path);
      }
    }
    SetEnvironmentVariableA("QM_RECORD_FILE", record_.file("calls.txt").c_str());
  }
  ~FrameworkTools() {
    SetEnvironmentVariableA("QM_RECORD_FILE", nullptr);
    for (const std::string& path : placed_) DeleteFileA(path.c_str());
    for (auto folder = created_folders_.rbegin(); folder != created_folders_.rend(); ++folder)
      RemoveDirectoryA(folder->c_str());
  }
  FrameworkTools(const FrameworkTools&) = delete;
  FrameworkTools& operator=(const FrameworkTools&) = delete;

  // Each call as "<version folder>\<tool> <parameters>", in order.
  std::vector<std::string> calls() const {
    std::vector<std::string> found;
    if (!platform::file_exists(record_.file("calls.txt"))) return found;
    const std::string text = test::read_file(record_.file("calls.txt"));
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = text.find("\r\n", start);
      found.push_back(shortened(text.substr(start, end - start)));
      start = end == std::string::npos ? text.size() : end + 2;
    }
    return found;
  }

 private:
  // A command line with the tool's path cut to its version folder and name.
  static std::string shortened(const std::string& command_line) {
    const std::size_t framework = command_line.find("Framework\\");
    if (framework == std::string::npos) return command_line;
    std::string rest = command_line.substr(framework + 10);
    const std::size_t exe = rest.find(".exe");
    std::string parameters = rest.substr(exe + 4);
    if (!parameters.empty() && parameters.front() == '"') parameters.erase(0, 1);
    if (!parameters.empty() && parameters.front() == ' ') parameters.erase(0, 1);
    return rest.substr(0, exe + 4) + " " + parameters;
  }

  test::TempFolder record_;
  std::vector<std::string> placed_;
  std::vector<std::string> created_folders_;
};

// The product's installer database with two assemblies in MsiAssembly.
void add_assemblies(const std::string& package) {
  MSIHANDLE database = 0;
  ASSERT_EQ(MsiOpenDatabaseA(package.c_str(), MSIDBOPEN_TRANSACT, &database), static_cast<UINT>(ERROR_SUCCESS));
  for (const char* statement :
       {"CREATE TABLE `MsiAssembly` (`Component_` CHAR(72) NOT NULL, `Feature_` CHAR(38) NOT NULL PRIMARY KEY "
        "`Component_`)",
        "CREATE TABLE `MsiAssemblyName` (`Component_` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL, `Value` "
        "CHAR(255) NOT NULL PRIMARY KEY `Component_`, `Name`)",
        "INSERT INTO `MsiAssembly` (`Component_`, `Feature_`) VALUES ('Core', 'Main')",
        "INSERT INTO `MsiAssemblyName` (`Component_`, `Name`, `Value`) VALUES ('Core', 'Name', 'Sample.Core')",
        "INSERT INTO `MsiAssemblyName` (`Component_`, `Name`, `Value`) VALUES ('Core', 'Version', '1.2.0.0')"}) {
    MSIHANDLE view = 0;
    EXPECT_EQ(MsiDatabaseOpenViewA(database, statement, &view), static_cast<UINT>(ERROR_SUCCESS)) << statement;
    EXPECT_EQ(MsiViewExecute(view, 0), static_cast<UINT>(ERROR_SUCCESS)) << statement;
    MsiViewClose(view);
    MsiCloseHandle(view);
  }
  MsiDatabaseCommit(database);
  MsiCloseHandle(database);
}

constexpr const char* kScript =
    "Set Variable | ASSEMBLY | C:\\Program Files\\Sample App\\sample core.dll\n"
    "Generate Native Images | $ASSEMBLY$\n"
    "Run .NET Installer Class | $ASSEMBLY$ | TRUE\n"
    "Run .NET Installer Class | $ASSEMBLY$ | FALSE\n"
    "Register Assembly | $ASSEMBLY$\n"
    "Remove Assemblies\n";

TEST(FrameworkToolCommandsTest, EachToolRunsForVersionTwoThenOnePointOne) {
  const std::string assembly = "\"C:\\Program Files\\Sample App\\sample core.dll\"";
  const struct Case {
    const char* name;
    std::vector<FrameworkVersion> installed;
    std::vector<std::string> calls;
  } cases[] = {
      {"both versions",
       {FrameworkVersion::k2_0, FrameworkVersion::k1_1},
       {"v2.0.50727\\ngen.exe " + assembly, "v1.1.4322\\ngen.exe install " + assembly,
        "v2.0.50727\\installutil.exe  " + assembly, "v1.1.4322\\installutil.exe  " + assembly,
        "v2.0.50727\\installutil.exe /u " + assembly, "v1.1.4322\\installutil.exe /u " + assembly,
        "v2.0.50727\\regasm.exe " + assembly + " /silent", "v1.1.4322\\regasm.exe " + assembly + " /silent",
        "v2.0.50727\\installutil.exe /u Sample.Core,Version=1.2.0.0",
        "v1.1.4322\\installutil.exe /u Sample.Core,Version=1.2.0.0"}},
      {"version 2.0 only",
       {FrameworkVersion::k2_0},
       {"v2.0.50727\\ngen.exe " + assembly, "v2.0.50727\\installutil.exe  " + assembly,
        "v2.0.50727\\installutil.exe /u " + assembly, "v2.0.50727\\regasm.exe " + assembly + " /silent",
        "v2.0.50727\\installutil.exe /u Sample.Core,Version=1.2.0.0"}},
      {"none", {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const FrameworkTools tools(c.installed);
    test::SetupFolder setup(test::script_package(kScript).text());
    test::copy_file(test::program_folder() + "probe_product.msi", setup.file("setup.msi"));
    add_assemblies(setup.file("setup.msi"));
    EXPECT_EQ(setup.run("/s"), 0u);
    EXPECT_EQ(tools.calls(), c.calls);
  }
}

// A package without assembly tables (or one that cannot be read) runs no tool.
TEST(FrameworkToolCommandsTest, RemoveAssembliesWithoutAssembliesRunsNothing) {
  const FrameworkTools tools({FrameworkVersion::k2_0, FrameworkVersion::k1_1});
  test::SetupFolder setup(test::script_package("Remove Assemblies\n").text());
  EXPECT_EQ(setup.run("/s"), 0u);  // setup.msi here is no installer database at all
  test::copy_file(test::program_folder() + "probe_product.msi", setup.file("setup.msi"));
  EXPECT_EQ(setup.run("/s"), 0u);
  EXPECT_TRUE(tools.calls().empty());
}

}  // namespace
}  // namespace qm
