// "Delete Files Recursive" on real folder trees, through the real run
// initialisation and interpreter, and once in a real setup while another
// process holds a file open.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/wow64.h"
#include "tests/support/engine_run.h"
#include "tests/support/script_text.h"
#include "tests/support/setup_folder.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

using test::EngineRun;
using test::script_package;
using Entries = std::vector<std::string>;

// Trees are written as entries relative to their folder: "name\" is a
// folder, "name" a file holding its own name; a leading "!" makes the entry
// read-only, hidden and system.
void make_tree(const std::string& folder, const Entries& entries) {
  CreateDirectoryA(folder.c_str(), nullptr);
  for (std::string entry : entries) {
    const bool protect = entry.starts_with('!');
    if (protect) entry.erase(0, 1);
    const std::string path = folder + entry;
    if (entry.ends_with('\\'))
      CreateDirectoryA(path.c_str(), nullptr);
    else
      test::write_file(path, entry);
    if (protect)
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  }
}

// Every entry below `folder`, written as make_tree takes them, sorted.
Entries tree_of(const std::string& folder, const std::string& prefix = "") {
  Entries found;
  WIN32_FIND_DATAA entry;
  const HANDLE search = FindFirstFileA((folder + prefix + "*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return found;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      found.push_back(prefix + name + "\\");
      const Entries inside = tree_of(folder, prefix + name + "\\");
      found.insert(found.end(), inside.begin(), inside.end());
    } else {
      found.push_back(prefix + name);
    }
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  std::sort(found.begin(), found.end());
  return found;
}

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

void run_to_end(const std::string& script) {
  EngineRun run(script_package(script + "\nmark done"));
  ASSERT_TRUE(run.run());
  EXPECT_FALSE(run.outcome().failed) << run.outcome().error_report;
  EXPECT_EQ(run.get("RUN"), "done");
}

TEST(RecursiveDeletionTest, Trees) {
  const struct Case {
    const char* what;
    Entries tree;
    const char* pattern;  // <tree> is the tree's folder, without a trailing backslash
    Entries left;
  } cases[] = {
      {"every file and every subfolder",
       {"a.txt", "b", "Sub\\", "Sub\\c.log", "Sub\\Deep\\", "Sub\\Deep\\d.txt", "Empty\\"},
       "<tree>\\*.*",
       {}},
      {"one extension",
       {"a.txt", "b.log", "Keep\\", "Keep\\c.txt", "Keep\\d.log", "Logs\\", "Logs\\e.log", "Empty\\",
        "Nested\\", "Nested\\Empty\\"},
       "<tree>\\*.log",
       {"Keep\\", "Keep\\c.txt", "a.txt"}},
      {"read-only, hidden and system files and folders",
       {"!a.txt", "Sub\\", "Sub\\!b.txt", "!Protected\\", "Protected\\c.txt"},
       "<tree>\\*.*",
       {}},
      {"a single-character wildcard", {"a.txt", "ab.txt", "Sub\\", "Sub\\c.txt"}, "<tree>\\?.txt", {"ab.txt"}},
      {"a file name without wildcards, in every folder",
       {"a.txt", "b.txt", "Sub\\", "Sub\\a.txt", "Sub\\b.txt", "Other\\", "Other\\a.txt"},
       "<tree>\\a.txt",
       {"Sub\\", "Sub\\b.txt", "b.txt"}},
      {"the folder with a trailing backslash: its empty subfolders",
       {"a.txt", "Sub\\", "Sub\\b.txt", "Empty\\", "Nested\\", "Nested\\Empty\\"},
       "<tree>\\",
       {"Sub\\", "Sub\\b.txt", "a.txt"}},
      {"the folder without a trailing backslash: the same, nothing beside it",
       {"a.txt", "Sub\\", "Sub\\b.txt", "Empty\\", "Nested\\", "Nested\\Empty\\"},
       "<tree>",
       {"Sub\\", "Sub\\b.txt", "a.txt"}},
      {"a folder that does not exist", {"a.txt", "Empty\\"}, "<tree>\\Missing\\*.*", {"Empty\\", "a.txt"}},
      {"a subfolder only", {"a.txt", "Sub\\", "Sub\\b.txt", "Sub\\Deep\\"}, "<tree>\\Sub\\*.*", {"Sub\\", "a.txt"}},
      {"substituted and normalized", {"a.txt", "b.log"}, "$TREE$\\\\*.txt", {"b.log"}},
      {"\"..\" inside the tree", {"a.txt", "c.log", "Sub\\", "Sub\\b.txt"}, "<tree>\\Sub\\..\\*.txt", {"c.log"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const test::TempFolder folder;
    const std::string tree = folder.file("tree");
    make_tree(tree + "\\", c.tree);
    make_tree(folder.path(), {"beside.txt", "Beside\\"});
    run_to_end("Set Variable | TREE | " + replace_all(tree, "\\", "\\\\") + "\n" +
               "Delete Files Recursive | " + replace_all(c.pattern, "<tree>", tree));
    EXPECT_EQ(tree_of(tree + "\\"), c.left);
    EXPECT_EQ(tree_of(folder.path()).size(), 3 + c.left.size()) << "the tree's folder and what is beside it stay";
  }
}

// A relative pattern names files in whatever folder is current; a pattern
// whose folder is a drive's root would walk the whole drive. Neither is
// searched (platform/file_search_test.cpp has the folders that count as a root).
TEST(RecursiveDeletionTest, NothingOutsideAFolderWrittenInFull) {
  const test::TempFolder folder;
  make_tree(folder.path(), {"a.txt", "Sub\\", "Sub\\b.txt", "Empty\\"});
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.path().c_str()));
  for (const char* pattern : {"*.*", "Sub\\*.*", ".\\*.*"}) {
    SCOPED_TRACE(pattern);
    run_to_end(std::string("Delete Files Recursive | ") + pattern);
    EXPECT_EQ(tree_of(folder.path()), (Entries{"Empty\\", "Sub\\", "Sub\\b.txt", "a.txt"}));
  }
  SetCurrentDirectoryA(current);
}

// For a 64-bit target the command sees the 64-bit system folder, where a
// 32-bit program normally sees the 32-bit one under the same name.
TEST(RecursiveDeletionTest, The64BitSystemFolderForA64BitTarget) {
  char windows[MAX_PATH], wow64_system[MAX_PATH];
  if (!platform::is_wow64_process() || GetSystemWow64DirectoryA(wow64_system, MAX_PATH) == 0)
    GTEST_SKIP() << "needs a 32-bit engine on 64-bit Windows";
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string name = "\\qm-deletion-" + std::to_string(GetCurrentProcessId()) + "\\";
  const std::string folder_32 = wow64_system + name;
  const std::string folder_64 = std::string(windows) + "\\Sysnative" + name;  // seen through redirection
  const std::string pattern = std::string(windows) + "\\System32" + name + "*.*";

  const struct Case {
    const char* platform_line;
    bool emptied_32, emptied_64;
  } cases[] = {
      {"Set 64 Bit Mode | TRUE | |", true, false},
      {"Set 64 Bit Mode | | | TRUE", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.platform_line);
    for (const std::string& folder : {folder_32, folder_64}) {
      make_tree(folder, {"a.txt", "Sub\\", "Sub\\b.txt"});
      ASSERT_EQ(tree_of(folder).size(), 3u) << folder;
    }
    run_to_end(std::string(c.platform_line) + "\nDelete Files Recursive | " + pattern);
    EXPECT_EQ(tree_of(folder_32).empty(), c.emptied_32);
    EXPECT_EQ(tree_of(folder_64).empty(), c.emptied_64);
    for (const std::string& folder : {folder_32, folder_64}) platform::remove_folder_tree(folder);
  }
}

// A real setup deletes a tree while this process holds one of its files open
// without delete sharing: that file and the folders above it stay, the rest
// goes, and the script goes on.
TEST(RecursiveDeletionTest, AFileInUseStaysAndTheSetupGoesOn) {
  const test::TempFolder folder;
  const std::string tree = folder.file("tree\\");
  make_tree(tree, {"a.txt", "!b.txt", "Sub\\", "Sub\\in use.txt", "Sub\\c.txt", "Sub\\Deep\\", "Sub\\Deep\\d.txt",
                   "Other\\", "Other\\e.txt", "Empty\\"});
  const HANDLE in_use = CreateFileA((tree + "Sub\\in use.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(in_use, INVALID_HANDLE_VALUE);

  const test::SetupFolder setup(
      script_package("mark a\nDelete Files Recursive | " + tree + "*.*\nmark b\ndump").text());
  const std::uint32_t exit_code = setup.run("/s");
  CloseHandle(in_use);

  EXPECT_EQ(exit_code, 0u);
  EXPECT_EQ(setup.variables().at("RUN"), "ab");
  EXPECT_EQ(tree_of(tree), (Entries{"Sub\\", "Sub\\in use.txt"}));
}

}  // namespace
}  // namespace qm
