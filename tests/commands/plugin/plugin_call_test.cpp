#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "commands/plugin/plugin_call.h"
#include "platform/messages.h"
#include "platform/unique_resource.h"
#include "platform/worker_wait.h"
#include "script/comma_text.h"
#include "tests/support/processor_faults.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_window.h"

namespace qm {
namespace {

using test::make_event;
using test::signalled;
using test::TestWindow;

// ---------------------------------------------------------------------------
// The plug-in call, with the test plug-in.

const std::vector<std::string> kStoreItems = {"PRODUCT", "Sample Product", "A", "1"};
const std::string kStore = to_comma_text(kStoreItems);

std::string plugin_path() { return test::program_folder() + "test_plugin.dll"; }

PluginRequest request_for(const std::string& parameter, void* window = nullptr) {
  return PluginRequest{plugin_path(), window, kStore, parameter};
}

// The progress reports as the callback received them, and on which threads.
struct Reports {
  std::mutex lock;
  std::vector<std::pair<int, std::string>> seen;
  bool on_calling_thread = false;

  PluginProgress callback() {
    const DWORD calling_thread = GetCurrentThreadId();
    return [this, calling_thread](int position, const std::string& text) {
      std::lock_guard guard(lock);
      seen.emplace_back(position, text);
      if (GetCurrentThreadId() == calling_thread) on_calling_thread = true;
    };
  }
};

// The value of the last variable NAME in a store text, if any.
std::optional<std::string> value_of(const std::string& store_text, const std::string& name) {
  const std::vector<std::string> items = from_comma_text(store_text);
  std::optional<std::string> value;
  for (std::size_t i = 0; i + 1 < items.size(); i += 2)
    if (items[i] == name) value = items[i + 1];
  return value;
}

TEST(PluginCallTest, ResultReplacesTheStoreText) {
  auto with = [](std::vector<std::string> extra) {
    std::vector<std::string> items = kStoreItems;
    items.insert(items.end(), extra.begin(), extra.end());
    return to_comma_text(items);
  };
  const struct {
    std::string parameter;
    std::string expected;
  } cases[] = {
      {"append B=2", with({"B", "2"})},
      {"append NOTE=two words, one \"quoted\"", with({"NOTE", "two words, one \"quoted\""})},
      {"empty", ""},
      // The text ends at the zero, though more was announced.
      {"shorter", kStore},
      // Only the announced length is taken when the zero is missing.
      {"no-terminator", kStore},
  };
  const std::atomic<bool> cancel{false};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.parameter);
    const PluginResult result = call_plugin(request_for(c.parameter), {}, cancel, false);
    EXPECT_EQ(result.outcome, PluginOutcome::kCompleted) << describe(result);
    EXPECT_EQ(result.text, c.expected);
  }
}

TEST(PluginCallTest, LibraryGetsItsParameterAndTheWindowAsGiven) {
  const TestWindow window;
  const std::atomic<bool> cancel{false};
  const std::string parameter = "inspect $A$ and \"$PRODUCT$\"";
  const PluginResult result = call_plugin(request_for(parameter, window.handle()), {}, cancel, false);
  ASSERT_EQ(result.outcome, PluginOutcome::kCompleted) << describe(result);
  EXPECT_EQ(value_of(result.text, "PARAMETER"), parameter);
  EXPECT_EQ(value_of(result.text, "WINDOW"), std::to_string(reinterpret_cast<UINT_PTR>(window.handle())));
  EXPECT_EQ(value_of(result.text, "PRODUCT"), "Sample Product");
}

