#pragma once
// Runs a long operation on a worker thread while the calling (user-interface)
// thread stays responsive. Plug-in libraries, Windows Installer work and media
// transfers all wait through this one loop.

#include <functional>

namespace qm::platform {

struct WorkerWait {
  // A silent run shows nothing: the calling thread simply blocks until the
  // worker is done, handling no messages and calling neither hook below.
  bool silent = false;
  // Called on the calling thread after each round of window messages and at
  // least every `idle_interval_ms` while the worker runs: the place to refresh
  // a progress display or to notice that the user asked to cancel.
  std::function<void()> on_idle;
  unsigned idle_interval_ms = 100;
  // Called on the calling thread when the wait has to end early because a
  // message handler or `on_idle` threw: it must make the worker finish soon
  // (for instance by setting the cancel flag the worker polls), since the
  // exception is only passed on once the worker has returned.
  std::function<void()> stop;
};

// Runs `work` on a new thread and returns when it has returned. Meanwhile the
// calling thread dispatches the window messages of its queue (a WM_QUIT taken
// from the queue is posted again after the wait, so the caller's own message
// loop still sees it). An exception thrown by `work` is rethrown here; so is
// one thrown by a message handler or `on_idle`, once the worker is done.
// Throws WindowsError when no thread can be started.
void run_on_worker(const std::function<void()>& work, const WorkerWait& wait = {});

}  // namespace qm::platform
