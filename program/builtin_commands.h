#pragma once
// The handlers of the built-in commands, bound by name from the command
// catalogue (commands/catalogue.txt). The binding table is generated when the
// engine is built.

namespace qm {

class CommandCatalogue;

void bind_builtin_commands(CommandCatalogue& catalogue);

}  // namespace qm