TEST(PluginCallTest, FailuresAndFaultsLeaveTheStoreUnchanged) {
  const struct {
    std::string parameter;
    PluginOutcome outcome;
    std::uint32_t code;  // the exception code of a fault
  } cases[] = {
      {"fail", PluginOutcome::kFailed, 0},
      {"fail-second", PluginOutcome::kFailed, 0},
      {"no-such-mode", PluginOutcome::kFailed, 0},
      // No buffer of that size is to be had.
      {"huge", PluginOutcome::kFailed, 0},
      {"crash-first", PluginOutcome::kFaulted, EXCEPTION_ACCESS_VIOLATION},
      {"crash-second", PluginOutcome::kFaulted, EXCEPTION_ACCESS_VIOLATION},
      {"crash-nested", PluginOutcome::kFaulted, EXCEPTION_ACCESS_VIOLATION},
      // Writing past the buffer runs into the page behind it.
      {"overrun", PluginOutcome::kFaulted, EXCEPTION_ACCESS_VIOLATION},
      {"raise", PluginOutcome::kFaulted, 0xE06D7363},
      {"recurse", PluginOutcome::kFaulted, EXCEPTION_STACK_OVERFLOW},
  };
  const std::atomic<bool> cancel{false};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.parameter);
    const PluginResult result = call_plugin(request_for(c.parameter), {}, cancel, false);
    EXPECT_EQ(result.outcome, c.outcome) << describe(result);
    EXPECT_EQ(result.text, kStore);
    if (c.outcome == PluginOutcome::kFaulted) {
      if (c.code == 0xE06D7363) {
        EXPECT_EQ(result.code, c.code) << describe(result);  // raised by the library: exact everywhere
      } else {
        EXPECT_TRUE(test::is_processor_fault(result.code, c.code)) << describe(result);
      }
    }
  }
  // Nothing of the faults is left behind for the next call.
  const PluginResult after = call_plugin(request_for("append C=3"), {}, cancel, false);
  EXPECT_EQ(after.outcome, PluginOutcome::kCompleted) << describe(after);
  EXPECT_EQ(value_of(after.text, "C"), "3");
}

TEST(PluginCallTest, FaultRunsTheUnwindHandlersTheLibraryRegistered) {
  // Our own reference keeps the library, and its count, loaded across calls.
  const HMODULE library = LoadLibraryA(plugin_path().c_str());
  ASSERT_NE(library, nullptr);
  const auto unwind_count = reinterpret_cast<LONG (*)()>(GetProcAddress(library, "test_plugin_unwind_count"));
  ASSERT_NE(unwind_count, nullptr);
  const LONG before = unwind_count();

  const std::atomic<bool> cancel{false};
  const PluginResult result = call_plugin(request_for("crash-nested"), {}, cancel, false);
  EXPECT_EQ(result.outcome, PluginOutcome::kFaulted);
  EXPECT_EQ(unwind_count(), before + 1);
  FreeLibrary(library);
}

TEST(PluginCallTest, ProgressReportsReachTheCallbackOffTheCallingThread) {
  using Seen = std::vector<std::pair<int, std::string>>;
  const struct {
    std::string parameter;
    Seen expected;
    std::string answer_name;  // a variable in which the library reports the answers it got
    std::string answers;
  } cases[] = {
      {"progress 4", {{25, "step 1"}, {50, "step 2"}, {75, "step 3"}, {100, "step 4"}}, "REPORTS", "4"},
      // Positions are kept within 0..100; a null text arrives empty.
      {"progress-odd", {{0, ""}, {100, "high"}}, "ANSWERS", "11"},
      // Reports from a thread of the library's own reach the same call.
      {"progress-thread", {{30, "from another thread"}}, "", ""},
  };
  const std::atomic<bool> cancel{false};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.parameter);
    Reports reports;
    const PluginResult result = call_plugin(request_for(c.parameter), reports.callback(), cancel, false);
    ASSERT_EQ(result.outcome, PluginOutcome::kCompleted) << describe(result);
    EXPECT_EQ(reports.seen, c.expected);
    EXPECT_FALSE(reports.on_calling_thread);
    if (!c.answer_name.empty()) {
      EXPECT_EQ(value_of(result.text, c.answer_name), c.answers);
    }
  }
}

TEST(PluginCallTest, CancelMakesTheCallbackAnswerZero) {
  Reports reports;
  const std::atomic<bool> cancel{true};
  const PluginResult result = call_plugin(request_for("progress 4"), reports.callback(), cancel, false);
  ASSERT_EQ(result.outcome, PluginOutcome::kCompleted) << describe(result);
  // The report still arrives; the library stops at the first 0.
  EXPECT_EQ(reports.seen, (std::vector<std::pair<int, std::string>>{{25, "step 1"}}));
  EXPECT_EQ(value_of(result.text, "REPORTS"), "0");
}

