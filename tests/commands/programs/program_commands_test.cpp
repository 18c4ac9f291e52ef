// "Check Process", "Terminate Program", "Run Program", "Register Library" and
// "Check Service" against real programs, a real COM server and a real
// service of ours (tests/commands/programs/test_*.cpp) under Wine; a real
// setup keeps its wizard page answering while a program runs.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <thread>

#include "platform/system_library.h"
#include "tests/commands/query/query_run.h"
#include "tests/support/message_box.h"
#include "tests/support/setup_folder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wizard_driver.h"

namespace qm {
namespace {

using test::EngineRun;

std::string test_program() { return test::program_folder() + "test_program.exe"; }

// A test program started for a test, ended with it.
class RunningProgram {
 public:
  explicit RunningProgram(const std::string& arguments) {
    std::string command_line = "\"" + test_program() + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process_) != FALSE;
    if (started_) WaitForInputIdle(process_.hProcess, 10000);
  }
  ~RunningProgram() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 1);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool ended_within(DWORD milliseconds) const {
    return WaitForSingleObject(process_.hProcess, milliseconds) == WAIT_OBJECT_0;
  }

 private:
  PROCESS_INFORMATION process_{};
  bool started_ = false;
};

std::unique_ptr<EngineRun> run_to_end(const std::string& script, bool silent = true) {
  auto run = std::make_unique<EngineRun>(test::script_package(script));
  run->engine().set_silent(silent);
  EXPECT_TRUE(run->run());
  EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
  return run;
}

