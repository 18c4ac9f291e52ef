#pragma once
// Script commands served by plug-in libraries shipped with the product.

namespace qm {

struct Engine;
struct ScriptLine;

// Finds the line's library (asking for the setup sources when it is not
// where the build put it), runs it on a worker thread with the whole variable
// store, and takes the store it gives back. A library that cannot be found is
// reported and the line skipped.
void run_plugin_command(Engine& engine, const ScriptLine& line);

inline constexpr const char* kPluginMissingMessage =
    "Unable to load plug-in library. Please rebuild your project and make sure all required plug-ins are "
    "installed.\r\rAction skipped";
inline constexpr const char* kLocateSourcesTitle = "Please locate your original setup sources to continue operation";
inline constexpr const char* kSourcesNotFound =
    "Original setup sources required to complete operation, sources not found";
inline constexpr const char* kGeneralSetupFailure = "General setup failure";

}  // namespace qm
