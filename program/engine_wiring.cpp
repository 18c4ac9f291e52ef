#include "program/engine_wiring.h"

#include "commands/plugin/plugin_command.h"
#include "media/web_media_fetch.h"
#include "program/builtin_commands.h"
#include "wizard/wizard.h"

namespace qm {

void wire_engine(Engine& engine) {
  bind_builtin_commands(engine.commands);
  engine.commands.set_plugin_handler(plugin_line_command);
  engine.user_interface = make_wizard();
  engine.media = make_web_media_delivery();
  // The instance data puts its own interface here once it is built; until
  // then the engine's default serves.
}

std::unique_ptr<Engine> make_wired_engine() {
  auto engine = std::make_unique<Engine>();
  wire_engine(*engine);
  return engine;
}

}  // namespace qm
