#include "engine/progress.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "engine/engine.h"

namespace qm {
namespace {

struct StoreCase {
  const char* what;
  std::string text;
  std::int64_t minimum, maximum, position;
  ProgressState expected;
};

TEST(ProgressRecordTest, MarkersKeepTextOrNumbers) {
  const ProgressState before{"Copying", 0, 200, 50};
  const std::vector<StoreCase> cases = {
      {"everything", "Registering", 0, 10, 5, {"Registering", 0, 10, 5}},
      {"the stored-progress marker changes nothing", "$VRAK$", 0, 10, 5, before},
      {"the keep-text marker changes the numbers only", "$IGNORE$", 0, 10, 5, {"Copying", 0, 10, 5}},
      {"position -1 keeps the numbers", "Registering", 0, 10, -1, {"Registering", 0, 200, 50}},
      {"the text alone is reset with empty text and -1", "", 0, 0, -1, {"", 0, 200, 50}},
      {"numbers past 32 bits", "Big", 0, 5000000000, 2500000000, {"Big", 0, 5000000000, 2500000000}},
  };
  for (const StoreCase& c : cases) {
    ProgressRecord record;
    record.store(before.text, before.minimum, before.maximum, before.position);
    record.store(c.text, c.minimum, c.maximum, c.position);
    EXPECT_EQ(record.stored(), c.expected) << c.what;
  }
}

// Workers store while the display reads under the same lock: every read is
// one whole store, never the text of one and the numbers of another.
TEST(ProgressRecordTest, StoresFromWorkersAreWhole) {
  ProgressRecord record;
  std::vector<std::thread> workers;
  for (int worker = 1; worker <= 4; ++worker) {
    workers.emplace_back([&record, worker] {
      for (int i = 0; i < 2000; ++i) record.store(std::to_string(worker), 0, worker, worker);
    });
  }
  for (int i = 0; i < 2000; ++i) {
    const ProgressState seen = record.stored();
    if (seen.text.empty()) continue;
    ASSERT_EQ(seen.text, std::to_string(seen.position));
    ASSERT_EQ(seen.maximum, seen.position);
  }
  for (std::thread& worker : workers) worker.join();
}

// A user display that notes what it is asked to show.
class ShownProgress : public UserInterface {
 public:
  std::vector<ProgressState> shown;
  void process_messages() override {}
  void show_progress(Engine&, const ProgressState& progress) override { shown.push_back(progress); }
  void preload_dialog(Engine&, std::size_t) override {}
  DialogOutcome show_dialog(Engine&, std::size_t, bool) override { return {}; }
  void hide_dialog(Engine&) override {}
};

TEST(ProgressDisplayTest, StoredMarkerShowsTheRecordAndCancelIsMirrored) {
  Engine engine;
  auto display = std::make_unique<ShownProgress>();
  ShownProgress& seen = *display;
  engine.user_interface = std::move(display);
  engine.progress.store("Installing", 0, 5000000000, 2500000000);

  engine.cancel_requested = true;
  EXPECT_TRUE(update_progress_display(engine, {std::string(kStoredProgress), 0, 0, 0}, false));
  EXPECT_FALSE(engine.apply_cancelled) << "only a display with cancel mirrors the request";
  EXPECT_TRUE(update_progress_display(engine, {std::string(kStoredProgress), 0, 0, 0}, true));
  EXPECT_TRUE(engine.apply_cancelled);
  ASSERT_EQ(seen.shown.size(), 2u);
  EXPECT_EQ(seen.shown[0], (ProgressState{"Installing", 0, 5000000000, 2500000000}));

  engine.set_silent(true);
  engine.cancel_requested = false;
  EXPECT_FALSE(update_progress_display(engine, {"Silent", 0, 100, 1}, true));
  EXPECT_FALSE(engine.apply_cancelled);
  EXPECT_EQ(seen.shown.size(), 2u) << "a silent run shows nothing";
}

}  // namespace
}  // namespace qm
