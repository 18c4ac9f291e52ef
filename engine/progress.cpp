#include "engine/progress.h"

#include "engine/engine.h"
#include "script/integer_text.h"

namespace qm {

void ProgressRecord::store(std::string_view text, std::int64_t minimum, std::int64_t maximum, std::int64_t position) {
  std::lock_guard guard(mutex_);
  store_locked(text, minimum, maximum, position);
}

void ProgressRecord::store_locked(std::string_view text, std::int64_t minimum, std::int64_t maximum,
                                  std::int64_t position) {
  if (text == kStoredProgress) return;
  if (position != kNumbersUnchanged) {
    state_.minimum = minimum;
    state_.maximum = maximum;
    state_.position = position;
  }
  if (text != kKeepProgressText) state_.text = text;
}

ProgressState ProgressRecord::stored() const {
  std::lock_guard guard(mutex_);
  return state_;
}

bool update_progress_display(Engine& engine, const ProgressState& progress, bool with_cancel) {
  std::lock_guard guard(engine.progress.lock());
  const ProgressState shown = progress.text == kStoredProgress ? engine.progress.state_ : progress;
  const bool cancel = engine.cancel_requested.load();
  if (with_cancel) engine.apply_cancelled = cancel;
  if (engine.silent()) return cancel;
  engine.user_interface->show_progress(engine, shown);
  return cancel;
}

bool publish_progress(Engine& engine, ProgressPush push) {
  if (push == ProgressPush::kWhenChanged && engine.current_window == nullptr) return false;
  // Nothing written yet is an empty bar; a value that is no number, a full one.
  const std::string value = engine.variables.get("PROGRESS");
  const std::int64_t position = value.empty() ? 0 : parse_integer_text_64(value).value_or(100);
  ProgressState now{engine.variables.get("PROGRESSTEXT"), 0, 100, position};
  if (push == ProgressPush::kWhenChanged && now == engine.last_progress) return false;
  engine.last_progress = now;
  engine.progress.store(now.text, now.minimum, now.maximum, now.position);
  update_progress_display(engine, now, false);
  return true;
}

}  // namespace qm
