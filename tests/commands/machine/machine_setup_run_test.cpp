// The machine queries in a real setup run: setup.exe, started silently,
// asks the machine and its script's variables are dumped.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/support/script_text.h"
#include "tests/support/setup_folder.h"

namespace qm {
namespace {

TEST(MachineQueriesSetupRunTest, AllFiveCommands) {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  ULARGE_INTEGER available = {};
  ULARGE_INTEGER total = {};
  ASSERT_TRUE(GetDiskFreeSpaceExA(windows, &available, &total, nullptr));
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExA(&info);
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD computer_size = sizeof computer;
  GetComputerNameA(computer, &computer_size);

  const test::SetupFolder setup(test::script_package("Get System Settings | NT | 18\n"
                                                     "Get System Settings | COMPUTER | 61\n"
                                                     "Get System Settings | NONE | 76\n"
                                                     "Get OS or SP Level | LEVEL | FALSE\n"
                                                     "Get Folder Location | WINDOWS | 25 | FALSE\n"
                                                     "Check Disk Space | $SIZE$ | $WINDOWS$ | FALSE\n"
                                                     "Is MSI Setup Installed | {6B1E2B5D-9C0A-4F53-8E36-52A0C1D7E9F4} | "
                                                     "INSTALLED\n"
                                                     "dump")
                                    .text());
  ASSERT_EQ(setup.run("/s"), 0u);
  const auto variables = setup.variables();
  EXPECT_EQ(variables.at("NT"), info.dwPlatformId == VER_PLATFORM_WIN32_NT ? "TRUE" : "FALSE");
  EXPECT_EQ(variables.at("COMPUTER"), computer);
  EXPECT_EQ(variables.at("NONE"), "");
  int level = 0;
  for (int n = 10; n >= 1 && level == 0; --n)
    if (std::string(info.szCSDVersion).find(std::to_string(n)) != std::string::npos) level = n;
  EXPECT_EQ(variables.at("LEVEL"), std::to_string(level));
  EXPECT_EQ(variables.at("WINDOWS"), std::string(windows) + "\\");
  EXPECT_EQ(variables.at("SIZE"), std::to_string(total.QuadPart));
  EXPECT_EQ(variables.at("INSTALLED"), "FALSE");
}

TEST(MachineQueriesSetupRunTest, AQuestionThatIsNoNumberEndsTheRun) {
  const test::SetupFolder setup(test::script_package("Set Variable | BEFORE | yes\n"
                                                     "dump\n"
                                                     "Get System Settings | A | first\n"
                                                     "Set Variable | AFTER | yes\n"
                                                     "dump")
                                    .text());
  setup.run("/s");
  const auto variables = setup.variables();
  EXPECT_EQ(variables.count("BEFORE"), 1u);
  EXPECT_EQ(variables.count("AFTER"), 0u) << "the script stopped at the line";
}

}  // namespace
}  // namespace qm
