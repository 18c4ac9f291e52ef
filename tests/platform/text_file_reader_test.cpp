// A text file read line by line across the reader's 64 KiB reads.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/text_file_reader.h"
#include "tests/support/temp_folder.h"

namespace qm::platform {
namespace {

std::vector<std::string> read_all_lines(TextFileReader& reader) {
  std::vector<std::string> lines;
  while (!reader.at_end()) lines.push_back(reader.next_line());
  return lines;
}

// Line ends of every kind fall on every side of the reads' boundaries, and a
// line longer than one read comes whole.
TEST(TextFileReaderTest, LinesAcrossReads) {
  const test::TempFolder folder;
  std::vector<std::string> expected;
  std::string text;
  const char* ends[] = {"\r\n", "\n", "\r"};
  for (int i = 0; i < 30000; ++i) {
    expected.push_back("line " + std::to_string(i));
    text += expected.back() + ends[i % 3];
  }
  expected.push_back(std::string(200000, 'x'));
  text += expected.back() + "\r\n";
  expected.push_back("no line end");
  text += expected.back();
  test::write_file(folder.file("big.txt"), text);

  TextFileReader reader;
  ASSERT_TRUE(reader.open(folder.file("big.txt")));
  EXPECT_EQ(reader.path(), folder.file("big.txt"));
  EXPECT_EQ(read_all_lines(reader), expected);
  EXPECT_TRUE(reader.at_end());
  EXPECT_EQ(reader.next_line(), "");
}

TEST(TextFileReaderTest, WhatCannotBeOpened) {
  const test::TempFolder folder;
  TextFileReader reader;
  for (const std::string& path : {folder.file("missing.txt"), folder.path(), std::string(), std::string(300, 'a')}) {
    EXPECT_FALSE(reader.open(path)) << path;
    EXPECT_FALSE(reader.is_open());
    EXPECT_EQ(reader.path(), "");
    EXPECT_TRUE(reader.at_end());
  }
}

// The reader lets others write the file it reads (a log the script follows),
// and opening another file forgets the first.
TEST(TextFileReaderTest, SharesTheFileAndMovesOnToAnother) {
  const test::TempFolder folder;
  test::write_file(folder.file("a.txt"), "a1\r\na2\r\n");
  test::write_file(folder.file("b.txt"), "b1\r\n");
  TextFileReader reader;
  ASSERT_TRUE(reader.open(folder.file("a.txt")));
  EXPECT_EQ(reader.next_line(), "a1");
  const HANDLE writer = CreateFileA(folder.file("a.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE);
  CloseHandle(writer);
  ASSERT_TRUE(reader.open(folder.file("b.txt")));
  EXPECT_EQ(read_all_lines(reader), std::vector<std::string>{"b1"});
}

}  // namespace
}  // namespace qm::platform
