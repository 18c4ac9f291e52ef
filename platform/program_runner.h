#pragma once
// Starting programs the way the shell does (a program, a document opened
// with its program, a URL), and waiting for a process while the calling
// thread's window messages are handled.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

namespace qm::platform {

// The exit code Windows reports for a process that has not ended.
inline constexpr std::int32_t kStillActive = static_cast<std::int32_t>(STILL_ACTIVE);

struct ShellProgram {
  std::string program;     // a program, or a document opened with its program
  std::string parameters;
  bool show = true;        // shown normally, else hidden
  bool wait = false;       // until the program ends
};

// Starts the program through ShellExecuteEx with the verb "open", and once
// more without a verb when that fails (a file type without "open"). Returns
// its exit code; -1 when it could not be started; kStillActive without
// waiting, or when `stop` ended the wait early, while it still runs.
std::int32_t run_with_shell(const ShellProgram& start, const std::atomic<bool>* stop = nullptr);

// Waits for the process in rounds of a second, handling the calling
// thread's pending window messages between them, until it ends or `stop`
// is set. Returns the exit code (kStillActive while it runs).
std::int32_t wait_for_process(HANDLE process, bool wait, const std::atomic<bool>* stop = nullptr);

}  // namespace qm::platform
