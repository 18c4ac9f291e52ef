#include "platform/program_runner.h"

#include <shellapi.h>

#include "platform/messages.h"
#include "platform/unique_resource.h"

namespace qm::platform {

namespace {

bool shell_execute(SHELLEXECUTEINFOA& info) { return ShellExecuteExA(&info) != FALSE; }

}  // namespace

std::int32_t wait_for_process(HANDLE process, bool wait, const std::atomic<bool>* stop) {
  if (wait) {
    do {
      process_pending_messages();
      if (stop != nullptr && stop->load()) break;
    } while (WaitForSingleObject(process, 1000) == WAIT_TIMEOUT);
  }
  DWORD exit_code = 0;
  if (!GetExitCodeProcess(process, &exit_code)) return -1;
  return static_cast<std::int32_t>(exit_code);
}

std::int32_t run_with_shell(const ShellProgram& start, const std::atomic<bool>* stop) {
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = "open";
  info.lpFile = start.program.c_str();
  info.lpParameters = start.parameters.c_str();
  info.nShow = start.show ? SW_SHOW : SW_HIDE;
  if (!shell_execute(info)) {
    info.lpVerb = nullptr;
    if (!shell_execute(info)) return -1;
  }
  // A document opened in a program that was already running (or a URL)
  // leaves no process of its own to wait for.
  if (info.hProcess == nullptr) return 0;
  const UniqueHandle process(info.hProcess);
  return wait_for_process(process.get(), start.wait, stop);
}

}  // namespace qm::platform
