#pragma once
// The progress the script publishes through PROGRESSTEXT and PROGRESS, shown
// on the current dialog. The interpreter publishes it before every line when
// it has changed; "Set Variable" at once when it writes either variable.

namespace qm {

struct Engine;

enum class ProgressPush {
  kWhenChanged,  // only when text or position differ from what was shown last
  kAlways,
};

// Shows PROGRESSTEXT with the integer value of PROGRESS (drawn within 0 to
// 100) on the current dialog, if there is one. Returns whether it was shown.
bool publish_progress(Engine& engine, ProgressPush push);

}  // namespace qm
