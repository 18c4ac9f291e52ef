// Handlers of the catalogue's rows that run the .NET Framework's own tools
// on an assembly: "Generate Native Images" (ngen), "Run .NET Installer
// Class" (installutil) and "Register Assembly" (regasm). Each runs the
// version 2.0 tool, then the version 1.1 tool, hidden, waiting for each; what
// the tools answer is not looked at, and a version that is not installed
// simply fails to start.

#include <functional>
#include <string>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "engine/program_thread.h"
#include "platform/framework_tools.h"

namespace qm {

namespace {

using platform::FrameworkVersion;

// The parameters of one tool run, made from the assembly field as it reads
// at that moment (the field is read again for each version).
using ToolParameters = std::function<std::string(FrameworkVersion version, const std::string& assembly)>;

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

void run_for_both_versions(Engine& engine, const ScriptLine& line, const std::string& tool,
                           const ToolParameters& parameters) {
  const RedirectionGuard redirection(engine);
  for (const FrameworkVersion version : platform::kFrameworkVersions) {
    const std::string assembly = expanded_field(engine, line, 1);
    run_hidden_and_wait(engine, platform::framework_tool_path(version, tool), parameters(version, assembly));
  }
}

}  // namespace

// Field 1: the assembly file. Version 2.0's ngen takes the path alone, 1.1's
// the action word "install" before it.
void generate_native_images_command(Engine& engine, const ScriptLine& line) {
  run_for_both_versions(engine, line, "ngen.exe", [](FrameworkVersion version, const std::string& assembly) {
    return version == FrameworkVersion::k2_0 ? quoted(assembly) : "install " + quoted(assembly);
  });
}

// Field 1: the assembly file; field 2: truth, install (else uninstall, "/u").
void run_dotnet_installer_class_command(Engine& engine, const ScriptLine& line) {
  const std::string action = truth_field(engine, line, 2) ? "" : "/u";
  run_for_both_versions(engine, line, "installutil.exe", [&action](FrameworkVersion, const std::string& assembly) {
    return action + " " + quoted(assembly);
  });
}

// Field 1: the assembly file, registered silently.
void register_assembly_command(Engine& engine, const ScriptLine& line) {
  run_for_both_versions(engine, line, "regasm.exe", [](FrameworkVersion, const std::string& assembly) {
    return quoted(assembly) + " /silent";
  });
}

}  // namespace qm
