#pragma once
// Progress: the record that worker threads and long operations store their
// progress in, and the display of it on the current dialog.
//
// The script publishes its own progress through PROGRESSTEXT and PROGRESS:
// "Set Variable" shows it at once, the interpreter before every line when it
// has changed. Workers (Windows Installer, media, programs) never touch a
// window: they store into the record, and the dialog's timer shows the
// record every second while the engine is busy.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace qm {

struct Engine;

// A text meaning "what the record holds": text and numbers both.
inline constexpr std::string_view kStoredProgress = "$VRAK$";
// A text meaning "change the numbers, keep the text".
inline constexpr std::string_view kKeepProgressText = "$IGNORE$";
// A position meaning "leave the numbers as they are".
inline constexpr std::int64_t kNumbersUnchanged = -1;

struct ProgressState {
  std::string text;
  std::int64_t minimum = 0;
  std::int64_t maximum = 100;
  std::int64_t position = 0;
  bool operator==(const ProgressState&) const = default;
};

// Shared between the interface thread and the workers. The display holds the
// lock while it updates the controls, so a worker's store waits for it.
class ProgressRecord {
 public:
  void store(std::string_view text, std::int64_t minimum, std::int64_t maximum, std::int64_t position);
  ProgressState stored() const;
  std::mutex& lock() const { return mutex_; }

 private:
  friend bool update_progress_display(Engine&, const ProgressState&, bool);
  void store_locked(std::string_view text, std::int64_t minimum, std::int64_t maximum, std::int64_t position);

  mutable std::mutex mutex_;
  ProgressState state_;
};

// Shows progress on the current dialog, under the progress lock: the stored
// record when the text is kStoredProgress. With `with_cancel` the cancel
// request is mirrored into the flag the Windows Installer worker reads.
// Returns whether the user asked to cancel. Interface thread only.
bool update_progress_display(Engine& engine, const ProgressState& progress, bool with_cancel);

// The engine is busy (the dialog's timer shows the progress record) for
// exactly as long as a worker runs, whatever ends the wait; a scope inside
// another leaves it busy.
class BusyScope {
 public:
  explicit BusyScope(std::atomic<bool>& busy) : busy_(busy), was_busy_(busy.exchange(true)) {}
  ~BusyScope() { busy_ = was_busy_; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  std::atomic<bool>& busy_;
  bool was_busy_;
};

enum class ProgressPush {
  kWhenChanged,  // only when a dialog is up and text or position differ from what was published last
  kAlways,
};

// Publishes PROGRESSTEXT with the integer value of PROGRESS (a value that is
// no number shows a full bar) on a 0 to 100 scale: stored in the record and
// shown. Returns whether it was published.
bool publish_progress(Engine& engine, ProgressPush push);

}  // namespace qm
