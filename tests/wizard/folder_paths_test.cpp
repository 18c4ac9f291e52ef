// Paths, folder listings and drives as the folder and shell controls see
// them, on real folders under Wine.

#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/temp_folder.h"
#include "wizard/folder_paths.h"

namespace qm {
namespace {

// A drive letter the machine does not have.
char missing_drive() {
  const DWORD present = GetLogicalDrives();
  for (int i = 25; i >= 3; --i)
    if ((present & (1u << i)) == 0) return static_cast<char>('A' + i);
  return 0;
}

TEST(FolderPathsTest, PathsTakeOneForm) {
  const struct {
    const char* text;
    const char* folder;
  } cases[] = {
      {"c:\\Temp\\", "C:\\Temp"},
      {"c:/temp/x/../y", "C:\\temp\\y"},
      {"C:\\Program Files\\\\Vendor", "C:\\Program Files\\Vendor"},
      {"d", "D:\\"},
      {"d:", "D:\\"},
      {"D:\\", "D:\\"},
      {"\\\\server\\share\\dir\\", "\\\\server\\share\\dir"},
      {"\\\\server\\share\\", "\\\\server\\share"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(folder_path(c.text), c.folder) << c.text;
}

TEST(FolderPathsTest, PiecesOfAFolder) {
  EXPECT_EQ(parent_folder("C:\\A\\B"), "C:\\A");
  EXPECT_EQ(parent_folder("C:\\A"), "C:\\");
  EXPECT_EQ(parent_folder("C:\\"), "");
  EXPECT_EQ(parent_folder("\\\\server\\share\\a"), "\\\\server\\share");
  EXPECT_EQ(parent_folder("\\\\server\\share"), "");
  EXPECT_EQ(root_of("C:\\A\\B"), "C:\\");
  EXPECT_EQ(root_of("\\\\server\\share\\a"), "\\\\server\\share");
  EXPECT_EQ(folder_name("C:\\Program Files\\Vendor"), "Vendor");
  EXPECT_EQ(folder_name("C:\\"), "C:\\");
  EXPECT_EQ(path_in("C:\\", "Temp"), "C:\\Temp");
  EXPECT_EQ(path_in("C:\\Temp", "a.txt"), "C:\\Temp\\a.txt");
  EXPECT_EQ(folder_chain("C:\\A\\B"), (std::vector<std::string>{"C:\\", "C:\\A", "C:\\A\\B"}));
  EXPECT_EQ(folder_chain(""), std::vector<std::string>{});
  EXPECT_EQ(drive_letter_of("c:\\x"), 'C');
  EXPECT_EQ(drive_letter_of("\\\\server\\share"), 0);
}

TEST(FolderPathsTest, AFolderIsReadSortedWithoutDots) {
  test::TempFolder temp;
  const std::string root = folder_path(temp.path());
  CreateDirectoryA((root + "\\beta").c_str(), nullptr);
  CreateDirectoryA((root + "\\Alpha").c_str(), nullptr);
  CreateDirectoryA((root + "\\Secret").c_str(), nullptr);
  SetFileAttributesA((root + "\\Secret").c_str(), FILE_ATTRIBUTE_HIDDEN);
  test::write_file(root + "\\zeta.txt", "12345");
  test::write_file(root + "\\Gamma.txt", "");

  std::vector<std::string> names;
  for (const FolderEntry& entry : read_folder(root)) names.push_back(entry.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "Gamma.txt", "Secret", "zeta.txt"}));
  const std::vector<FolderEntry> entries = read_folder(root);
  EXPECT_TRUE(entries[0].is_folder());
  EXPECT_TRUE(entries[3].is_hidden());
  EXPECT_EQ(entries[4].size, 5u);
  EXPECT_EQ(read_folder(root, 2).size(), 2u) << "bounded";

  EXPECT_EQ(visible_subfolders(root), (std::vector<std::string>{"Alpha", "beta"}));
  EXPECT_TRUE(has_visible_subfolder(root));
  EXPECT_FALSE(has_visible_subfolder(root + "\\Alpha"));
  EXPECT_TRUE(is_folder(root + "\\Alpha"));
  EXPECT_FALSE(is_file(root + "\\Alpha"));
  EXPECT_TRUE(is_file(root + "\\zeta.txt"));

  EXPECT_TRUE(read_folder(root + "\\missing").empty());
  EXPECT_FALSE(is_folder(root + "\\missing"));
}

TEST(FolderPathsTest, DrivesThatAreNotThereAnswerQuietly) {
  const std::vector<DriveInfo> drives = logical_drives();
  const char system_drive = drive_letter_of(test::program_folder());
  ASSERT_NE(system_drive, 0);
  bool found = false;
  for (const DriveInfo& drive : drives) {
    if (drive.letter != system_drive) continue;
    found = true;
    EXPECT_EQ(drive.type, static_cast<UINT>(DRIVE_FIXED));
  }
  EXPECT_TRUE(found) << "the test program's own drive";
  EXPECT_EQ(drive_caption(DriveInfo{'C', DRIVE_FIXED, "System"}), "System (C:)");
  EXPECT_EQ(drive_caption(DriveInfo{'A', DRIVE_REMOVABLE, ""}), "(A:)");

  const char missing = missing_drive();
  ASSERT_NE(missing, 0);
  EXPECT_FALSE(is_folder(drive_root(missing)));
  EXPECT_TRUE(read_folder(drive_root(missing)).empty());
  EXPECT_FALSE(has_visible_subfolder(drive_root(missing)));
}

}  // namespace
}  // namespace qm
