// Interrupted extractions: a process killed part-way through a large file
// (a setup whose worker is killed on cancel, a crash, a power-off of the
// process) leaves no file cut short under its final name, and the next
// extraction into the same folder removes the temporary file it left.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "qvx/qvx_archive.h"
#include "tests/qvx/qvx_test_support.h"
#include "tests/support/temp_folder.h"

namespace {

using qm::test::read_file;
using qm::test::TempFolder;
using qm::test::write_file;

using namespace qvx_test;

constexpr std::uint64_t kHoldAt = std::uint64_t{3} << 20;

std::string hex8(DWORD value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(value));
  return text;
}

std::string temporary_name(DWORD process, DWORD number) { return "~qvx" + hex8(process) + "-" + hex8(number) + ".tmp"; }

// Extracts `archive` into `destination` in a process of its own and kills
// it once the progress reaches `hold_at` bytes; answers its process id.
DWORD kill_part_way(const std::string& archive, const std::string& destination, std::uint64_t hold_at) {
  static int count = 0;
  const std::string name = "qvx-test-hold-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
  const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
  ChildOptions options;
  options.hold_at = hold_at;
  options.event = name;
  Child child(archive, destination, options);
  const HANDLE both[] = {event, child.process()};
  const DWORD woke = WaitForMultipleObjects(2, both, FALSE, 30000);
  EXPECT_EQ(woke, WAIT_OBJECT_0) << "the extraction reached the place to kill it";
  child.kill();
  CloseHandle(event);
  return child.id();
}

std::map<std::string, std::string> temporaries_in(const std::map<std::string, std::string>& files) {
  std::map<std::string, std::string> result;
  for (const auto& [path, content] : files) {
    if (is_temporary_file(path)) result[path] = content;
  }
  return result;
}

TEST_F(QvxTest, AKilledExtractionLeavesNoCutFileAndTheNextOneTidiesUp) {
  const std::string source = read_file(staged("large") + "large.bin");
  ASSERT_EQ(source.size(), std::size_t{8} << 20);
  const struct Case {
    const char* label;
    bool existing;  // a file of that name is there, to be replaced
  } cases[] = {{"new file", false}, {"replaced file", true}};
  for (const Case& c : cases) {
    TempFolder folder;
    const std::string destination = folder.file("out");
    if (c.existing) {
      CreateDirectoryA(destination.c_str(), nullptr);
      write_file(destination + "\\large.bin", "old content");
    }
    const DWORD killed = kill_part_way(fixture("large.7z"), destination, kHoldAt);

    const std::map<std::string, std::string> left = snapshot(destination + "\\");
    if (c.existing) {
      ASSERT_EQ(left.count("large.bin"), 1u) << c.label;
      EXPECT_EQ(left.at("large.bin"), "old content") << c.label << ": the old file is untouched";
    } else {
      EXPECT_EQ(left.count("large.bin"), 0u) << c.label << ": a file cut short under its own name";
    }
    // The kill came part-way: what was written lies in the temporary file.
    const std::map<std::string, std::string> temporaries = temporaries_in(left);
    ASSERT_EQ(temporaries.size(), 1u) << c.label;
    const auto& [name, content] = *temporaries.begin();
    EXPECT_EQ(name.substr(0, 12), "~qvx" + hex8(killed)) << c.label;
    EXPECT_GE(content.size(), kHoldAt) << c.label;
    EXPECT_LT(content.size(), source.size()) << c.label;
    EXPECT_EQ(content, source.substr(0, content.size())) << c.label;

    // The next extraction into the folder completes and tidies up.
    g_calls.query_answer = QVX_QUERY_YES_TO_ALL;
    ASSERT_TRUE((Extraction{fixture("large.7z"), destination}.run().ok)) << c.label;
    const std::map<std::string, std::string> after = snapshot(destination + "\\");
    EXPECT_EQ(keys_of(after), std::set<std::string>{"large.bin"}) << c.label;
    EXPECT_TRUE(after.count("large.bin") != 0 && after.at("large.bin") == source) << c.label;
  }
}

// Only our own temporary files, of processes that ended, in the folders the
// archive writes into: a file still being written (another extraction, a
// process that runs) and anything that merely looks alike stay.
TEST_F(QvxTest, OnlyTemporaryFilesOfEndedProcessesAreRemoved) {
  TempFolder scratch;
  const ChildRun ended_run = run_child(fixture("small.7z"), scratch.file("out"), ChildOptions{});
  ASSERT_TRUE(ended_run.finished);
  TempFolder folder;
  const std::string destination = folder.file("out\\");
  const DWORD ended = [&] {
    // A process that ran and ended: its id names the stale files.
    Child child(fixture("small.7z"), scratch.file("again"), ChildOptions{});
    child.wait(30000);
    return child.id();
  }();
  const DWORD running = GetCurrentProcessId();
  for (const char* sub : {"", "docs\\", "other\\"}) CreateDirectoryA((destination + sub).c_str(), nullptr);
  const std::vector<std::string> stale = {temporary_name(ended, 1), "docs\\" + temporary_name(ended, 2)};
  const std::vector<std::string> kept = {
      temporary_name(running, 3),                // a process that runs may still put it in place
      "other\\" + temporary_name(ended, 4),      // a folder the archive does not write into
      "~qvxnotours.tmp", "~qvx" + hex8(ended) + "-0000000G.tmp", temporary_name(ended, 5) + ".txt",
      "data.tmp"};
  for (const std::string& name : stale) write_file(destination + name, "stale");
  for (const std::string& name : kept) write_file(destination + name, "kept");

  ASSERT_TRUE((Extraction{fixture("tree.7z"), destination}.run().ok));
  const std::map<std::string, std::string> after = snapshot(destination);
  for (const std::string& name : stale) EXPECT_EQ(after.count(name), 0u) << name;
  for (const std::string& name : kept) EXPECT_EQ(after.count(name), 1u) << name;
}

}  // namespace
