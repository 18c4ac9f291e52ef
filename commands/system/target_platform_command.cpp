// Handler of "Set 64 Bit Mode": the platform the script installs for.

#include "engine/engine.h"

namespace qm {

// "Set 64 Bit Mode" — fields 1, 2, 3, raw: exactly "TRUE" chooses Win32,
// ia64, x64 in that order, so the last such field wins; with none the target
// platform stays. Touches nothing else: the registry view and file-system
// guards of later commands follow the platform chosen here.
void set_64_bit_mode_command(Engine& engine, const ScriptLine& line) {
  constexpr TargetPlatform kPlatformOfField[] = {TargetPlatform::kWin32, TargetPlatform::kIa64, TargetPlatform::kX64};
  for (std::size_t field = 1; field <= std::size(kPlatformOfField); ++field)
    if (engine.field(line, field) == "TRUE") engine.target_platform = kPlatformOfField[field - 1];
}

}  // namespace qm
