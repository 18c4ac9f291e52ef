// Handler of "Is MSI Setup Installed": whether Windows Installer knows a
// product as installed.

#include <string>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "platform/msi_library.h"

namespace qm {

// "Is MSI Setup Installed" — field 1 (normalized): the product code; field
// 2: bare variable (defined empty when missing). Sets variable 2 to "TRUE"
// when Windows Installer reports the product installed (for this user or
// the machine), "FALSE" for any other state, malformed codes included.
// msi.dll missing, or its function, is a run-time error.
void is_msi_setup_installed_command(Engine& engine, const ScriptLine& line) {
  const std::string variable = bare_variable_field(engine, line, 2);
  if (!engine.variables.exists(variable)) set_or_define_result(engine, line, variable, "");
  const INSTALLSTATE state = engine.windows_installer.query_product_state(normalized_field(engine, line, 1));
  engine.variables.set(variable, state == INSTALLSTATE_DEFAULT ? "TRUE" : "FALSE", "MsiQueryProductState");
}

}  // namespace qm
