#pragma once
// Script commands served by plug-in libraries shipped with the product.

namespace qm {

struct Engine;
struct ScriptLine;

// Finds the line's library (asking for the setup sources when it is not
// where the build put it), runs it on a worker thread with the whole variable
// store, and takes the store it gives back. A library that cannot be found is
// reported and the line skipped.
void plugin_line_command(Engine& engine, const ScriptLine& line);

inline constexpr const char* kPluginMissingMessage =
    "Unable to load plug-in library. Please rebuild your project and make sure all required plug-ins are "
    "installed.\r\rAction skipped";

}  // namespace qm
