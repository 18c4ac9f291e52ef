#pragma once
// How a control looks, from its published properties: colours as the
// designer writes them (clBtnFace, clWhite, $00FF8000) and fonts (Font.Name,
// Font.Size or Font.Height, Font.Style).

#include <windows.h>

#include <optional>
#include <string_view>

#include "platform/dialog_form.h"
#include "platform/unique_resource.h"

namespace qm {

class Control;

// The colour a text names; nothing for clNone and clDefault (no colour of its
// own) and for a text that is no colour.
std::optional<COLORREF> colour_of(std::string_view text);

// A font for `control` at `scale`: the parent's font changed by whatever the
// control's Font properties say.
platform::UniqueGdiObject font_for(const Control& control, HFONT parent_font, const platform::DpiScale& scale);

}  // namespace qm
