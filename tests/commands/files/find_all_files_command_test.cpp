// "Find All Files" on real folder trees: which paths, in which order, how
// they are written, and what a cancel request leaves.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/commands/query/query_run.h"
#include "tests/support/engine_run.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

using test::run_query_script;

// Data\a.txt, Data\b.log, Data\Sub\b.txt, Data\Sub\Deep\c.txt, Data\Empty\.
std::string make_tree(const test::TempFolder& temp) {
  const std::string root = temp.file("Data\\");
  for (const char* folder : {"", "Empty", "Sub", "Sub\\Deep"}) CreateDirectoryA((root + folder).c_str(), nullptr);
  for (const char* file : {"a.txt", "b.log", "Sub\\b.txt", "Sub\\Deep\\c.txt"}) test::write_file(root + file, file);
  return root;
}

// The entries (relative to `root`) as the command writes them: joined by "|".
std::string listed(const std::string& root, const std::vector<std::string>& entries) {
  std::string text;
  for (const std::string& entry : entries) text += (text.empty() ? "" : "|") + root + entry;
  return text;
}

TEST(FindAllFilesTest, FolderEntriesFollowWhatIsInsideThem) {
  const test::TempFolder temp;
  const std::string root = make_tree(temp);
  ASSERT_EQ(root.find_first_of(" \"|"), std::string::npos) << "a plain temporary folder is needed: " << root;
  const struct Case {
    const char* mask;
    const char* subfolders;
    const char* folders;
    std::vector<std::string> entries;
  } cases[] = {
      {"*.txt", "TRUE", "TRUE", {"Empty", "Sub\\Deep\\c.txt", "Sub\\Deep", "Sub\\b.txt", "Sub", "a.txt"}},
      {"*.txt", "TRUE", "FALSE", {"Sub\\Deep\\c.txt", "Sub\\b.txt", "a.txt"}},
      {"*.txt", "FALSE", "TRUE", {"Empty", "Sub", "a.txt"}},
      {"*.txt", "-1", "", {"Sub\\Deep\\c.txt", "Sub\\b.txt", "a.txt"}},
      {"*.txt", "FALSE", "FALSE", {"a.txt"}},
      {"*.*", "TRUE", "FALSE", {"Sub\\Deep\\c.txt", "Sub\\b.txt", "a.txt", "b.log"}},
      {"b.*", "TRUE", "FALSE", {"Sub\\b.txt", "b.log"}},
      {"?.log", "FALSE", "FALSE", {"b.log"}},
      {"*.none", "TRUE", "FALSE", {}},
      {"Sub", "FALSE", "FALSE", {}},  // a mask matches files only
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.mask) + " " + c.subfolders + " " + c.folders);
    const auto run = run_query_script("Set Variable | OLD | x\nFind All Files | " + root + c.mask + " | " +
                                      c.subfolders + " | " + c.folders + " | $OLD$\nFind All Files | " + root +
                                      c.mask + " | " + c.subfolders + " | " + c.folders + " | NEW");
    EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
    EXPECT_EQ(run->get("OLD"), listed(root, c.entries));
    EXPECT_EQ(run->get("NEW"), listed(root, c.entries));
  }
}

TEST(FindAllFilesTest, PathsWithBlanksAreQuoted) {
  const test::TempFolder temp;
  const std::string root = temp.file("My Files\\");
  CreateDirectoryA(root.c_str(), nullptr);
  test::write_file(root + "a.txt", "a");
  test::write_file(root + "b,c.txt", "b");
  const auto run = run_query_script("Set Variable | DIR | " + root + "\nFind All Files | $DIR$*.txt | | | R");
  EXPECT_EQ(run->get("R"), "\"" + root + "a.txt\"|\"" + root + "b,c.txt\"");
}

TEST(FindAllFilesTest, NothingToFind) {
  const test::TempFolder temp;
  for (const std::string& pattern : {temp.file("Missing\\*.*"), temp.file("*.none"), std::string(),
                                     temp.file(std::string(300, 'n') + "\\*.*"), temp.path()}) {
    SCOPED_TRACE(pattern);
    const auto run = run_query_script("Set Variable | R | old\nFind All Files | " + pattern + " | TRUE | FALSE | R");
    EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
    EXPECT_EQ(run->get("R"), "");
  }
}

// The search stores its progress as it goes: the bar moves with each folder
// searched, the text shows the last file found.
TEST(FindAllFilesTest, ProgressShowsTheFilesFound) {
  const test::TempFolder temp;
  const std::string root = make_tree(temp);
  test::EngineRun run(test::script_package("Find All Files | " + root + "*.txt | TRUE | FALSE | R"));
  run.engine().progress.store("before", 0, 100, 0);
  ASSERT_TRUE(run.run());
  const ProgressState progress = run.engine().progress.stored();
  EXPECT_EQ(progress.text, root + "a.txt");
  EXPECT_EQ(progress.position, 4);  // Data, Empty, Sub, Deep
  EXPECT_EQ(progress.maximum, 100);
  EXPECT_FALSE(run.engine().busy);
}

// A cancel request ends the search as soon as the first subfolder is
// searched (Empty, which holds nothing); the script goes on.
TEST(FindAllFilesTest, ACancelRequestEndsTheSearch) {
  const test::TempFolder temp;
  const std::string root = make_tree(temp);
  test::EngineRun run(test::script_package("Set Variable | R | old\nFind All Files | " + root +
                                           "*.txt | TRUE | TRUE | R\nSet Variable | AFTER | reached"));
  run.engine().cancel_requested = true;
  ASSERT_TRUE(run.run());
  EXPECT_EQ(run.get("R"), "");
  EXPECT_EQ(run.get("AFTER"), "reached");
}

}  // namespace
}  // namespace qm
