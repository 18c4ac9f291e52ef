#include "wizard/dialog_translation.h"

#include "engine/engine.h"
#include "script/ansi_text.h"

namespace qm {

std::optional<std::string> dialog_translation(const Engine& engine, std::string_view file_name,
                                              std::string_view control, std::string_view text) {
  if (!engine.translations.active() || control.empty()) return std::nullopt;
  const std::string wanted = std::string(file_name) + "|" + std::string(control);
  for (const std::string& entry : engine.translations.map) {
    const std::size_t equals = entry.find('=', entry.find('|'));
    if (equals == std::string::npos || !ascii_equal_ignore_case(std::string_view(entry).substr(0, equals), wanted))
      continue;
    return engine.translations.localize(text, std::string_view(entry).substr(equals + 1), 1,
                                        engine.package.build_constants);
  }
  return std::nullopt;
}

}  // namespace qm
