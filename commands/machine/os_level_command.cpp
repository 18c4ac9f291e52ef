// Handler of "Get OS or SP Level": the Windows version's name or the service
// pack's number.

#include <string>

#include "commands/machine/windows_facts.h"
#include "engine/command_parameters.h"
#include "engine/engine.h"

namespace qm {

// "Get OS or SP Level" — field 1: bare variable (defined empty when missing);
// field 2, truth: the name of the Windows version ("NT4", "2000", "XP",
// "2003", "VISTA", "95", "98", "98SE", "ME", else "UNKNOWN") rather than the
// service pack level in decimal ("0" for none). Sets variable 1.
void get_os_or_sp_level_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard redirection(engine);
  const RegistryViewGuard view(engine);
  const std::string variable = bare_variable_field(engine, line, 1);
  if (!engine.variables.exists(variable)) set_or_define_result(engine, line, variable, "");
  const WindowsVersion version = windows_version();
  const bool name = truth_field(engine, line, 2);
  set_result(engine, line, variable, name ? windows_name(version) : std::to_string(version.service_pack));
}

}  // namespace qm
