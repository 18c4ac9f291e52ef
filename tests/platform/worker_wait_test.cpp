// The wait loop through which the user-interface thread waits for workers.

#include "platform/worker_wait.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>

#include "platform/messages.h"
#include "tests/support/test_window.h"

namespace qm {
namespace {

using test::make_event;
using test::signalled;
using test::kPoke;
using test::TestWindow;

TEST(WorkerWaitTest, WorkRunsOnAnotherThreadAndItsExceptionIsRethrown) {
  for (const bool silent : {false, true}) {
    SCOPED_TRACE(silent ? "silent" : "not silent");
    DWORD worker_thread = GetCurrentThreadId();
    platform::WorkerWait wait;
    wait.silent = silent;
    EXPECT_THROW(platform::run_on_worker(
                     [&] {
                       worker_thread = GetCurrentThreadId();
                       throw std::runtime_error("worker failed");
                     },
                     wait),
                 std::runtime_error);
    EXPECT_NE(worker_thread, GetCurrentThreadId());
  }
}

TEST(WorkerWaitTest, PostedMessagesAreHandledWhileWaiting) {
  TestWindow window;
  const platform::UniqueHandle poked = make_event();
  window.on_poke = [&] { SetEvent(poked.get()); };
  window.post();
  bool worker_saw_poke = false;
  platform::run_on_worker([&] { worker_saw_poke = signalled(poked); });
  EXPECT_TRUE(worker_saw_poke);
}

TEST(WorkerWaitTest, SentMessagesAreAnsweredEvenWhenSilent) {
  // A worker that sends to a window of the waiting thread must not wait for
  // ever; a silent wait still leaves posted messages alone.
  for (const bool silent : {false, true}) {
    SCOPED_TRACE(silent ? "silent" : "not silent");
    TestWindow window;
    if (silent) window.post();
    platform::WorkerWait wait;
    wait.silent = silent;
    bool answered = false;
    platform::run_on_worker(
        [&] {
          DWORD_PTR reply = 0;
          answered = SendMessageTimeoutA(window.handle(), kPoke, 0, 0, SMTO_NORMAL, 60000, &reply) != 0;
        },
        wait);
    EXPECT_TRUE(answered);
    EXPECT_EQ(window.pokes, 1);
    platform::process_pending_messages();
    EXPECT_EQ(window.pokes, silent ? 2 : 1);
  }
}

TEST(WorkerWaitTest, QuitMessageIsKeptForTheCallersLoop) {
  TestWindow window;
  const platform::UniqueHandle poked = make_event();
  window.on_poke = [&] { SetEvent(poked.get()); };
  window.post();
  PostQuitMessage(7);
  platform::run_on_worker([&] { signalled(poked); });
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
}

TEST(WorkerWaitTest, IdleHookRunsWhileWaiting) {
  const platform::UniqueHandle idled = make_event();
  platform::WorkerWait wait;
  wait.on_idle = [&] { SetEvent(idled.get()); };
  bool worker_saw_idle = false;
  platform::run_on_worker([&] { worker_saw_idle = signalled(idled); }, wait);
  EXPECT_TRUE(worker_saw_idle);
}

TEST(WorkerWaitTest, FailureOnTheWaitingSideStopsTheWorkerAndWaitsForIt) {
  const platform::UniqueHandle stopped = make_event();
  platform::WorkerWait wait;
  wait.on_idle = [] { throw std::runtime_error("display failed"); };
  wait.stop = [&] { SetEvent(stopped.get()); };
  std::atomic<bool> worker_done{false};
  bool done_when_rethrown = false;
  try {
    platform::run_on_worker(
        [&] {
          signalled(stopped);
          worker_done = true;
        },
        wait);
  } catch (const std::runtime_error&) {
    done_when_rethrown = worker_done;
  }
  EXPECT_TRUE(done_when_rethrown);
}

}  // namespace
}  // namespace qm
