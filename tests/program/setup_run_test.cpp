// Whole setups under Wine: the real engine with a script appended, started as
// a user or a deployment tool would start it, checked through its exit code,
// its trace file and the registry.

#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/script_text.h"
#include "tests/support/setup_folder.h"

namespace qm {
namespace {

class SetupRunTest : public ::testing::Test {
 protected:
  std::uint32_t run(const test::PackageText& package, const std::string& arguments) {
    folder_ = std::make_unique<test::SetupFolder>(package.text());
    return folder_->run(arguments);
  }

  // A file beside the setup (a folder kept for the test's whole run).
  std::string file(const std::string& name) { return logs_.file(name); }

  // The trace file's lines: UTF-16LE without a byte-order mark, CR LF ends.
  std::vector<std::string> trace_lines(const std::string& path) {
    const std::string bytes = test::read_file(path);
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      const unsigned unit = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
      if (unit == '\r') continue;
      if (unit == '\n') {
        lines.emplace_back();
        continue;
      }
      lines.back() += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    if (lines.back().empty()) lines.pop_back();
    return lines;
  }

  test::TempFolder logs_;
  std::unique_ptr<test::SetupFolder> folder_;
};

const std::vector<std::string> kStartLines = {
    "<Quillmore>",         "  <SetupSplash>",       "    <StubSize>",          "    </StubSize>",
    "    <StubData>",      "    </StubData>",        "    <GlobalLists>",       "    </GlobalLists>",
    "    <SupportDir>",    "    </SupportDir>",      "    <ExtractArchive>",    "    </ExtractArchive>",
    "    <ExtractResource>", "    </ExtractResource>", "    <ResourcePath>",   "    </ResourcePath>",
    "    <Dialogs>",       "    </Dialogs>",         "  </SetupSplash>",       "  <RunScript>",
    "    <Variables>",     "    </Variables>",       "    <CompileScript>",
};
const std::vector<std::string> kScriptStartLines = {"    </CompileScript>", "    <BootStrap>", "    </BootStrap>",
                                                    "    <vrak>"};
const std::vector<std::string> kNormalEndLines = {"    </vrak>", "    <ExitScript>", "    </ExitScript>"};
const std::vector<std::string> kEndLines = {"  </RunScript>",        "  <Free>",
                                           "  </Free>",             "  <CachedSupportDir>",
                                           "  </CachedSupportDir>", "</Quillmore>"};

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST_F(SetupRunTest, TraceAndExitCodeOfWholeRuns) {
  struct Case {
    const char* what;
    const char* script;
    std::uint32_t exit_code;
    std::vector<std::string> trace;
  } cases[] = {
      {"a script that runs to its end", "mark a", 0,
       joined({kStartLines, kScriptStartLines, kNormalEndLines, kEndLines})},
      {"an exit code that only 32 bits hold", "Terminate with Exit Code | 3010", 3010,
       joined({kStartLines, kScriptStartLines, kNormalEndLines, kEndLines})},
      {"a run-time error: no normal end of the script", "Terminate with Exit Code | soon", 0,
       joined({kStartLines, kScriptStartLines, kEndLines})},
      {"a script the validator refuses ends at once with 314", "End", 314, kStartLines},
  };
  for (const auto& c : cases) {
    const std::string trace = file("Setup Trace.log");
    EXPECT_EQ(run(test::script_package(c.script), "/s \"/l=" + trace + "\""), c.exit_code) << c.what;
    EXPECT_EQ(trace_lines(trace), c.trace) << c.what;
    DeleteFileA(trace.c_str());
  }
}

TEST_F(SetupRunTest, TheScriptCanMoveTheTrace) {
  const std::string first = file("first.log");
  const std::string second = file("second.log");
  test::write_file(first, "old content of the first file");
  test::write_file(second, std::string("k\0e\0p\0t\0\r\0\n\0", 12));
  const test::PackageText package = test::script_package("Set Variable | LOGGED | " + second + "\nmark a");
  ASSERT_EQ(run(package, "/l=" + first + " /s"), 0u);

  const std::vector<std::string> in_first = trace_lines(first);
  EXPECT_EQ(in_first.front(), "<Quillmore>") << "the first line of the run truncates the file";
  EXPECT_EQ(in_first.back(), "    <vrak>");
  const std::vector<std::string> in_second = trace_lines(second);
  EXPECT_EQ(in_second, joined({{"kept"}, kNormalEndLines, kEndLines})) << "later lines are appended to the new file";
  EXPECT_EQ(test::read_file(first).substr(0, 2), std::string("<\0", 2)) << "no byte-order mark";
}

// What the end-to-end tests of the commands rely on: a dump line shows the
// variables as they were when it ran.
TEST_F(SetupRunTest, ADumpLineShowsTheVariables) {
  ASSERT_EQ(run(test::script_package("Set Variable | TEXT | a, \"quoted\" value\nmark x\ndump\nmark y"), "/s"), 0u);
  const auto variables = folder_->variables();
  EXPECT_EQ(variables.at("TEXT"), "a, \"quoted\" value");
  EXPECT_EQ(variables.at("RUN"), "x") << "the store as it was at the dump line";
  EXPECT_EQ(variables.at("EXEDIR"), folder_->path());
}

TEST_F(SetupRunTest, NoTraceWithoutATraceFile) {
  ASSERT_EQ(run(test::script_package("mark a"), "/s"), 0u);
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(folder_->file("*.log").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE);
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

// A setup is usually started from a folder full of other downloads. Windows
// libraries that are not always taken from the system folder, planted beside
// setup.exe, must not be loaded in place of the system's own.
TEST_F(SetupRunTest, LibrariesPlantedBesideTheSetupAreNeverLoaded) {
  // version.dll is missing from the list only because Wine's own user32
  // imports it when any program starts (Windows' user32 does not).
  const char* const kPlanted[] = {"comctl32.dll", "msi.dll", "urlmon.dll",   "wininet.dll",
                                  "winmm.dll",    "mpr.dll", "netapi32.dll", "winspool.drv"};
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const test::SetupFolder setup(test::script_package("mark a").text());
  const std::string planted = test::read_file(test::program_folder() + "planted_library.dll");
  for (const char* name : kPlanted) {
    test::write_file(setup.file(name), planted);
    DeleteFileA((std::string(temp) + name + ".loaded").c_str());
  }
  // Wine prefers its own built-in system libraries, where Windows takes a
  // library of such a name from the program's folder. The test entry that
  // runs this test tells Wine (through WINEDLLOVERRIDES, which Wine reads when
  // a process starts) to prefer library files for these names, which gives
  // the setup the Windows behaviour to resist.
  char overrides[2048] = {};
  GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
  if (std::string(overrides).find("winmm") == std::string::npos)
    GTEST_SKIP() << "runs in its own test entry, with Wine set to prefer library files";

  // The bait works: a program in that folder asking for a library by bare
  // name gets the planted one.
  test::copy_file(test::program_folder() + "bare_name_loader.exe", setup.file("bare_name_loader.exe"));
  EXPECT_EQ(test::run_and_wait("\"" + setup.file("bare_name_loader.exe") + "\" winmm.dll"), 0u);
  const std::string bait_marker = std::string(temp) + "winmm.dll.loaded";
  ASSERT_NE(GetFileAttributesA(bait_marker.c_str()), INVALID_FILE_ATTRIBUTES) << "the planted library does not work";
  DeleteFileA(bait_marker.c_str());

  // Silent, and with the start-up windows (which need the common controls).
  for (const char* arguments : {"/s", ""}) EXPECT_EQ(setup.run(arguments), 0u) << arguments;
  for (const char* name : kPlanted) {
    const std::string marker = std::string(temp) + name + ".loaded";
    EXPECT_EQ(GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES) << name << " was loaded from the setup's folder";
    DeleteFileA(marker.c_str());
  }
}

}  // namespace
}  // namespace qm
