#pragma once
// The engine's own script commands: variables, expressions, labels and
// comments, conditionals and the wizard loop, jumps, and the ending commands.

namespace qm {

class CommandRegistry;
struct Engine;

void register_core_commands(CommandRegistry& registry);

// Shows PROGRESSTEXT and PROGRESS (0 to 100) on the current dialog, if any.
void refresh_progress_display(Engine& engine);

}  // namespace qm
