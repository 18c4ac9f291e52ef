#include "media/media_thread.h"

#include <windows.h>
#include <process.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>

#include "engine/engine.h"
#include "engine/progress.h"
#include "platform/messages.h"
#include "platform/unique_resource.h"
#include "platform/windows_error.h"

namespace qm {

bool MediaJobContext::report(std::string_view text, std::int64_t position) {
  progress_.store(text, 0, 100, position);
  return !stop_requested();
}

namespace {

// What the media thread and the waiting thread share. It lives as long as
// either of them holds it: a killed thread never lets go of its share, which
// is the price of killing it.
struct SharedJob {
  MediaJob job;
  ProgressRecord* progress = nullptr;
  HWND owner = nullptr;
  std::atomic<bool> stop{false};
  std::mutex lock;  // guards done and outcome, so that both are seen together
  bool done = false;
  MediaOutcome outcome;
};

MediaOutcome run_job(SharedJob& shared) {
  MediaJobContext context(*shared.progress, shared.stop);
  try {
    return shared.job(context);
  } catch (const std::exception& error) {
    MediaOutcome failed;
    failed.error_text = error.what();
    return failed;
  } catch (...) {
    return MediaOutcome{};
  }
}

unsigned __stdcall media_thread_main(void* argument) {
  const std::unique_ptr<std::shared_ptr<SharedJob>> handed(static_cast<std::shared_ptr<SharedJob>*>(argument));
  SharedJob& shared = **handed;
  MediaOutcome outcome = run_job(shared);
  {
    std::lock_guard guard(shared.lock);
    shared.outcome = std::move(outcome);
    shared.done = true;
  }
  // The waiting loop also wakes on the thread's end; the message wakes a
  // dialog's own message loop that may be waiting instead.
  if (shared.owner != nullptr) PostMessageA(shared.owner, WM_NULL, 0, 0);
  return 0;
}

HANDLE start_thread(const std::shared_ptr<SharedJob>& shared) {
  auto handed = std::make_unique<std::shared_ptr<SharedJob>>(shared);
  const std::uintptr_t thread = _beginthreadex(nullptr, 0, media_thread_main, handed.get(), 0, nullptr);
  if (thread == 0) throw platform::WindowsError("Unable to start a media thread", GetLastError());
  handed.release();  // the thread owns it now
  return reinterpret_cast<HANDLE>(thread);
}

// Ends a thread that ignored the request to stop. TerminateThread is the
// last resort only: the thread's stack, its open files and whatever lock it
// holds stay as they are. The progress lock is taken first, so that at least
// the record the dialog reads every second is never left locked by a dead
// thread.
void kill(HANDLE thread, ProgressRecord& progress) {
  std::lock_guard guard(progress.lock());
  if (WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) return;
  TerminateThread(thread, 1);
  WaitForSingleObject(thread, 5000);
}

class MediaWait {
 public:
  MediaWait(Engine& engine, const MediaThreadSettings& settings, SharedJob& shared, HANDLE thread)
      : engine_(engine), settings_(settings), shared_(shared), thread_(thread), silent_(engine.silent()) {
    if (shared_.stop) cancel_seen_at_ = GetTickCount64();
  }

  // True when the thread ended by itself, false when it was killed.
  bool wait() {
    for (;;) {
      // A silent run handles no posted messages, only those other threads
      // send to our windows (a job waiting on SendMessage would hang).
      const DWORD kinds = silent_ ? QS_SENDMESSAGE : QS_ALLINPUT;
      const DWORD woke = MsgWaitForMultipleObjectsEx(1, &thread_, kRound, kinds, silent_ ? 0 : MWMO_INPUTAVAILABLE);
      if (woke == WAIT_OBJECT_0) return true;
      if (woke == WAIT_OBJECT_0 + 1) handle_messages();
      if (!silent_) refresh();
      notice_cancel();
      if (watchdog_fired()) {
        kill(thread_, engine_.progress);
        return false;
      }
    }
  }

  std::optional<std::uintptr_t> quit;

 private:
  static constexpr DWORD kRound = 100;

  void handle_messages() {
    if (silent_) {
      MSG message;
      PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    } else {
      platform::dispatch_pending_messages(quit);
    }
  }

  void refresh() {
    if (engine_.current_window != nullptr) {
      update_progress_display(engine_, ProgressState{std::string(kStoredProgress)}, false);
    }
    if (settings_.on_idle) settings_.on_idle();
  }

  void notice_cancel() {
    if (shared_.stop || !engine_.cancel_requested) return;
    shared_.stop = true;
    cancel_seen_at_ = GetTickCount64();
  }

  bool watchdog_fired() const {
    return shared_.stop && settings_.cancel_watchdog_ms &&
           GetTickCount64() - cancel_seen_at_ >= *settings_.cancel_watchdog_ms;
  }

  Engine& engine_;
  const MediaThreadSettings& settings_;
  SharedJob& shared_;
  HANDLE thread_;
  const bool silent_;
  ULONGLONG cancel_seen_at_ = 0;
};

}  // namespace

MediaOutcome run_media_thread(Engine& engine, MediaJob job, const MediaThreadSettings& settings) {
  auto shared = std::make_shared<SharedJob>();
  shared->job = std::move(job);
  shared->progress = &engine.progress;
  shared->owner = static_cast<HWND>(settings.owner_window);

  // A cancel the user confirmed before the job started stops it at once.
  shared->stop = engine.cancel_requested.load();

  BusyScope busy(engine.busy);
  const platform::UniqueHandle thread(start_thread(shared));
  MediaWait waiting(engine, settings, *shared, thread.get());
  bool ended = false;
  try {
    ended = waiting.wait();
  } catch (...) {
    // A message handler failed: the job has to end before its inputs go.
    shared->stop = true;
    WaitForSingleObject(thread.get(), INFINITE);
    if (waiting.quit) PostQuitMessage(static_cast<int>(*waiting.quit));
    throw;
  }
  if (waiting.quit) PostQuitMessage(static_cast<int>(*waiting.quit));

  MediaOutcome outcome;
  if (ended) {
    std::lock_guard guard(shared->lock);
    outcome = shared->outcome;
  } else {
    outcome.killed = true;
  }
  outcome.terminate_requested = shared->stop.load();
  // A job that was asked to stop has not done its work, whatever it says.
  if (outcome.terminate_requested) outcome.success = false;
  return outcome;
}

}  // namespace qm
