#include "engine/builtin_commands.h"

#include "commands/system/deferred_lines.h"
#include "engine/core_commands.h"

namespace qm {

void register_builtin_commands(CommandRegistry& registry) {
  register_core_commands(registry);
  register_deferred_commands(registry);
}

}  // namespace qm
