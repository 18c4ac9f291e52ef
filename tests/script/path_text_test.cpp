#include "script/path_text.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(PathTextTest, FolderAndFileNameParts) {
  struct Case {
    const char* path;
    const char* folder;
    const char* file;
  } cases[] = {
      {R"(C:\Program Files\Product\setup.exe)", R"(C:\Program Files\Product\)", "setup.exe"},
      {R"(C:\Product\)", R"(C:\Product\)", ""},
      {"C:setup.exe", "C:", "setup.exe"},
      {"setup.exe", "", "setup.exe"},
      {"", "", ""},
      {R"(\server\share\setup.exe)", R"(\server\share\)", "setup.exe"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(folder_of(c.path), c.folder) << c.path;
    EXPECT_EQ(file_name_of(c.path), c.file) << c.path;
  }
}

TEST(PathTextTest, TrailingBackslash) {
  EXPECT_EQ(with_trailing_backslash(R"(C:\Temp)"), R"(C:\Temp\)");
  EXPECT_EQ(with_trailing_backslash(R"(C:\Temp\)"), R"(C:\Temp\)");
  EXPECT_EQ(with_trailing_backslash(""), "") << "no folder is not the root";
}

TEST(PathTextTest, Extension) {
  EXPECT_EQ(with_extension(R"(C:\qvx1\setup.msi)", ".msp"), R"(C:\qvx1\setup.msp)");
  EXPECT_EQ(with_extension(R"(C:\qvx1\setup)", ".msp"), R"(C:\qvx1\setup.msp)");
  EXPECT_EQ(with_extension(R"(C:\folder.d\setup)", ".msp"), R"(C:\folder.d\setup.msp)")
      << "a dot in a folder name is no extension";
  EXPECT_EQ(with_extension("archive.tar.gz", ".zip"), "archive.tar.zip");
}

TEST(PathTextTest, ExtensionAndDrive) {
  struct Case {
    const char* path;
    const char* extension;
    const char* drive;
  } cases[] = {
      {R"(C:\dir\file.txt)", ".txt", "C:"},
      {R"(C:\dir.d\file)", "", "C:"},
      {"archive.tar.gz", ".gz", ""},
      {"name.", ".", ""},
      {"c:", "", "c:"},
      {"", "", ""},
      {R"(\\server\share\dir\f.txt)", ".txt", R"(\\server\share)"},
      {R"(\\server\share)", "", R"(\\server\share)"},
      {R"(\\server)", "", R"(\\server)"},
      {R"(\\)", "", R"(\\)"},
      {R"(\dir\f)", "", ""},
      {"dir/f.txt", ".txt", ""},  // a slash is no separator here
      {R"(a.b\c)", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(extension_of(c.path), c.extension) << c.path;
    EXPECT_EQ(drive_of(c.path), c.drive) << c.path;
  }
}

TEST(PathTextTest, CollapseBackslashPairs) {
  EXPECT_EQ(collapse_backslash_pairs(R"(\\server\\share)"), R"(\server\share)");
  EXPECT_EQ(collapse_backslash_pairs(R"(\\\)"), R"(\\)") << "three become two";
  EXPECT_EQ(collapse_backslash_pairs(R"(\\)"), R"(\)") << "no network path is restored";
  EXPECT_EQ(collapse_backslash_pairs(""), "");
}

TEST(PathTextTest, NormalizePathText) {
  struct Case {
    const char* expanded;
    const char* normalized;
  } cases[] = {
      {"", ""},
      {R"(C:\Program Files\Product)", R"(C:\Program Files\Product)"},
      {R"(C:\\Program Files\\Product\\)", R"(C:\Program Files\Product\)"},
      {R"(C:\Program Files\\\\Product)", R"(C:\Program Files\\Product)"},  // four become two
      {R"(C:\Program Files\\\Product)", R"(C:\Program Files\\Product)"},   // a pair, then a single one
      {R"(\\server\share\folder)", R"(\\server\share\folder)"},           // a network path keeps its "\\"
      {R"(\\server\\share\\folder)", R"(\\server\share\folder)"},
      {R"(\\)", R"(\\)"},
      {R"(\)", R"(\)"},
      {R"(\folder)", R"(\folder)"},
      // More backslashes in front collapse like any others and leave the
      // two of a network path, not three.
      {R"(\\\\server\\share)", R"(\\server\share)"},
      {R"(\\\server\share)", R"(\\server\share)"},
      {"no backslash at all", "no backslash at all"},
      {"line one\r\nline two", "line one\r\nline two"},
  };
  for (const auto& c : cases) EXPECT_EQ(normalize_path_text(c.expanded), c.normalized) << c.expanded;
}
}  // namespace
}  // namespace qm
