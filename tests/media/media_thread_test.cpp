// The media thread frame with jobs of the tests' own: outcomes seen whole,
// progress, a cancel the job obeys, one it ignores (the watchdog), and the
// download job trying its locations.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "media/grab_media.h"
#include "media/media_thread.h"
#include "platform/file_system.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

TEST(MediaThreadTest, OutcomeAndProgressOfAJob) {
  Engine engine;
  bool busy_while_running = false;
  const MediaOutcome outcome = run_media_thread(
      engine,
      [&](MediaJobContext& context) {
        busy_while_running = engine.busy.load();
        EXPECT_TRUE(context.report("Halfway", 50));
        MediaOutcome done;
        done.success = true;
        done.error_text = "note";
        return done;
      },
      {});
  EXPECT_TRUE(outcome.success);
  EXPECT_EQ(outcome.error_text, "note");
  EXPECT_FALSE(outcome.terminate_requested);
  EXPECT_TRUE(busy_while_running);
  EXPECT_FALSE(engine.busy.load());
  EXPECT_EQ(engine.progress.stored(), (ProgressState{"Halfway", 0, 100, 50}));
}

TEST(MediaThreadTest, AJobThatThrowsFailsWithItsText) {
  for (const bool silent : {true, false}) {
    Engine engine;
    engine.set_silent(silent);
    const MediaOutcome outcome =
        run_media_thread(engine, [](MediaJobContext&) -> MediaOutcome { throw std::runtime_error("disk gone"); }, {});
    EXPECT_FALSE(outcome.success);
    EXPECT_EQ(outcome.error_text, "disk gone");
  }
}

// The user's cancel request reaches the job as "stop" from its progress
// calls; whatever the job then says, it failed.
TEST(MediaThreadTest, ACancelRequestStopsTheJob) {
  for (const bool silent : {true, false}) {
    SCOPED_TRACE(silent);
    Engine engine;
    engine.set_silent(silent);
    engine.cancel_requested = true;
    int rounds = 0;
    MediaThreadSettings settings;
    settings.cancel_watchdog_ms = 10000;
    const MediaOutcome outcome = run_media_thread(
        engine,
        [&](MediaJobContext& context) {
          while (context.report("working", 10)) {
            ++rounds;
            Sleep(5);
          }
          MediaOutcome claims;
          claims.success = true;
          return claims;
        },
        settings);
    EXPECT_FALSE(outcome.success);
    EXPECT_TRUE(outcome.terminate_requested);
    EXPECT_FALSE(outcome.killed);
  }
}

TEST(MediaThreadTest, TheWatchdogKillsAJobThatIgnoresTheRequest) {
  Engine engine;
  engine.cancel_requested = true;
  std::atomic<int> rounds{0};
  MediaThreadSettings settings;
  settings.cancel_watchdog_ms = 300;
  const ULONGLONG started = GetTickCount64();
  const MediaOutcome outcome = run_media_thread(
      engine,
      [&](MediaJobContext&) -> MediaOutcome {
        for (;;) {
          ++rounds;
          Sleep(5);
        }
      },
      settings);
  const ULONGLONG waited = GetTickCount64() - started;
  EXPECT_TRUE(outcome.killed);
  EXPECT_FALSE(outcome.success);
  EXPECT_GE(waited, 300u);
  EXPECT_LT(waited, 5000u);
  // Dead: it counts no more, and the progress record is not left locked.
  const int counted = rounds;
  Sleep(100);
  EXPECT_EQ(rounds.load(), counted);
  engine.progress.store("after", 0, 100, 1);
  EXPECT_EQ(engine.progress.stored().text, "after");
}

TEST(MediaThreadTest, WithoutAWatchdogAJobIsOnlyAskedToStop) {
  Engine engine;
  engine.cancel_requested = true;
  int rounds = 0;
  const MediaOutcome outcome = run_media_thread(
      engine,
      [&](MediaJobContext& context) {
        // Ignores the request for longer than a watchdog would wait here.
        while (rounds < 60) {
          context.report("busy", 1);
          ++rounds;
          Sleep(10);
        }
        return MediaOutcome{};
      },
      {});
  EXPECT_FALSE(outcome.killed);
  EXPECT_EQ(rounds, 60);
}

TEST(GrabMediaTest, LocationsAreTriedInOrderUntilOneSucceeds) {
  const test::TempFolder temp;
  Engine engine;
  GrabMediaInputs inputs;
  inputs.locations = {"http://one/", "http://two/", "http://three/"};
  inputs.archive_path = temp.file("web\\data\\Block1.7zip");
  inputs.block_name = "Block1\\";
  std::vector<std::string> tried;
  std::vector<std::string> texts;
  const MediaOutcome outcome =
      grab_media(engine, inputs, [&](const std::string& url, const GrabMediaInputs& given, const DownloadProgress& progress) {
        tried.push_back(url);
        EXPECT_TRUE(platform::folder_exists(temp.file("web\\data")));
        EXPECT_EQ(given.archive_path, inputs.archive_path);
        EXPECT_TRUE(progress(42, "1,024 bytes received"));
        texts.push_back(engine.progress.stored().text);
        return url == "http://two/";
      });
  EXPECT_TRUE(outcome.success);
  EXPECT_EQ(tried, (std::vector<std::string>{"http://one/", "http://two/"}));
  EXPECT_EQ(texts.back(), "Downloading Web Media: Block1\r1,024 bytes received");
  EXPECT_EQ(engine.progress.stored().position, 42);
}

TEST(GrabMediaTest, ACancelledDownloadIsToldToStopAndFails) {
  const test::TempFolder temp;
  Engine engine;
  engine.cancel_requested = true;
  GrabMediaInputs inputs;
  inputs.locations = {"http://one/", "http://two/"};
  inputs.archive_path = temp.file("Block1.7zip");
  int tries = 0;
  const MediaOutcome outcome =
      grab_media(engine, inputs, [&](const std::string&, const GrabMediaInputs&, const DownloadProgress& progress) {
        ++tries;
        while (progress(1, "waiting")) Sleep(5);
        return true;
      });
  EXPECT_FALSE(outcome.success);
  EXPECT_TRUE(outcome.terminate_requested);
  EXPECT_LE(tries, 1) << "no location after the stop";
}

}  // namespace
}  // namespace qm
