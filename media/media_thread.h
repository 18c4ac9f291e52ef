#pragma once
// The frame every media thread runs in (download, extraction, offline copy,
// the script's own extraction): one job on a worker thread of its own while
// the interface thread waits for it, pumping messages unless the run is
// silent.
//
// The job's inputs are fixed before it starts (the job object owns copies of
// them); its outputs become visible to the waiting thread all at once, when
// the job has finished. Progress goes into the engine's progress record with
// the range 0 to 100. Cancelling is cooperative: once the user's cancel
// request is seen, the job's progress calls answer "stop". A watchdog, when
// given, kills a job that has not ended that long after the request.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

struct Engine;
class ProgressRecord;

// How long the download, extraction and copy threads get to end after the
// user's cancel request before they are killed.
inline constexpr unsigned kCancelWatchdogMs = 15000;

struct MediaOutcome {
  bool success = false;
  // The archive library could not open the archive: not an archive of its
  // kind, or the password is wrong (extraction threads only).
  bool cannot_open = false;
  // The archive library's error text, or what else ended the job.
  std::string error_text;
  // Set by the frame: the job was asked to stop (the user cancelled), and
  // whether the watchdog had to kill it.
  bool terminate_requested = false;
  bool killed = false;
};

// What a job sees of its thread. Thread-safe.
class MediaJobContext {
 public:
  MediaJobContext(ProgressRecord& progress, const std::atomic<bool>& stop) : progress_(progress), stop_(stop) {}

  bool stop_requested() const { return stop_.load(); }
  // Stores progress (range 0 to 100; the progress markers of
  // engine/progress.h work as there). Answers whether the job should go on.
  bool report(std::string_view text, std::int64_t position);

 private:
  ProgressRecord& progress_;
  const std::atomic<bool>& stop_;
};

// A job runs on the media thread and gives its outcome; an exception it
// throws is a failure whose text is the exception's.
using MediaJob = std::function<MediaOutcome(MediaJobContext&)>;

struct MediaThreadSettings {
  // Woken with an empty message when the job ends (the current dialog).
  void* owner_window = nullptr;
  // Kill the job this long after the cancel request was seen; none: only
  // ask it to stop.
  std::optional<unsigned> cancel_watchdog_ms;
  // Called on the waiting thread after each round of messages (at least
  // every 100 ms) in a run that is not silent.
  std::function<void()> on_idle;
};

// Runs the job and returns its outcome once it has ended (or was killed).
// The engine is busy meanwhile. Throws WindowsError when no thread can be
// started.
MediaOutcome run_media_thread(Engine& engine, MediaJob job, const MediaThreadSettings& settings);

}  // namespace qm
