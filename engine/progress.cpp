#include "engine/progress.h"

#include <algorithm>

#include "engine/engine.h"
#include "script/integer_text.h"

namespace qm {

bool publish_progress(Engine& engine, ProgressPush push) {
  if (engine.current_window == nullptr) return false;
  ProgressValue now{engine.variables.get("PROGRESSTEXT"),
                    parse_integer_text(engine.variables.get("PROGRESS")).value_or(0)};
  if (push == ProgressPush::kWhenChanged && now == engine.last_progress) return false;
  // What was written is remembered, so that an out-of-range value is not
  // shown again on every line; the display gets it within its range.
  engine.last_progress = now;
  now.position = std::clamp(now.position, 0, 100);
  engine.user_interface->show_progress(now);
  return true;
}

}  // namespace qm
