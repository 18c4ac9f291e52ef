#include <gtest/gtest.h>

#include <windows.h>

#include "platform/file_system.h"
#include "platform/windows_error.h"
#include "tests/support/temp_folder.h"

namespace qm::platform {
namespace {

TEST(FileSystemTest, NumberedFoldersTakeTheFirstFreeNumber) {
  test::TempFolder parent;
  CreateDirectoryA(parent.file("qvx1").c_str(), nullptr);
  CreateDirectoryA(parent.file("qvx2").c_str(), nullptr);
  test::write_file(parent.file("qvx4"), "a file of that name also takes the number");
  EXPECT_EQ(create_numbered_folder(parent.path(), "qvx"), parent.file("qvx3\\"));
  EXPECT_EQ(create_numbered_folder(parent.path(), "qvx"), parent.file("qvx5\\"));
  EXPECT_TRUE(folder_exists(parent.file("qvx5")));
}

TEST(FileSystemTest, RemovingATreeTakesReadOnlyAndHiddenFilesToo) {
  test::TempFolder parent;
  const std::string root = parent.file("support\\");
  CreateDirectoryA(root.c_str(), nullptr);
  CreateDirectoryA((root + "inner").c_str(), nullptr);
  test::write_file(root + "inner\\locked.txt", "x");
  test::write_file(root + "hidden.dat", "y");
  SetFileAttributesA((root + "inner\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA((root + "hidden.dat").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  SetFileAttributesA((root + "inner").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(remove_folder_tree(root, 3));
  EXPECT_FALSE(folder_exists(root));
  EXPECT_TRUE(remove_folder_tree(parent.file("never-there"), 3));
}

TEST(FileSystemTest, CopiesGetNormalAttributes) {
  test::TempFolder folder;
  test::write_file(folder.file("source.msi"), "database");
  SetFileAttributesA(folder.file("source.msi").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  for (int round = 0; round < 2; ++round) {  // the second copy replaces the first
    copy_as_normal_file(folder.file("source.msi"), folder.file("copy.msi"));
    // (Wine reports every file as "archive"; what matters is what is not there.)
    EXPECT_EQ(GetFileAttributesA(folder.file("copy.msi").c_str()) &
                  (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              0u);
  }
  EXPECT_EQ(test::read_file(folder.file("copy.msi")), "database");
  EXPECT_THROW(copy_as_normal_file(folder.file("missing.msi"), folder.file("other.msi")), WindowsError);
  SetFileAttributesA(folder.file("source.msi").c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace qm::platform
