#pragma once

namespace qm {

class CommandRegistry;

// Registers the handlers of every built-in command family.
void register_builtin_commands(CommandRegistry& registry);

}  // namespace qm
