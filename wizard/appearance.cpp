#include "wizard/appearance.h"

#include <cstdlib>

#include "script/ansi_text.h"
#include "script/integer_text.h"
#include "wizard/control.h"

namespace qm {

namespace {

struct NamedColour {
  std::string_view name;
  int system_index;  // -1: a fixed colour
  COLORREF fixed;
};

constexpr NamedColour kColours[] = {
    {"clBlack", -1, 0x000000},       {"clMaroon", -1, 0x000080},      {"clGreen", -1, 0x008000},
    {"clOlive", -1, 0x008080},       {"clNavy", -1, 0x800000},        {"clPurple", -1, 0x800080},
    {"clTeal", -1, 0x808000},        {"clGray", -1, 0x808080},        {"clSilver", -1, 0xC0C0C0},
    {"clRed", -1, 0x0000FF},         {"clLime", -1, 0x00FF00},        {"clYellow", -1, 0x00FFFF},
    {"clBlue", -1, 0xFF0000},        {"clFuchsia", -1, 0xFF00FF},     {"clAqua", -1, 0xFFFF00},
    {"clWhite", -1, 0xFFFFFF},       {"clMoneyGreen", -1, 0xC0DCC0},  {"clSkyBlue", -1, 0xF0CAA6},
    {"clCream", -1, 0xF0FBFF},       {"clMedGray", -1, 0xA4A0A0},
    {"clScrollBar", COLOR_SCROLLBAR, 0},           {"clBackground", COLOR_BACKGROUND, 0},
    {"clActiveCaption", COLOR_ACTIVECAPTION, 0},   {"clInactiveCaption", COLOR_INACTIVECAPTION, 0},
    {"clMenu", COLOR_MENU, 0},                     {"clWindow", COLOR_WINDOW, 0},
    {"clWindowFrame", COLOR_WINDOWFRAME, 0},       {"clMenuText", COLOR_MENUTEXT, 0},
    {"clWindowText", COLOR_WINDOWTEXT, 0},         {"clCaptionText", COLOR_CAPTIONTEXT, 0},
    {"clActiveBorder", COLOR_ACTIVEBORDER, 0},     {"clInactiveBorder", COLOR_INACTIVEBORDER, 0},
    {"clAppWorkSpace", COLOR_APPWORKSPACE, 0},     {"clHighlight", COLOR_HIGHLIGHT, 0},
    {"clHighlightText", COLOR_HIGHLIGHTTEXT, 0},   {"clBtnFace", COLOR_BTNFACE, 0},
    {"clBtnShadow", COLOR_BTNSHADOW, 0},           {"clGrayText", COLOR_GRAYTEXT, 0},
    {"clBtnText", COLOR_BTNTEXT, 0},               {"clInactiveCaptionText", COLOR_INACTIVECAPTIONTEXT, 0},
    {"clBtnHighlight", COLOR_BTNHIGHLIGHT, 0},     {"cl3DDkShadow", COLOR_3DDKSHADOW, 0},
    {"cl3DLight", COLOR_3DLIGHT, 0},               {"clInfoText", COLOR_INFOTEXT, 0},
    {"clInfoBk", COLOR_INFOBK, 0},                 {"clHotLight", COLOR_HOTLIGHT, 0},
};

constexpr std::int64_t kNoColour = 0x1FFFFFFF;       // clNone
constexpr std::int64_t kDefaultColour = 0x20000000;  // clDefault
constexpr std::uint32_t kSystemColourFlag = 0x80000000;

// "fsBold,fsItalic": the style set as the property gives it.
bool has_style(std::string_view styles, std::string_view style) {
  while (!styles.empty()) {
    const std::size_t comma = styles.find(',');
    std::string_view element = styles.substr(0, comma);
    while (!element.empty() && element.front() == ' ') element.remove_prefix(1);
    while (!element.empty() && element.back() == ' ') element.remove_suffix(1);
    if (ascii_equal_ignore_case(element, style)) return true;
    if (comma == std::string_view::npos) break;
    styles.remove_prefix(comma + 1);
  }
  return false;
}

}  // namespace

std::optional<COLORREF> colour_of(std::string_view text) {
  if (ascii_equal_ignore_case(text, "clNone") || ascii_equal_ignore_case(text, "clDefault")) return std::nullopt;
  for (const NamedColour& colour : kColours)
    if (ascii_equal_ignore_case(colour.name, text))
      return colour.system_index < 0 ? colour.fixed : GetSysColor(colour.system_index);
  const std::optional<std::int64_t> number = parse_integer_text_64(text);
  if (!number || *number == kNoColour || *number == kDefaultColour) return std::nullopt;
  const auto value = static_cast<std::uint32_t>(*number);
  if (value & kSystemColourFlag) return GetSysColor(static_cast<int>(value & 0xFF));
  return static_cast<COLORREF>(value & 0xFFFFFF);
}

platform::UniqueGdiObject font_for(const Control& control, HFONT parent_font, const platform::DpiScale& scale) {
  LOGFONTA font{};
  if (parent_font == nullptr || GetObjectA(parent_font, sizeof font, &font) == 0) {
    font.lfHeight = -MulDiv(8, scale.dpi(), 72);
    lstrcpynA(font.lfFaceName, "Tahoma", LF_FACESIZE);
  }
  const auto text = [&](const char* name) { return control.property_text(name).value_or(""); };
  if (const std::string face = text("Font.Name"); !face.empty()) lstrcpynA(font.lfFaceName, face.c_str(), LF_FACESIZE);
  // A height is in pixels of the design's 96 dpi; a size in points.
  if (const auto size = parse_integer_text(text("Font.Size")); size && *size > 0) {
    font.lfHeight = -MulDiv(*size, scale.dpi(), 72);
  } else if (const auto height = parse_integer_text(text("Font.Height")); height && *height != 0) {
    font.lfHeight = scale(*height);
  }
  if (control.property_text("Font.Style")) {
    const std::string styles = text("Font.Style");
    font.lfWeight = has_style(styles, "fsBold") ? FW_BOLD : FW_NORMAL;
    font.lfItalic = has_style(styles, "fsItalic");
    font.lfUnderline = has_style(styles, "fsUnderline");
    font.lfStrikeOut = has_style(styles, "fsStrikeOut");
  }
  return platform::UniqueGdiObject(CreateFontIndirectA(&font));
}

}  // namespace qm
