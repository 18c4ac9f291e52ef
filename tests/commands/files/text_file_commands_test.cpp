// "Read from Text File" and "Write to Text File" on real files: line ends,
// the file kept open between reads, read-all mode, and files that cannot be
// read or written.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/unique_resource.h"
#include "tests/commands/query/query_run.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

using test::run_query_script;

// Script lines reading `path` `count` times into L1, E1, L2, E2, ...
std::string reads(const std::string& path, int count) {
  std::string script;
  for (int n = 1; n <= count; ++n)
    script += "Read from Text File | " + path + " | L" + std::to_string(n) + " | E" + std::to_string(n) + "\n";
  return script;
}

// The names of the entries of a folder.
std::vector<std::string> folder_entries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  const platform::UniqueFindHandle search(FindFirstFileA((folder + "*").c_str(), &entry));
  if (!search) return names;
  do {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search.get(), &entry));
  return names;
}

// A file held open by the test, shared only as `share` says.
platform::UniqueHandle hold(const std::string& path, DWORD access, DWORD share) {
  platform::UniqueHandle file(
      CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_TRUE(file.valid()) << path;
  return file;
}

TEST(ReadFromTextFileTest, LineByLineThenFromTheStartAgain) {
  const test::TempFolder temp;
  const struct Case {
    const char* name;
    std::string content;
    std::vector<std::string> lines;  // 4 reads: the line variable after each
    std::vector<std::string> ends;
  } cases[] = {
      {"crlf", "a\r\nb\r\nc\r\n", {"a", "b", "c", "a"}, {"FALSE", "FALSE", "TRUE", "FALSE"}},
      {"lf", "a\nb\nc", {"a", "b", "c", "a"}, {"FALSE", "FALSE", "TRUE", "FALSE"}},
      {"cr", "a\rb\rc\r", {"a", "b", "c", "a"}, {"FALSE", "FALSE", "TRUE", "FALSE"}},
      {"mixed", "a\r\n\nc", {"a", "", "c", "a"}, {"FALSE", "FALSE", "TRUE", "FALSE"}},
      {"one", "only", {"only", "only", "only", "only"}, {"TRUE", "TRUE", "TRUE", "TRUE"}},
      // At the end nothing is read: the line variable keeps what it held.
      {"empty", "", {"old", "old", "old", "old"}, {"TRUE", "TRUE", "TRUE", "TRUE"}},
      {"blank", "\r\n", {"", "", "", ""}, {"TRUE", "TRUE", "TRUE", "TRUE"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = temp.file(std::string(c.name) + ".txt");
    test::write_file(path, c.content);
    std::string script;
    for (int n = 1; n <= 4; ++n) script += "Set Variable | L" + std::to_string(n) + " | old\n";
    const auto run = run_query_script(script + reads(path, 4));
    EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
    for (int n = 1; n <= 4; ++n) {
      EXPECT_EQ(run->get("L" + std::to_string(n)), c.lines[n - 1]) << n;
      EXPECT_EQ(run->get("E" + std::to_string(n)), c.ends[n - 1]) << n;
    }
  }
}

TEST(ReadFromTextFileTest, ReadAll) {
  const test::TempFolder temp;
  test::write_file(temp.file("abc.txt"), "a\r\nb\nc\r\n");
  const auto run = run_query_script(
      "Read from Text File | #READALL\\" + temp.file("abc.txt") + " | ALL | END\n" +
      // After one line, the rest; the name compared without regard to case.
      "Read from Text File | " + temp.file("ABC.TXT") + " | FIRST | END1\n" +
      "Read from Text File | #READALL\\" + temp.file("abc.txt") + " | REST | END2\n");
  EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
  EXPECT_EQ(run->get("ALL"), "a$NEWLINE$b$NEWLINE$c");
  EXPECT_EQ(run->get("END"), "TRUE");
  EXPECT_EQ(run->get("FIRST"), "a");
  EXPECT_EQ(run->get("END1"), "FALSE");
  EXPECT_EQ(run->get("REST"), "b$NEWLINE$c");
  EXPECT_EQ(run->get("END2"), "TRUE");
}

// Reading another file forgets the first: coming back starts it again.
TEST(ReadFromTextFileTest, AnotherFileClosesTheFirst) {
  const test::TempFolder temp;
  test::write_file(temp.file("a.txt"), "a1\r\na2\r\n");
  test::write_file(temp.file("b.txt"), "b1\r\nb2\r\n");
  const auto run = run_query_script(reads(temp.file("a.txt"), 1) + "Read from Text File | " + temp.file("b.txt") +
                                    " | B | BE\n" + "Read from Text File | " + temp.file("a.txt") + " | A | AE\n");
  EXPECT_EQ(run->get("L1"), "a1");
  EXPECT_EQ(run->get("B"), "b1");
  EXPECT_EQ(run->get("A"), "a1");
  EXPECT_EQ(run->get("AE"), "FALSE");
}

TEST(ReadFromTextFileTest, AFileThatCannotBeOpenedIsAtItsEnd) {
  const test::TempFolder temp;
  test::write_file(temp.file("locked.txt"), "secret\r\n");
  const platform::UniqueHandle locked = hold(temp.file("locked.txt"), GENERIC_READ, 0);
  for (const std::string& path : {temp.file("missing.txt"), temp.path(), temp.file("locked.txt"),
                                  temp.file(std::string(300, 'n') + ".txt"), std::string()}) {
    SCOPED_TRACE(path);
    const auto run = run_query_script("Set Variable | LINE | old\nRead from Text File | " + path +
                                      " | LINE | END\nRead from Text File | " + path + " | NEW | NEW_END");
    EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
    EXPECT_EQ(run->get("LINE"), "old");
    EXPECT_EQ(run->get("END"), "TRUE");
    EXPECT_EQ(run->get("NEW"), "");  // defined, empty
    EXPECT_EQ(run->get("NEW_END"), "TRUE");
  }
}

TEST(ReadFromTextFileTest, TheEndFlagIsOptional) {
  const test::TempFolder temp;
  test::write_file(temp.file("a.txt"), "a1\r\na2\r\n");
  const auto run = run_query_script("Read from Text File | " + temp.file("a.txt") + " | LINE |\n" +
                                    "Read from Text File | " + temp.file("missing.txt") + " | OTHER |");
  EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
  EXPECT_EQ(run->get("LINE"), "a1");
  EXPECT_EQ(run->get("OTHER"), "");
}

// A file of some megabytes, lines of every kind, no line end at its end.
TEST(ReadFromTextFileTest, ALargeFile) {
  const test::TempFolder temp;
  std::string content;
  const char* ends[] = {"\r\n", "\n", "\r"};
  constexpr int kLines = 200000;
  for (int n = 0; n < kLines; ++n) content += "line " + std::to_string(n) + ends[n % 3];
  content += "last";
  test::write_file(temp.file("large.txt"), content);
  const auto run = run_query_script(reads(temp.file("large.txt"), 2) + "Read from Text File | #READALL\\" +
                                    temp.file("large.txt") + " | REST | END");
  EXPECT_EQ(run->get("L1"), "line 0");
  EXPECT_EQ(run->get("L2"), "line 1");
  const std::string rest = run->get("REST");
  EXPECT_EQ(rest.substr(0, 24), "line 2$NEWLINE$line 3$NE");
  EXPECT_TRUE(rest.ends_with("$NEWLINE$line 199999$NEWLINE$last"));
  std::size_t markers = 0;
  for (std::size_t at = rest.find("$NEWLINE$"); at != std::string::npos; at = rest.find("$NEWLINE$", at + 1)) ++markers;
  EXPECT_EQ(markers, static_cast<std::size_t>(kLines - 2));
  EXPECT_EQ(run->get("END"), "TRUE");
}

TEST(WriteToTextFileTest, TheLineGoesFirstOrLast) {
  const test::TempFolder temp;
  const struct Case {
    const char* name;
    const char* before;  // nullptr: no file yet
    const char* first;   // field 3
    std::string after;
  } cases[] = {
      {"new", nullptr, "FALSE", "new line\r\n"},
      {"new_first", nullptr, "TRUE", "new line\r\n"},
      {"crlf", "a\r\nb\r\n", "FALSE", "a\r\nb\r\nnew line\r\n"},
      {"crlf_first", "a\r\nb\r\n", "TRUE", "new line\r\na\r\nb\r\n"},
      {"lf_no_end", "a\nb", "FALSE", "a\r\nb\r\nnew line\r\n"},
      {"cr", "a\rb\r", "-1", "new line\r\na\r\nb\r\n"},
      {"empty", "", "FALSE", "new line\r\n"},
      {"blank_lines", "\r\n\r\n", "FALSE", "\r\n\r\nnew line\r\n"},
      {"substituted", "a\r\n", "$FIRST$", "new line\r\na\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = temp.file(std::string(c.name) + ".txt");
    if (c.before) test::write_file(path, c.before);
    const auto run = run_query_script("Set Variable | FIRST | true\nSet Variable | WORD | line\n"
                                      "Write to Text File | " + path + " | new $WORD$ | " + c.first);
    EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
    EXPECT_EQ(test::read_file(path), c.after);
  }
  // Nothing is left beside the files written.
  EXPECT_EQ(folder_entries(temp.path()).size(), std::size(cases));
}

TEST(WriteToTextFileTest, ALineWithLineBreaksBecomesSeveralLines) {
  const test::TempFolder temp;
  const auto run = run_query_script("Write to Text File | " + temp.file("a.txt") + " | one$NEWLINE$two | FALSE");
  EXPECT_EQ(test::read_file(temp.file("a.txt")), "one\r\ntwo\r\n");
}

TEST(WriteToTextFileTest, AReadOnlyFileIsWrittenAndNoLongerReadOnly) {
  const test::TempFolder temp;
  const std::string path = temp.file("ro.txt");
  test::write_file(path, "a\r\n");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
  const auto run = run_query_script("Write to Text File | " + path + " | b | FALSE");
  EXPECT_EQ(test::read_file(path), "a\r\nb\r\n");
  EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

// Writing the file being read closes it: the next read starts at the new
// first line.
TEST(WriteToTextFileTest, WritingTheFileBeingReadStartsItsReadingAgain) {
  const test::TempFolder temp;
  const std::string path = temp.file("log.txt");
  test::write_file(path, "a\r\nb\r\nc\r\n");
  const auto run = run_query_script(reads(path, 2) + "Write to Text File | " + temp.file("LOG.TXT") +
                                    " | top | TRUE\n" + "Read from Text File | " + path + " | AFTER | AFTER_END");
  EXPECT_EQ(run->get("L2"), "b");
  EXPECT_EQ(run->get("AFTER"), "top");
  EXPECT_EQ(run->get("AFTER_END"), "FALSE");
  EXPECT_EQ(test::read_file(path), "top\r\na\r\nb\r\nc\r\n");
}

// A file that exists but cannot be read keeps its lines: written back, they
// would be lost. Nothing that cannot be written stops the script.
TEST(WriteToTextFileTest, WhatCannotBeReadOrWrittenStaysAsItWas) {
  const test::TempFolder temp;
  const std::string unreadable = temp.file("unreadable.txt");
  const std::string locked = temp.file("locked.txt");
  test::write_file(unreadable, "keep me\r\n");
  test::write_file(locked, "keep me too\r\n");
  CreateDirectoryA(temp.file("Folder").c_str(), nullptr);
  {
    // Writable and even deletable by others, but not readable.
    const platform::UniqueHandle held_unreadable =
        hold(unreadable, GENERIC_WRITE, FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    const platform::UniqueHandle held_locked = hold(locked, GENERIC_READ, 0);
    const auto run = run_query_script(
        "Write to Text File | " + unreadable + " | lost? | FALSE\n" + "Write to Text File | " + locked +
        " | lost? | FALSE\n" + "Write to Text File | " + temp.file("Folder") + " | x | FALSE\n" +
        "Write to Text File | " + temp.file("Missing\\a.txt") + " | x | FALSE\n" + "Write to Text File | " +
        temp.file(std::string(300, 'n') + ".txt") + " | x | FALSE\n" + "Write to Text File |  | x | FALSE\n" +
        "Set Variable | AFTER | reached");
    EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
    EXPECT_EQ(run->get("AFTER"), "reached");
  }
  EXPECT_EQ(test::read_file(unreadable), "keep me\r\n");
  EXPECT_EQ(test::read_file(locked), "keep me too\r\n");
  EXPECT_EQ(GetFileAttributesA(temp.file("Folder").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  const std::vector<std::string> entries = folder_entries(temp.path());
  EXPECT_EQ(entries.size(), 3u) << testing::PrintToString(entries);
}

// A file too large to load is left whole rather than replaced by the one
// line (the file is sparse: its gigabyte costs no disk).
TEST(WriteToTextFileTest, AFileTooLargeToLoadIsLeftWhole) {
  const test::TempFolder temp;
  const std::string path = temp.file("huge.log");
  constexpr LONGLONG kSize = 0x48000000;  // 1.125 GiB
  {
    const platform::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.valid());
    LARGE_INTEGER end{};
    end.QuadPart = kSize;
    ASSERT_TRUE(SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file.get()));
  }
  const auto run = run_query_script("Write to Text File | " + path + " | one more | FALSE");
  EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ((static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, kSize);
  EXPECT_EQ(folder_entries(temp.path()).size(), 1u);
}

}  // namespace
}  // namespace qm
