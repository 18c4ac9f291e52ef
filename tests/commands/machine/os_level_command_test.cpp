// "Get OS or SP Level" against the version Windows reports to this process.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "commands/machine/windows_facts.h"
#include "tests/commands/query/query_run.h"

namespace qm {
namespace {

TEST(GetOsOrSpLevelTest, NameOrServicePackOfThisWindows) {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExA(&info));
  WindowsVersion version;
  version.nt_family = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;

  const auto run = test::run_query_script("Set Variable | OLD | old\n"
                                          "Get OS or SP Level | OLD | TRUE\n"
                                          "Get OS or SP Level | name | -1\n"
                                          "Get OS or SP Level | LEVEL | FALSE\n"
                                          "Get OS or SP Level | LEVEL2 |\n");
  ASSERT_FALSE(run->outcome().failed) << run->outcome().error_report;
  EXPECT_EQ(run->get("OLD"), windows_name(version));
  EXPECT_EQ(run->get("NAME"), windows_name(version)) << "-1 is true";
  EXPECT_EQ(run->get("LEVEL"), std::to_string(service_pack_level(info.szCSDVersion)));
  EXPECT_EQ(run->get("LEVEL2"), run->get("LEVEL"));
}

}  // namespace
}  // namespace qm