bool key_exists(const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

TEST(CheckProcessTest, FindsRunningProgramsByTheirFileNameOnly) {
  RunningProgram program("window CheckProcessTest");
  const struct {
    std::string name;
    const char* running;
  } cases[] = {
      {"test_program.exe", "TRUE"},
      {"TEST_PROGRAM.EXE", "TRUE"},  // any case
      {test_program(), "FALSE"},     // a folder never matches
      {"test_program", "FALSE"},     // the whole name
      {"no_such_program.exe", "FALSE"},
      {"", "FALSE"},
  };
  for (const auto& c : cases) {
    const auto run = run_to_end("Check Process | " + c.name + " | RUNNING");
    EXPECT_EQ(run->get("RUNNING"), c.running) << c.name;
  }
}

TEST(TerminateProgramTest, ClosesTheFirstWindowWhoseTitleAndClassMatch) {
  RunningProgram other("window Quillmore other window");
  RunningProgram target("window Quillmore target window");
  run_to_end("Terminate Program | | |");
  EXPECT_FALSE(target.ended_within(300)) << "both fields empty close nothing";
  EXPECT_FALSE(other.ended_within(0));

  run_to_end("Terminate Program | target window | QuillmoreTest");
  EXPECT_TRUE(target.ended_within(5000));
  EXPECT_FALSE(other.ended_within(300));

  run_to_end("Terminate Program | Quillmore other | quillmoretest");
  EXPECT_FALSE(other.ended_within(300)) << "containment is case-sensitive";
  run_to_end("Terminate Program | Quillmore other window |");
  EXPECT_TRUE(other.ended_within(5000)) << "the title alone, whatever the class";

  RunningProgram stubborn("stubborn Quillmore stubborn window");
  run_to_end("Terminate Program | stubborn window |");
  EXPECT_FALSE(stubborn.ended_within(300)) << "a program may refuse to close";
}

TEST(RunProgramTest, ExitCodesOfProgramsThatEndRunOrNeverStart) {
  test::TempFolder folder;
  const std::string program = test_program();
  const struct {
    std::string line;
    const char* code;
  } cases[] = {
      {"Run Program | " + program + " | TRUE | exit 42 | TRUE | CODE", "42"},
      {"Run Program | " + program + " | FALSE | exit 0 | TRUE | CODE", "0"},
      {"Run Program | " + program + " | TRUE | sleep 3000 | FALSE | CODE", "259"},  // still running
      {"Run Program | " + folder.file("missing.exe") + " | TRUE | | TRUE | CODE", "-1"},
      {"Run Program | " + program + " | TRUE | record " + folder.file("r.txt") + " one two | TRUE | CODE", "7"},
  };
  for (const auto& c : cases) {
    const auto run = run_to_end(c.line);
    EXPECT_EQ(run->get("CODE"), c.code) << c.line;
  }
  const std::string recorded = test::read_file(folder.file("r.txt"));
  EXPECT_NE(recorded.find("record " + folder.file("r.txt") + " one two"), std::string::npos) << recorded;

  // Without a variable nothing is written; the program still runs.
  run_to_end("Run Program | " + program + " | TRUE | record " + folder.file("quiet.txt") + " | TRUE |");
  EXPECT_TRUE(test::read_file(folder.file("quiet.txt")).size() > 0);
}

TEST(RunProgramTest, AProgressThatIsNoNumberStopsTheScriptWhileTheProgramRuns) {
  const auto run = std::make_unique<EngineRun>(test::script_package(
      "Set Variable | PROGRESS | half\nRun Program | " + test_program() + " | TRUE | sleep 2000 | TRUE | CODE"));
  run->engine().set_silent(false);
  // A visible run reports the error in a message box.
  std::string report;
  std::thread user([&] { report = test::answer_message_box("Sample Product - Quillmore Wizard"); });
  ASSERT_TRUE(run->run());
  user.join();
  EXPECT_EQ(report, run->outcome().error_report);
  EXPECT_TRUE(run->outcome().failed);
  EXPECT_EQ(run->outcome().error_report, test::script_error_report(3, "'half' is not a valid integer value"));
  EXPECT_FALSE(run->engine().busy);
}

TEST(RegisterLibraryTest, LibrariesProgramsAndTypeLibraries) {
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuillmoreTest\\LibraryServer");
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuillmoreTest\\ExeServer");
  const std::string server = test::program_folder() + "test_com_server.dll";
  test::TempFolder folder;
  const struct {
    std::string line;
    const char* done;
    const char* key;  // the key the server writes, when the line makes it
    bool key_after;
  } cases[] = {
      {"Register Library | " + server + " | TRUE | DONE", "TRUE", "Software\\QuillmoreTest\\LibraryServer", true},
      {"Register Library | " + server + " | FALSE | DONE", "TRUE", "Software\\QuillmoreTest\\LibraryServer", false},
      // Nothing left to remove: the server says it failed.
      {"Register Library | " + server + " | FALSE | DONE", "FALSE", nullptr, false},
      {"Register Library | " + folder.file("missing.dll") + " | TRUE | DONE", "FALSE", nullptr, false},
      // A library without the export.
      {"Register Library | " + platform::system_folder() + "version.dll | TRUE | DONE", "FALSE", nullptr, false},
      {"Register Library | " + platform::system_folder() + "stdole2.tlb | TRUE | DONE", "TRUE", nullptr, false},
      {"Register Library | " + platform::system_folder() + "STDOLE2.TLB | FALSE | DONE", "TRUE", nullptr, false},
      {"Register Library | " + folder.file("missing.tlb") + " | TRUE | DONE", "FALSE", nullptr, false},
      {"Register Library | " + test_program() + " | TRUE | DONE", "TRUE", nullptr, false},
      {"Register Library | " + folder.file("missing.exe") + " | TRUE | DONE", "FALSE", nullptr, false},
  };
  for (const auto& c : cases) {
    const auto run = run_to_end(c.line);
    EXPECT_EQ(run->get("DONE"), c.done) << c.line;
    if (c.key != nullptr) {
      EXPECT_EQ(key_exists(c.key), c.key_after) << c.line;
    }
  }
  // The program registers itself in its own time.
  for (int wait = 0; wait < 100 && !key_exists("Software\\QuillmoreTest\\ExeServer"); ++wait) Sleep(50);
  EXPECT_TRUE(key_exists("Software\\QuillmoreTest\\ExeServer")) << "started with /regserver";
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuillmoreTest\\ExeServer");
}

// The test service registered with the service control manager for a test,
// removed after it.
class InstalledService {
 public:
  InstalledService() {
    manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    const std::string path = "\"" + test::program_folder() + "test_service.exe\"";
    service_ = CreateServiceA(manager_, "QuillmoreTestService", "Quillmore test service", SERVICE_ALL_ACCESS,
                              SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, path.c_str(),
                              nullptr, nullptr, nullptr, nullptr, nullptr);
    if (service_ == nullptr) service_ = OpenServiceA(manager_, "QuillmoreTestService", SERVICE_ALL_ACCESS);
  }
  ~InstalledService() {
    if (service_ != nullptr) {
      stop();
      DeleteService(service_);
      CloseServiceHandle(service_);
    }
    if (manager_ != nullptr) CloseServiceHandle(manager_);
  }
  bool installed() const { return service_ != nullptr; }
  bool start() { return StartServiceA(service_, 0, nullptr) != FALSE && reaches(SERVICE_RUNNING); }
  bool stop() {
    SERVICE_STATUS status{};
    ControlService(service_, SERVICE_CONTROL_STOP, &status);
    return reaches(SERVICE_STOPPED);
  }

 private:
  bool reaches(DWORD state) {
    SERVICE_STATUS status{};
    for (int wait = 0; wait < 200; ++wait) {
      if (QueryServiceStatus(service_, &status) && status.dwCurrentState == state) return true;
      Sleep(50);
    }
    return false;
  }
  SC_HANDLE manager_ = nullptr;
  SC_HANDLE service_ = nullptr;
};

std::string service_state(const std::string& service, const std::string& computer = "") {
  return run_to_end("Check Service | " + service + " | " + computer + " | STATE")->get("STATE");
}

TEST(CheckServiceTest, TheStatesOfARealService) {
  EXPECT_EQ(service_state("QuillmoreTestService"), "NOTINSTALLED");
  {
    InstalledService service;
    ASSERT_TRUE(service.installed());
    EXPECT_EQ(service_state("QuillmoreTestService"), "STOPPED");
    ASSERT_TRUE(service.start());
    EXPECT_EQ(service_state("quillmoretestservice"), "RUNNING");
    ASSERT_TRUE(service.stop());
    EXPECT_EQ(service_state("QuillmoreTestService"), "STOPPED");
  }
  EXPECT_EQ(service_state("QuillmoreTestService"), "NOTINSTALLED") << "deleted";
  EXPECT_EQ(service_state("QuillmoreTestService", "\\\\no-such-computer"), "NOTINSTALLED");
  EXPECT_EQ(service_state(""), "NOTINSTALLED");
}

// A real setup runs a program that does not end while its wizard page is up:
// the page answers messages all the while, and the program's end ends the
// wait.
TEST(RunProgramInSetupTest, TheWizardAnswersWhileAProgramRuns) {
  const std::string script =
      "Display Dialog | welcome | PAGE | FALSE | | |\n"
      "Run Program | " + test_program() + " | FALSE | stubborn Quillmore endless program | TRUE | CODE\n"
      "Register Library | " + test::program_folder() + "test_com_server.dll | TRUE | REGISTERED\n"
      "Register Library | " + test::program_folder() + "test_com_server.dll | FALSE | UNREGISTERED\n"
      "Check Service | NoSuchService | | SERVICE\n"
      "dump";
  test::SetupFolder folder(test::script_package(script).text(), "wizard.7z");
  test::StartedProgram setup = folder.start("");

  test::WizardDriver wizard(folder.setup());
  ASSERT_TRUE(wizard.wait_for_page("Next")) << "the page";
  HWND program = nullptr;
  for (int wait = 0; wait < 200 && program == nullptr; ++wait) {
    program = FindWindowA("QuillmoreTestWindow", "Quillmore endless program");
    if (program == nullptr) Sleep(50);
  }
  ASSERT_NE(program, nullptr) << "the program's window";
  for (int ask = 0; ask < 3; ++ask) {
    DWORD_PTR length = 0;
    EXPECT_NE(SendMessageTimeoutA(wizard.page(), WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length), 0)
        << "the page answers while the program runs";
    Sleep(200);
  }
  DWORD process_id = 0;
  GetWindowThreadProcessId(program, &process_id);
  HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, process_id);
  TerminateProcess(process, 5);
  CloseHandle(process);
  EXPECT_EQ(setup.wait(), 0u);
  const auto variables = folder.variables();
  EXPECT_EQ(variables.at("CODE"), "5");
  EXPECT_EQ(variables.at("REGISTERED"), "TRUE");
  EXPECT_EQ(variables.at("UNREGISTERED"), "TRUE");
  EXPECT_EQ(variables.at("SERVICE"), "NOTINSTALLED");
}

}  // namespace
}  // namespace qm
