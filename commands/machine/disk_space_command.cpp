// Handler of "Check Disk Space": the size of a volume or its free space.

#include <windows.h>

#include <string>

#include "engine/command_parameters.h"
#include "engine/engine.h"

namespace qm {

// "Check Disk Space" — field 1: $NAME$ or NAME of the result variable
// (defined when missing); field 2 (normalized): a path on the volume; field
// 3, truth: the free space the user may fill rather than the volume's total
// size. Writes the number of bytes in decimal, "0" when Windows cannot tell
// (no such drive, no medium).
void check_disk_space_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard redirection(engine);
  const std::string variable = variable_reference_field(engine, line, 1);
  if (!engine.variables.exists(variable)) set_or_define_result(engine, line, variable, "");
  const std::string path = normalized_field(engine, line, 2);
  ULARGE_INTEGER available = {};
  ULARGE_INTEGER total = {};
  // No error box for a drive without a medium: the answer is simply "0".
  const UINT old_mode = SetErrorMode(SEM_FAILCRITICALERRORS);
  if (!GetDiskFreeSpaceExA(path.c_str(), &available, &total, nullptr)) available.QuadPart = total.QuadPart = 0;
  SetErrorMode(old_mode);
  set_result(engine, line, variable, std::to_string(truth_field(engine, line, 3) ? available.QuadPart : total.QuadPart));
}

}  // namespace qm
