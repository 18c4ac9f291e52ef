#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/trace.h"
#include "platform/unique_resource.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

// The bytes a trace file holds for these ASCII lines: UTF-16LE, CR LF after each.
std::string utf16_lines(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) {
    for (char c : line + "\r\n") {
      bytes += c;
      bytes += '\0';
    }
  }
  return bytes;
}

bool file_exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(TraceTest, WritesNothingWithoutPath) {
  test::TempFolder folder;
  const std::string log = folder.file("setup.log");
  test::write_file(log, "earlier run");

  Trace trace;
  trace.write("<Quillmore>");
  trace.set_path(log);
  trace.set_path("");  // the script stopped the trace
  trace.write("  <SetupSplash>");

  EXPECT_EQ(test::read_file(log), "earlier run");
  EXPECT_TRUE(trace.fresh());
}

TEST(TraceTest, FirstLineTruncatesLaterLinesAppend) {
  test::TempFolder folder;
  const std::string log = folder.file("setup.log");
  test::write_file(log, std::string(1000, 'x'));

  Trace trace;
  trace.set_path(log);
  trace.write("<Quillmore>");
  EXPECT_FALSE(trace.fresh());
  trace.write("  <SetupSplash>");

  const std::string bytes = test::read_file(log);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), std::string("\x3C\x00", 2));  // no byte-order mark
  EXPECT_EQ(bytes, utf16_lines({"<Quillmore>", "  <SetupSplash>"}));
}

TEST(TraceTest, CreatesMissingFile) {
  test::TempFolder folder;
  const std::string log = folder.file("new.log");

  Trace trace;
  trace.set_path(log);
  trace.write("<Quillmore>");

  EXPECT_EQ(test::read_file(log), utf16_lines({"<Quillmore>"}));
}

TEST(TraceTest, NewPathMidRunIsAppendedTo) {
  test::TempFolder folder;
  const std::string first = folder.file("first.log");
  const std::string second = folder.file("second.log");
  const std::string kept = utf16_lines({"kept from before"});
  test::write_file(second, kept);

  Trace trace;
  trace.set_path(first);
  trace.write("<Quillmore>");
  trace.set_path(second);
  trace.write("    <vrak>");
  trace.write("    </vrak>");

  EXPECT_EQ(test::read_file(first), utf16_lines({"<Quillmore>"}));
  EXPECT_EQ(test::read_file(second), kept + utf16_lines({"    <vrak>", "    </vrak>"}));
}

TEST(TraceTest, ClearedFreshFlagKeepsExistingContent) {
  // The installer log header may be the first write of a run; once it has
  // cleared the flag, trace lines must not wipe it out.
  test::TempFolder folder;
  const std::string log = folder.file("setup.log");
  const std::string header = utf16_lines({"=== header ==="});
  test::write_file(log, header);

  Trace trace;
  trace.clear_fresh();
  trace.set_path(log);
  trace.write("</Quillmore>");

  EXPECT_EQ(test::read_file(log), header + utf16_lines({"</Quillmore>"}));
}

TEST(TraceTest, WriteToOtherFileSharesFreshFlag) {
  test::TempFolder folder;
  const std::string trace_log = folder.file("trace.log");
  const std::string installer_log = folder.file("installer.log");
  test::write_file(installer_log, "old");
  const std::string kept = utf16_lines({"kept from before"});
  test::write_file(trace_log, kept);

  Trace trace;
  trace.set_path(trace_log);
  trace.write_to(installer_log, "*** Variables ***");
  trace.write("<Quillmore>");

  EXPECT_EQ(test::read_file(installer_log), utf16_lines({"*** Variables ***"}));
  EXPECT_EQ(test::read_file(trace_log), kept + utf16_lines({"<Quillmore>"}));
}

TEST(TraceTest, ConvertsFromAnsiCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "needs the ANSI code page 1252, this system has " << GetACP();
  const struct {
    std::string line;
    std::string bytes;
  } cases[] = {
      {"caf\xE9", std::string("c\0a\0f\0\xE9\0\r\0\n\0", 12)},
      {"\x80", std::string("\xAC\x20\r\0\n\0", 6)},  // the euro sign is not U+0080
      {"\x9F", std::string("\x78\x01\r\0\n\0", 6)},  // Y with diaeresis
      {"", std::string("\r\0\n\0", 4)},
  };
  for (const auto& c : cases) {
    test::TempFolder folder;
    const std::string log = folder.file("setup.log");
    Trace trace;
    trace.set_path(log);
    trace.write(c.line);
    EXPECT_EQ(test::read_file(log), c.bytes) << c.line;
  }
}

TEST(TraceTest, UnwritablePathDoesNotStopTheRun) {
  test::TempFolder folder;
  CreateDirectoryA(folder.file("subfolder").c_str(), nullptr);
  const std::string unwritable[] = {
      folder.file("missing\\setup.log"),
      folder.file("subfolder"),
      folder.path(),
  };
  for (const std::string& path : unwritable) {
    Trace trace;
    trace.set_path(path);
    EXPECT_NO_THROW(trace.write("<Quillmore>")) << path;
    EXPECT_NO_THROW(trace.write_to(path, "<Quillmore>")) << path;
    EXPECT_FALSE(file_exists(folder.file("missing"))) << path;

    // Nothing reached a file, so the first line that does still starts afresh.
    EXPECT_TRUE(trace.fresh()) << path;
    const std::string log = folder.file("setup.log");
    test::write_file(log, "earlier run");
    trace.set_path(log);
    trace.write("<Quillmore>");
    EXPECT_EQ(test::read_file(log), utf16_lines({"<Quillmore>"})) << path;
  }
}

TEST(TraceTest, FileIsClosedBetweenLines) {
  test::TempFolder folder;
  const std::string log = folder.file("setup.log");
  Trace trace;
  trace.set_path(log);
  trace.write("<Quillmore>");

  // Exclusive access succeeds only when the trace holds no handle to the file.
  platform::UniqueHandle exclusive(
      CreateFileA(log.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_TRUE(exclusive.valid()) << "error " << GetLastError();
}

TEST(TraceTest, WritesWhileAnotherWriterHoldsTheFile) {
  // Windows Installer and log viewers keep the file open for writing, sharing
  // read and write access with others.
  test::TempFolder folder;
  const std::string log = folder.file("setup.log");
  Trace trace;
  trace.set_path(log);
  trace.write("<Quillmore>");

  platform::UniqueHandle other(CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(other.valid());
  const std::string theirs = utf16_lines({"installer line"});
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(other.get(), theirs.data(), static_cast<DWORD>(theirs.size()), &written, nullptr));
  trace.write("  </RunScript>");
  ASSERT_TRUE(WriteFile(other.get(), theirs.data(), static_cast<DWORD>(theirs.size()), &written, nullptr));
  other.reset();

  EXPECT_EQ(test::read_file(log),
            utf16_lines({"<Quillmore>", "installer line", "  </RunScript>", "installer line"}));
}

}  // namespace
}  // namespace qm
