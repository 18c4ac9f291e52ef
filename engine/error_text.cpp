#include "engine/error_text.h"

#include "engine/engine.h"
#include "script/script_error.h"

namespace qm {

std::string user_text_of(Engine& engine, const std::exception& error) {
  if (dynamic_cast<const SetupError*>(&error) != nullptr) return error.what();
  engine.trace.write(std::string("    Internal error: ") + error.what());
  return engine.messages.text(message::kGeneralSetupFailure);
}

}  // namespace qm
