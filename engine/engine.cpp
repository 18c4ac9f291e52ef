#include "engine/engine.h"

#include "platform/messages.h"
#include "platform/system_restart.h"

namespace qm {

Engine::Engine()
    : request_restart([](RestartKind) { platform::restart_windows(); }),
      process_messages([] { platform::process_pending_messages(); }),
      show_progress([](const ProgressValue&) {}) {}

std::string Engine::caption() const {
  if (caption_title_only) return caption_title;
  const std::string wizard = std::string(kProductName) + " Wizard";
  if (!caption_title.empty()) return caption_title + " - " + wizard;
  return wizard;
}

}  // namespace qm
