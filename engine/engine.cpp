#include "engine/engine.h"

#include "platform/tray_icon.h"

namespace qm {

Engine::Engine() = default;
Engine::~Engine() = default;

std::string Engine::caption() const {
  if (caption_title_only) return caption_title;
  const std::string wizard = std::string(kProductName) + " Wizard";
  if (!caption_title.empty()) return caption_title + " - " + wizard;
  return wizard;
}

}  // namespace qm
