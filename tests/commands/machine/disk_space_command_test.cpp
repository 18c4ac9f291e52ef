// "Check Disk Space" against the real drives of the test prefix.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "tests/commands/query/query_run.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

// A drive letter no drive of this machine has.
std::string missing_drive() {
  const DWORD drives = GetLogicalDrives();
  for (int letter = 25; letter >= 0; --letter)
    if ((drives & (1u << letter)) == 0) return std::string(1, static_cast<char>('A' + letter)) + ":\\";
  return {};
}

TEST(CheckDiskSpaceTest, SizeAndFreeSpaceOfTheVolume) {
  test::TempFolder folder;
  ULARGE_INTEGER available = {};
  ULARGE_INTEGER total = {};
  ASSERT_TRUE(GetDiskFreeSpaceExA(folder.path().c_str(), &available, &total, nullptr));

  const auto run = test::run_query_script("Set Variable | FOLDER | " + folder.path() +
                                          "\n"
                                          "Check Disk Space | TOTAL | $FOLDER$ | FALSE\n"
                                          "Check Disk Space | $FREE$ | $FOLDER$\\\\ | TRUE\n"
                                          "Check Disk Space | ROOT | " + folder.path().substr(0, 3) + " |\n");
  ASSERT_FALSE(run->outcome().failed) << run->outcome().error_report;
  EXPECT_EQ(run->get("TOTAL"), std::to_string(total.QuadPart));
  EXPECT_EQ(run->get("ROOT"), std::to_string(total.QuadPart)) << "any path on the volume";
  // Other programs write to the disk meanwhile: the free space is the same
  // give or take what they wrote.
  const std::uint64_t free = std::strtoull(run->get("FREE").c_str(), nullptr, 10);
  const std::uint64_t tolerance = 256u * 1024 * 1024;
  EXPECT_LT(free > available.QuadPart ? free - available.QuadPart : available.QuadPart - free, tolerance)
      << run->get("FREE") << " against " << available.QuadPart;
  EXPECT_GT(free, 0u);
}

TEST(CheckDiskSpaceTest, NoSuchVolumeGivesZero) {
  const std::string drive = missing_drive();
  ASSERT_FALSE(drive.empty());
  const auto run = test::run_query_script("Set Variable | OLD | old\n"
                                          "Check Disk Space | OLD | " + drive + " | TRUE\n"
                                          "Check Disk Space | TOTAL | " + drive + "folder\\ | FALSE\n"
                                          "Check Disk Space | SHARE | \\\\\\\\qm-no-such-server\\share\\ | FALSE\n");
  EXPECT_EQ(run->get("OLD"), "0");
  EXPECT_EQ(run->get("TOTAL"), "0");
  EXPECT_EQ(run->get("SHARE"), "0");
}

}  // namespace
}  // namespace qm
