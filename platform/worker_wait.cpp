#include "platform/worker_wait.h"

#include <windows.h>
#include <process.h>

#include <cstdint>
#include <exception>
#include <optional>

#include "platform/messages.h"
#include "platform/unique_resource.h"
#include "platform/windows_error.h"

namespace qm::platform {
namespace {

struct WorkerStart {
  const std::function<void()>* work = nullptr;
  std::exception_ptr failure;
};

unsigned __stdcall worker_main(void* argument) {
  auto* start = static_cast<WorkerStart*>(argument);
  try {
    (*start->work)();
  } catch (...) {
    start->failure = std::current_exception();
  }
  return 0;
}

// Waits for the thread without dispatching posted messages, but still answers
// messages other threads send to this thread's windows: a worker that sends
// to a window of ours (a plug-in given the dialog's handle, Windows
// Installer's user interface) would otherwise never finish.
void wait_answering_sent_messages(HANDLE thread) {
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_SENDMESSAGE, 0);
    if (woke == WAIT_OBJECT_0) return;
    if (woke == WAIT_OBJECT_0 + 1) {
      MSG message;
      PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
      continue;
    }
    // The handle is ours and valid; this is not expected, but leaving before
    // the worker is done would free what it still uses.
    WaitForSingleObject(thread, INFINITE);
    return;
  }
}

void pump_until_done(HANDLE thread, const WorkerWait& wait, std::optional<std::uintptr_t>& quit) {
  for (;;) {
    const DWORD woke =
        MsgWaitForMultipleObjectsEx(1, &thread, wait.idle_interval_ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_OBJECT_0) return;
    if (woke == WAIT_FAILED) throw WindowsError("Unable to wait for the setup's worker thread", GetLastError());
    if (woke == WAIT_OBJECT_0 + 1) dispatch_pending_messages(quit);
    if (wait.on_idle) wait.on_idle();
  }
}

}  // namespace

void run_on_worker(const std::function<void()>& work, const WorkerWait& wait) {
  WorkerStart start;
  start.work = &work;
  const std::uintptr_t started = _beginthreadex(nullptr, 0, worker_main, &start, 0, nullptr);
  if (started == 0) throw WindowsError("Unable to start a worker thread", GetLastError());
  const UniqueHandle thread(reinterpret_cast<HANDLE>(started));

  if (wait.silent) {
    wait_answering_sent_messages(thread.get());
  } else {
    std::optional<std::uintptr_t> quit;
    std::exception_ptr caller_failure;
    try {
      pump_until_done(thread.get(), wait, quit);
    } catch (...) {
      caller_failure = std::current_exception();
    }
    if (caller_failure) {
      // The worker still uses `work` and `start`: it has to end before we do.
      if (wait.stop) {
        try {
          wait.stop();
        } catch (...) {
        }
      }
      wait_answering_sent_messages(thread.get());
    }
    if (quit) PostQuitMessage(static_cast<int>(*quit));
    if (caller_failure) std::rethrow_exception(caller_failure);
  }
  if (start.failure) std::rethrow_exception(start.failure);
}

}  // namespace qm::platform
