// Handler of the catalogue's row that takes the product's .NET assemblies
// out of the Framework's installer tool: "Remove Assemblies".

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "engine/program_thread.h"
#include "installer/database_edits.h"
#include "platform/framework_tools.h"

namespace qm {

// No fields. For version 2.0's installutil, then 1.1's: "/u name,Version=v"
// for every assembly the product's installer database lists. A database
// that cannot be read runs no tool.
void remove_assemblies_command(Engine& engine, const ScriptLine&) {
  const RedirectionGuard redirection(engine);
  for (const platform::FrameworkVersion version : platform::kFrameworkVersions)
    remove_assemblies(engine.windows_installer, engine.startup.installer_database,
                      platform::framework_tool_path(version, "installutil.exe"),
                      [&engine](const std::string& tool, const std::string& parameters) {
                        run_hidden_and_wait(engine, tool, parameters);
                      });
}

}  // namespace qm
