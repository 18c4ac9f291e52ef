// How soon a user sees the first wizard page of a 30-page product, against
// how soon the barest Windows program shows a window under the same system:
// both timed from the start of the process to a visible window. The setup
// reads its package, unpacks its resources and loads all 30 pages before the
// first shows. Reports both times (median of several runs, after one
// warm-up) and the ratio; the goal is a ratio of at most 2. Never fails on
// time.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/stopwatch.h"
#include "tests/support/package_text.h"
#include "tests/support/setup_folder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wizard_driver.h"

namespace {

constexpr int kPages = 30;

struct WindowSearch {
  DWORD process;
  const char* window_class;
  HWND found;
};

BOOL CALLBACK match_window(HWND window, LPARAM data) {
  auto* wanted = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (owner != wanted->process || !IsWindowVisible(window) || lstrcmpiA(name, wanted->window_class) != 0) return TRUE;
  wanted->found = window;
  return FALSE;
}

// A visible top-level window of the class, belonging to the process.
HWND visible_window_of(DWORD process, const char* window_class) {
  WindowSearch search{process, window_class, nullptr};
  EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct Started {
  PROCESS_INFORMATION process{};
  HWND window = nullptr;
  double ms = 0;
};

// Starts a program and waits (up to two minutes) for its window to show.
Started start_until_shown(const std::string& program, const char* window_class) {
  Started started;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::string command_line = "\"" + program + "\"";
  qm::bench::Stopwatch watch;
  if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started.process)) {
    std::fprintf(stderr, "cannot start %s\n", program.c_str());
    std::exit(1);
  }
  while (started.window == nullptr && watch.elapsed_ms() < 120000) {
    started.window = visible_window_of(started.process.dwProcessId, window_class);
    if (started.window == nullptr) Sleep(2);
  }
  started.ms = watch.elapsed_ms();
  if (started.window == nullptr) {
    std::fprintf(stderr, "%s showed no window\n", program.c_str());
    TerminateProcess(started.process.hProcess, 1);
    std::exit(1);
  }
  return started;
}

void wait_and_close(Started& started) {
  WaitForSingleObject(started.process.hProcess, 60000);
  CloseHandle(started.process.hProcess);
  CloseHandle(started.process.hThread);
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Page 1 waits for the user; a click on Next ends the script, the other 29
// pages having been loaded all the same.
qm::test::PackageText thirty_page_script() {
  qm::test::PackageText package;
  package.add_line("Display Dialog", {"page01", "RESULT", "FALSE", "", "", ""});
  package.add_line("GoTo Label", {"end"});
  for (int page = 2; page <= kPages; ++page) {
    char name[16];
    std::snprintf(name, sizeof name, "page%02d", page);
    package.add_line("Display Dialog", {name, "RESULT", "FALSE", "", "", ""});
  }
  package.add_line("Label", {"end"});
  return package;
}

}  // namespace

int main() {
  const bool quick = [] {
    char value[8] = {};
    return GetEnvironmentVariableA("QM_BENCH_QUICK", value, sizeof value) > 0 && value[0] == '1';
  }();
  const int runs = quick ? 3 : 7;
  const std::string bare = qm::test::program_folder() + "bare_window.exe";
  const qm::test::SetupFolder folder(thirty_page_script().text(), "thirty_pages.7z");

  std::vector<double> bare_ms;
  std::vector<double> setup_ms;
  for (int run = 0; run <= runs; ++run) {
    Started window = start_until_shown(bare, "QuillmoreBareWindow");
    PostMessageA(window.window, WM_CLOSE, 0, 0);
    wait_and_close(window);

    Started setup = start_until_shown(folder.setup(), "QuillmoreWizardPage");
    qm::test::WizardDriver driver(folder.setup());
    if (!driver.wait_for_page("Next")) {
      std::fprintf(stderr, "the first page has no Next button\n");
      return 1;
    }
    driver.click("Next");
    wait_and_close(setup);
    if (run == 0) continue;  // the warm-up: Wine loads its own libraries
    bare_ms.push_back(window.ms);
    setup_ms.push_back(setup.ms);
  }
  const double bare_median = median(bare_ms);
  const double setup_median = median(setup_ms);
  std::printf("first of %d wizard pages shown after %.0f ms; a bare window after %.0f ms (median of %d)\n", kPages,
              setup_median, bare_median, runs);
  std::printf("start-up ratio: %.2f (goal: at most 2)\n", setup_median / bare_median);
  return 0;
}
