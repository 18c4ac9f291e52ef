// The wildcard walk through a folder tree: which entries, in which order.
// Wine, like NTFS, lists a folder's entries sorted by name, so the order of
// siblings is fixed too.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/file_search.h"
#include "tests/support/temp_folder.h"

namespace qm::platform {
namespace {

using Entries = std::vector<std::string>;

TEST(FileSearchTest, EntriesInsideAFolderComeBeforeIt) {
  const test::TempFolder folder;
  const std::string root = folder.file("Data\\");
  for (const char* subfolder : {"", "Empty", "Sub", "Sub\\Deep"}) CreateDirectoryA((root + subfolder).c_str(), nullptr);
  for (const char* file : {"a.txt", "b.log", "Sub\\c.txt", "Sub\\e.log", "Sub\\Deep\\d.txt"})
    test::write_file(root + file, file);

  const struct Case {
    const char* mask;
    FileSearchOptions options;
    Entries found;  // relative to the folder searched
  } cases[] = {
      {"*.txt", {}, {"Empty", "Sub\\Deep\\d.txt", "Sub\\Deep", "Sub\\c.txt", "Sub", "a.txt"}},
      {"*.txt", {.subfolders = false}, {"Empty", "Sub", "a.txt"}},
      {"*.txt", {.list_folders = false}, {"Sub\\Deep\\d.txt", "Sub\\c.txt", "a.txt"}},
      {"*.txt", {.subfolders = false, .list_folders = false}, {"a.txt"}},
      {"?.log", {}, {"Empty", "Sub\\Deep", "Sub\\e.log", "Sub", "b.log"}},
      {"*", {}, {"Empty", "Sub\\Deep\\d.txt", "Sub\\Deep", "Sub\\c.txt", "Sub\\e.log", "Sub", "a.txt", "b.log"}},
      {"c.txt", {}, {"Empty", "Sub\\Deep", "Sub\\c.txt", "Sub"}},
      // An empty mask matches no file; the folders are still listed.
      {"", {}, {"Empty", "Sub\\Deep", "Sub"}},
      {"*.none", {.list_folders = false}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("mask \"") + c.mask + "\"");
    Entries expected;
    for (const std::string& entry : c.found) expected.push_back(root + entry);
    EXPECT_EQ(search_files(root + c.mask, c.options), expected);
  }
  EXPECT_EQ(search_files(root + "Missing\\*.*"), Entries{});
}

// The hooks a long search is shown and cancelled through: a stop asked for
// after a subfolder's search or after a file ends the whole search with what
// it found up to then (a folder whose search was cut short is not listed).
TEST(FileSearchTest, AStopRequestEndsTheWholeSearch) {
  const test::TempFolder folder;
  const std::string root = folder.file("Data\\");
  for (const char* subfolder : {"", "A", "B"}) CreateDirectoryA((root + subfolder).c_str(), nullptr);
  for (const char* file : {"x.txt", "y.txt", "A\\1.txt", "A\\2.txt", "B\\3.txt"}) test::write_file(root + file, file);
  const Entries all = {root + "A\\1.txt", root + "A\\2.txt", root + "A",    root + "B\\3.txt",
                       root + "B",          root + "x.txt",      root + "y.txt"};

  const struct Case {
    std::size_t stop_after_files;  // the stop is asked for once this many files were found
    std::size_t found;             // how many of `all` come back
    int folders_searched;
  } cases[] = {
      {0, 1, 2}, {1, 1, 2}, {2, 2, 2}, {3, 4, 3}, {4, 6, 3}, {5, 7, 3}, {6, 7, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stop_after_files);
    Entries files_seen;
    int folders_searched = 0;
    FileSearchOptions options;
    options.on_folder = [&] { ++folders_searched; };
    options.on_file = [&](const std::string& path) { files_seen.push_back(path); };
    options.stop_requested = [&] { return files_seen.size() >= c.stop_after_files; };
    const Entries found = search_files(root + "*.txt", options);
    EXPECT_EQ(found, Entries(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(c.found)));
    Entries files_found;
    for (const std::string& entry : found)
      if (entry.ends_with(".txt")) files_found.push_back(entry);
    EXPECT_EQ(files_seen, files_found);
    EXPECT_EQ(folders_searched, c.folders_searched);
  }
}

// The test build makes link_fixture\tree\link, a symbolic link to
// link_fixture\outside, which Wine shows as a reparse point (as Windows shows
// a junction); a Windows program under Wine cannot make one itself.
TEST(FileSearchTest, ALinkedFolderIsListedButNotEntered) {
  const std::string tree = test::program_folder() + "link_fixture\\tree\\";
  const DWORD link = GetFileAttributesA((tree + "link").c_str());
  if (link == INVALID_FILE_ATTRIBUTES || !(link & FILE_ATTRIBUTE_REPARSE_POINT))
    GTEST_SKIP() << "needs the test build's folder link";
  EXPECT_EQ(search_files(tree + "*.txt"), (Entries{tree + "inside\\inside.txt", tree + "inside", tree + "link"}));
}

TEST(FileSearchTest, FoldersBelowARoot) {
  const struct Case {
    const char* folder;
    bool below;
  } cases[] = {
      {"C:\\Data\\", true},
      {"c:\\Data", true},
      {"C:\\Data\\Sub\\..\\", true},
      {"C:\\Data\\.\\", true},
      {"\\\\server\\share\\Data\\", true},
      {"C:\\", false},
      {"C:\\Data\\..\\", false},
      {"C:\\.\\", false},
      {"C:", false},
      {"C:Data\\", false},  // relative to the drive's current folder
      {"Data\\", false},
      {".\\", false},
      {"\\Data\\", false},  // relative to the current drive
      {"\\", false},
      {"", false},
      {"1:\\Data\\", false},
      {"\\\\server\\share\\", false},
      {"\\\\server\\share", false},
      {"\\\\server\\", false},
      {"\\\\server\\share\\Data\\..\\", false},
  };
  for (const Case& c : cases) EXPECT_EQ(is_below_a_root(c.folder), c.below) << c.folder;
}

}  // namespace
}  // namespace qm::platform