TEST(PluginCallTest, MessagesAreHandledWhileTheLibraryRuns) {
  // The library runs until cancelled, and only the window's message handler
  // cancels: the call returns only if messages are handled meanwhile.
  TestWindow window;
  std::atomic<bool> cancel{false};
  window.on_poke = [&] { cancel = true; };
  window.post();
  const PluginResult result = call_plugin(request_for("wait-for-cancel"), {}, cancel, false);
  ASSERT_EQ(result.outcome, PluginOutcome::kCompleted) << describe(result);
  EXPECT_EQ(value_of(result.text, "CANCELLED"), "TRUE");
  EXPECT_EQ(window.pokes, 1);
}

TEST(PluginCallTest, IdleHookRunsWhileTheLibraryRuns) {
  std::atomic<bool> cancel{false};
  platform::WorkerWait wait;
  wait.on_idle = [&] { cancel = true; };
  const PluginResult result = call_plugin(request_for("wait-for-cancel"), {}, cancel, wait);
  EXPECT_EQ(value_of(result.text, "CANCELLED"), "TRUE");
}

TEST(PluginCallTest, SilentCallLeavesPostedMessagesQueued) {
  TestWindow window;
  window.post();
  const std::atomic<bool> cancel{false};
  const PluginResult result = call_plugin(request_for("append B=2"), {}, cancel, true);
  EXPECT_EQ(result.outcome, PluginOutcome::kCompleted) << describe(result);
  EXPECT_EQ(window.pokes, 0);
  platform::process_pending_messages();
  EXPECT_EQ(window.pokes, 1);
}

TEST(PluginCallTest, UnusableLibrariesAreReportedApart) {
  const test::TempFolder folder;
  test::write_file(folder.file("not-a-library.dll"), "plain text");
  char system[MAX_PATH];
  ASSERT_NE(GetSystemDirectoryA(system, MAX_PATH), 0u);
  const struct {
    std::string path;
    PluginOutcome outcome;
    std::uint32_t code;
  } cases[] = {
      {folder.file("absent.dll"), PluginOutcome::kNotLoaded, ERROR_MOD_NOT_FOUND},
      {folder.file("not-a-library.dll"), PluginOutcome::kNotLoaded, ERROR_BAD_EXE_FORMAT},
      {std::string(system) + "\\kernel32.dll", PluginOutcome::kNoEntryPoint, ERROR_PROC_NOT_FOUND},
  };
  const std::atomic<bool> cancel{false};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const PluginResult result = call_plugin(PluginRequest{c.path, nullptr, kStore, "append B=2"}, {}, cancel, false);
    EXPECT_EQ(result.outcome, c.outcome) << describe(result);
    EXPECT_EQ(result.code, c.code);
    EXPECT_EQ(result.text, "");
  }
}

TEST(PluginCallTest, ProgressCallbackExceptionStopsTheLibraryAndIsRethrown) {
  std::atomic<int> reports{0};
  const PluginProgress failing = [&](int, const std::string&) {
    ++reports;
    throw std::runtime_error("progress display gone");
  };
  const std::atomic<bool> cancel{false};
  EXPECT_THROW(call_plugin(request_for("progress 4"), failing, cancel, false), std::runtime_error);
  EXPECT_EQ(reports, 1);
  // The next call starts afresh.
  EXPECT_EQ(call_plugin(request_for("append B=2"), {}, cancel, false).outcome, PluginOutcome::kCompleted);
}

TEST(PluginCallTest, SecondCallWhileOneRunsIsRefused) {
  const std::atomic<bool> cancel{false};
  std::optional<std::string> refusal;
  const PluginProgress nested = [&](int, const std::string&) {
    try {
      call_plugin(request_for("append B=2"), {}, cancel, true);
    } catch (const std::logic_error& error) {
      refusal = error.what();
    }
  };
  const PluginResult result = call_plugin(request_for("progress 1"), nested, cancel, false);
  EXPECT_EQ(result.outcome, PluginOutcome::kCompleted) << describe(result);
  EXPECT_TRUE(refusal.has_value());
}

}  // namespace
}  // namespace qm
