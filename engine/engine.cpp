#include "engine/engine.h"

namespace qm {

std::string Engine::caption() const {
  if (caption_title_only) return caption_title;
  const std::string wizard = std::string(kProductName) + " Wizard";
  if (!caption_title.empty()) return caption_title + " - " + wizard;
  return wizard;
}

}  // namespace qm
