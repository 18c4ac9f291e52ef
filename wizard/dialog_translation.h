#pragma once
// Translated texts of a page's controls. The translation map names, for a
// page and a control, the key of the control's text in the translation
// tables, one line each: "welcome.dfm|Label1=KEY" (page file and control
// compared without regard to case). The text is then looked up like any
// other text of that key (its first text), so the localization mode holds
// for dialog texts too.

#include <optional>
#include <string>
#include <string_view>

namespace qm {

struct Engine;

// The translation of `text`, the text of `control` on the page `file_name`;
// nothing when the map has no entry for it or the tables keep the text.
std::optional<std::string> dialog_translation(const Engine& engine, std::string_view file_name,
                                              std::string_view control, std::string_view text);

}  // namespace qm
