#include "program/engine_wiring.h"

#include "commands/plugin/plugin_command.h"
#include "program/builtin_commands.h"

namespace qm {

void wire_engine(Engine& engine) {
  bind_builtin_commands(engine.commands);
  engine.commands.set_plugin_handler(plugin_line_command);
  // The wizard and the instance data put their own interfaces here once they
  // are built; until then the engine's defaults serve.
}

std::unique_ptr<Engine> make_wired_engine() {
  auto engine = std::make_unique<Engine>();
  wire_engine(*engine);
  return engine;
}

}  // namespace qm
