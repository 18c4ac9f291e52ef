#include "wizard/drawn_controls.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "script/ansi_text.h"
#include "script/integer_text.h"
#include "wizard/appearance.h"
#include "wizard/published_properties.h"

namespace qm {

namespace {

using K = PropertyKind;

bool is(std::string_view property, std::string_view name) { return ascii_equal_ignore_case(property, name); }

COLORREF colour_or(std::string_view text, COLORREF fallback) { return colour_of(text).value_or(fallback); }

RECT inset(RECT area, int by) {
  InflateRect(&area, -by, -by);
  return area;
}

// --- gauge

enum class GaugeKind { horizontal_bar, vertical_bar, pie, needle, text };

GaugeKind gauge_kind(std::string_view name) {
  if (is(name, "gkVerticalBar")) return GaugeKind::vertical_bar;
  if (is(name, "gkPie")) return GaugeKind::pie;
  if (is(name, "gkNeedle")) return GaugeKind::needle;
  if (is(name, "gkText")) return GaugeKind::text;
  return GaugeKind::horizontal_bar;
}

void fill(HDC dc, const RECT& area, COLORREF colour) {
  const platform::UniqueGdiObject brush(CreateSolidBrush(colour));
  FillRect(dc, &area, static_cast<HBRUSH>(brush.get()));
}

// --- shape

enum class ShapeKind { rectangle, square, round_rectangle, round_square, ellipse, circle };

ShapeKind shape_kind(std::string_view name) {
  if (is(name, "stSquare")) return ShapeKind::square;
  if (is(name, "stRoundRect")) return ShapeKind::round_rectangle;
  if (is(name, "stRoundSquare")) return ShapeKind::round_square;
  if (is(name, "stEllipse")) return ShapeKind::ellipse;
  if (is(name, "stCircle")) return ShapeKind::circle;
  return ShapeKind::rectangle;
}

int pen_style(std::string_view name) {
  if (is(name, "psDash")) return PS_DASH;
  if (is(name, "psDot")) return PS_DOT;
  if (is(name, "psDashDot")) return PS_DASHDOT;
  if (is(name, "psDashDotDot")) return PS_DASHDOTDOT;
  if (is(name, "psClear")) return PS_NULL;
  if (is(name, "psInsideFrame")) return PS_INSIDEFRAME;
  return PS_SOLID;
}

// A brush of the designer's style; null for bsClear (nothing filled).
platform::UniqueGdiObject shape_brush(std::string_view style, COLORREF colour) {
  struct Hatch {
    std::string_view name;
    int hatch;
  };
  static constexpr Hatch kHatches[] = {{"bsHorizontal", HS_HORIZONTAL}, {"bsVertical", HS_VERTICAL},
                                       {"bsFDiagonal", HS_FDIAGONAL},   {"bsBDiagonal", HS_BDIAGONAL},
                                       {"bsCross", HS_CROSS},           {"bsDiagCross", HS_DIAGCROSS}};
  if (is(style, "bsClear")) return {};
  for (const Hatch& hatch : kHatches)
    if (is(style, hatch.name)) return platform::UniqueGdiObject(CreateHatchBrush(hatch.hatch, colour));
  return platform::UniqueGdiObject(CreateSolidBrush(colour));
}

// --- buttons

// Where a glyph and a caption go in a button: side by side or one above the
// other (Layout), from the margin or centred (Margin -1), Spacing apart.
struct ButtonLayout {
  RECT glyph;
  RECT caption;
};

ButtonLayout lay_out_button(const RECT& client, SIZE glyph, SIZE caption, std::string_view layout, int margin,
                            int spacing) {
  const bool vertical = is(layout, "blGlyphTop") || is(layout, "blGlyphBottom");
  const bool glyph_last = is(layout, "blGlyphRight") || is(layout, "blGlyphBottom");
  const bool both = glyph.cx > 0 && caption.cx > 0;
  const int gap = both ? std::max(spacing, 0) : 0;
  const int along = vertical ? client.bottom - client.top : client.right - client.left;
  const int across = vertical ? client.right - client.left : client.bottom - client.top;
  const int glyph_along = vertical ? glyph.cy : glyph.cx;
  const int caption_along = vertical ? caption.cy : caption.cx;
  const int total = glyph_along + gap + caption_along;
  int start = margin >= 0 ? margin : (along - total) / 2;
  if (glyph_last && margin >= 0) start = along - margin - total;
  const int glyph_start = glyph_last ? start + caption_along + gap : start;
  const int caption_start = glyph_last ? start : start + glyph_along + gap;
  const auto place = [&](int position, SIZE size) {
    const int size_along = vertical ? size.cy : size.cx;
    const int size_across = vertical ? size.cx : size.cy;
    const int offset = (across - size_across) / 2;
    RECT area = vertical ? RECT{offset, position, offset + size_across, position + size_along}
                         : RECT{position, offset, position + size_along, offset + size_across};
    OffsetRect(&area, client.left, client.top);
    return area;
  };
  return {place(glyph_start, glyph), place(caption_start, caption)};
}

SIZE caption_size(HDC dc, const std::string& caption) {
  if (caption.empty()) return {0, 0};
  RECT measured{0, 0, 0, 0};
  DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &measured, DT_CALCRECT | DT_SINGLELINE);
  return {measured.right - measured.left, measured.bottom - measured.top};
}

void draw_caption(HDC dc, const std::string& caption, RECT area, bool enabled) {
  if (caption.empty()) return;
  if (!enabled) {
    // Disabled text is embossed, as Windows draws it on buttons.
    const COLORREF original = SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    RECT shadow = area;
    OffsetRect(&shadow, 1, 1);
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &shadow, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &area, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    SetTextColor(dc, original);
    return;
  }
  DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &area, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

// The part of the picture Bitmaps.<name>.Data names, upper-cased; empty for
// another property.
std::string bitmap_name(std::string_view property) {
  constexpr std::string_view kPrefix = "Bitmaps.";
  constexpr std::string_view kSuffix = ".Data";
  if (property.size() <= kPrefix.size() + kSuffix.size()) return {};
  if (!is(property.substr(0, kPrefix.size()), kPrefix)) return {};
  if (!is(property.substr(property.size() - kSuffix.size()), kSuffix)) return {};
  return ansi_upper(std::string(property.substr(kPrefix.size(), property.size() - kPrefix.size() - kSuffix.size())));
}

// --- form shape

// The region of a picture's opaque pixels, each pixel `scale` wide, made of
// one rectangle per run of opaque pixels in a row.
platform::UniqueGdiObject opaque_region(const platform::Picture& picture, const platform::DpiScale& scale, POINT origin) {
  std::vector<RECT> runs;
  for (int y = 0; y < picture.height; ++y) {
    const std::uint8_t* row = picture.pixels.data() + static_cast<std::size_t>(y) * picture.width * 4;
    int x = 0;
    while (x < picture.width) {
      while (x < picture.width && row[x * 4 + 3] < 128) ++x;
      const int start = x;
      while (x < picture.width && row[x * 4 + 3] >= 128) ++x;
      if (x > start)
        runs.push_back({origin.x + scale(start), origin.y + scale(y), origin.x + scale(x), origin.y + scale(y + 1)});
    }
  }
  if (runs.empty()) return {};
  std::vector<std::uint8_t> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
  header->dwSize = sizeof(RGNDATAHEADER);
  header->iType = RDH_RECTANGLES;
  header->nCount = static_cast<DWORD>(runs.size());
  header->nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
  header->rcBound = {origin.x, origin.y, origin.x + scale(picture.width), origin.y + scale(picture.height)};
  std::copy(runs.begin(), runs.end(), reinterpret_cast<RECT*>(data.data() + sizeof(RGNDATAHEADER)));
  return platform::UniqueGdiObject(
      ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<const RGNDATA*>(data.data())));
}

// --- the classes

template <typename ControlType>
std::function<std::unique_ptr<Control>(const ControlClass&)> maker() {
  return [](const ControlClass& control_class) { return std::make_unique<ControlType>(control_class); };
}

const ControlClass& gauge_class() {
  static const ControlClass c{"TGauge", nullptr,
                              joined({&control_properties(), &appearance_properties()},
                                     {{"MinValue", K::kInteger, "0"},
                                      {"MaxValue", K::kInteger, "100"},
                                      {"Progress", K::kInteger, "0"},
                                      {"Kind", K::kIdentifier, "gkHorizontalBar"},
                                      {"ShowText", K::kBoolean, "True"},
                                      {"ForeColor", K::kIdentifier, "clBlack"},
                                      {"BackColor", K::kIdentifier, "clWhite"},
                                      {"BorderStyle", K::kIdentifier, "bsSingle"}}),
                              maker<GaugeControl>()};
  return c;
}

const ControlClass& shape_class() {
  static const ControlClass c{"TShape", nullptr,
                              joined({&control_properties()},
                                     {{"Shape", K::kIdentifier, "stRectangle"},
                                      {"Brush", K::kObject},
                                      {"Pen", K::kObject},
                                      {"ParentColor", K::kBoolean, "True"},
                                      {"Color", K::kIdentifier, "clBtnFace"}}),
                              maker<ShapeControl>()};
  return c;
}

std::vector<PropertyDefinition> button_properties(std::initializer_list<PropertyDefinition> own) {
  std::vector<PropertyDefinition> all =
      joined({&control_properties(), &appearance_properties()},
             {{"Caption", K::kText},
              {"Action", K::kIdentifier},
              {"AllowAllUp", K::kBoolean, "False"},
              {"Down", K::kBoolean, "False"},
              {"GroupIndex", K::kInteger, "0"},
              {"Layout", K::kIdentifier, "blGlyphLeft"},
              {"Margin", K::kInteger, "-1"},
              {"Spacing", K::kInteger, "4"},
              {"Transparent", K::kBoolean, "True"},
              {"ImageIndex", K::kInteger},
              {"Images", K::kIdentifier}});
  all.insert(all.end(), own.begin(), own.end());
  return all;
}

const ControlClass& speed_button_class() {
  static const ControlClass c{"TSpeedButton", nullptr,
                              button_properties({{"Glyph", K::kObject},
                                                 {"NumGlyphs", K::kInteger, "1"},
                                                 {"Flat", K::kBoolean, "False"},
                                                 {"HotImageIndex", K::kInteger},
                                                 {"PressedImageIndex", K::kInteger},
                                                 {"DisabledImageIndex", K::kInteger},
                                                 {"SelectedImageIndex", K::kInteger}}),
                              maker<SpeedButtonControl>()};
  return c;
}

const ControlClass& bitmap_button_class() {
  static const ControlClass c{"TRzBmpButton", nullptr,
                              [] {
                                std::vector<PropertyDefinition> all =
                                    button_properties({{"Bitmaps", K::kObject},
                                                       {"ButtonSize", K::kObject},
                                                       {"Cancel", K::kBoolean, "False"},
                                                       {"Default", K::kBoolean, "False"},
                                                       {"ModalResult", K::kIdentifier, "mrNone"},
                                                       {"HighlightColor", K::kIdentifier},
                                                       {"HotTrack", K::kBoolean, "True"},
                                                       {"ShowFocusRect", K::kBoolean, "True"},
                                                       {"UseHotBitmap", K::kBoolean}});
                                const std::vector<PropertyDefinition>& windowed = windowed_properties();
                                all.insert(all.end(), windowed.begin(), windowed.end());
                                return all;
                              }(),
                              maker<BitmapButtonControl>()};
  return c;
}

const ControlClass& form_shape_class() {
  static const ControlClass c{"TRzFormShape", nullptr,
                              joined({&control_properties()},
                                     {{"Picture", K::kObject},
                                      {"AutoSize", K::kBoolean, "False"},
                                      {"Center", K::kBoolean, "False"},
                                      {"IncrementalDisplay", K::kBoolean, "False"},
                                      {"Proportional", K::kBoolean, "False"},
                                      {"Stretch", K::kBoolean, "False"},
                                      {"Transparent", K::kBoolean, "False"},
                                      {"ParentColor", K::kBoolean, "True"},
                                      {"Color", K::kIdentifier, "clBtnFace"}}),
                              maker<FormShapeControl>()};
  return c;
}

}  // namespace

std::vector<const ControlClass*> drawn_control_classes() {
  return {&speed_button_class(), &shape_class(), &gauge_class(), &form_shape_class(), &bitmap_button_class()};
}

// --- GaugeControl

std::int64_t GaugeControl::number(const char* property, std::int64_t fallback) const {
  return parse_integer_text(stored(property)).value_or(static_cast<std::int32_t>(fallback));
}

int GaugeControl::percent_done() const {
  const std::int64_t minimum = number("MinValue", 0);
  const std::int64_t maximum = number("MaxValue", 100);
  if (maximum <= minimum) return 0;
  const std::int64_t progress = std::clamp(number("Progress", 0), minimum, maximum);
  return static_cast<int>((progress - minimum) * 100 / (maximum - minimum));
}

void GaugeControl::set_values(std::int32_t minimum, std::int32_t maximum, std::int32_t progress) {
  store("MinValue", std::to_string(minimum));
  store("MaxValue", std::to_string(maximum));
  store("Progress", std::to_string(progress));
  redraw();
}

void GaugeControl::show_progress(std::int64_t minimum, std::int64_t maximum, std::int64_t position) {
  constexpr std::int64_t kLargest = std::numeric_limits<std::int32_t>::max();
  while (maximum > kLargest || minimum < -kLargest - 1 || position > kLargest || position < -kLargest - 1) {
    minimum /= 1024;
    maximum /= 1024;
    position /= 1024;
  }
  set_values(static_cast<std::int32_t>(minimum), static_cast<std::int32_t>(maximum),
             static_cast<std::int32_t>(position));
}

void GaugeControl::paint(HDC dc, const RECT& client) {
  const GaugeKind kind = gauge_kind(stored("Kind"));
  const COLORREF fore = colour_or(stored("ForeColor"), RGB(0, 0, 0));
  const COLORREF back = colour_or(stored("BackColor"), RGB(255, 255, 255));
  const bool border = !is(stored("BorderStyle"), "bsNone");
  const int percent = percent_done();
  RECT inner = client;
  if (border) {
    const platform::UniqueGdiObject frame(CreateSolidBrush(GetSysColor(COLOR_WINDOWFRAME)));
    FrameRect(dc, &client, static_cast<HBRUSH>(frame.get()));
    inner = inset(client, 1);
  }
  const int width = inner.right - inner.left;
  const int height = inner.bottom - inner.top;
  switch (kind) {
    case GaugeKind::horizontal_bar:
    case GaugeKind::vertical_bar: {
      fill(dc, inner, back);
      RECT filled = inner;
      if (kind == GaugeKind::horizontal_bar) filled.right = inner.left + MulDiv(width, percent, 100);
      else filled.top = inner.bottom - MulDiv(height, percent, 100);
      fill(dc, filled, fore);
      paint_text(dc, inner, &filled, back);
      return;
    }
    case GaugeKind::text:
      fill(dc, inner, back);
      paint_text(dc, inner, nullptr, back);
      return;
    case GaugeKind::pie:
    case GaugeKind::needle:
      break;
  }
  const platform::UniqueGdiObject back_brush(CreateSolidBrush(back));
  const platform::UniqueGdiObject fore_brush(CreateSolidBrush(fore));
  const platform::UniqueGdiObject pen(CreatePen(PS_SOLID, 1, fore));
  const HGDIOBJ original_pen = SelectObject(dc, pen.get());
  const HGDIOBJ original_brush = SelectObject(dc, back_brush.get());
  const double centre_x = (inner.left + inner.right) / 2.0;
  if (kind == GaugeKind::pie) {
    Ellipse(dc, inner.left, inner.top, inner.right, inner.bottom);
    const double centre_y = (inner.top + inner.bottom) / 2.0;
    SelectObject(dc, fore_brush.get());
    if (percent >= 100) {
      Ellipse(dc, inner.left, inner.top, inner.right, inner.bottom);
    } else if (percent > 0) {
      // Clockwise from twelve o'clock.
      const double angle = std::numbers::pi / 2 - 2 * std::numbers::pi * percent / 100.0;
      const int end_x = static_cast<int>(std::lround(centre_x + width * std::cos(angle)));
      const int end_y = static_cast<int>(std::lround(centre_y - height * std::sin(angle)));
      SetArcDirection(dc, AD_CLOCKWISE);
      Pie(dc, inner.left, inner.top, inner.right, inner.bottom, static_cast<int>(centre_x), inner.top - height, end_x,
          end_y);
      SetArcDirection(dc, AD_COUNTERCLOCKWISE);
    }
  } else {
    // A half dial standing on the bottom edge; the needle turns from the
    // left (0 %) to the right (100 %).
    const int radius_y = height;
    Pie(dc, inner.left, inner.top, inner.right, inner.bottom + radius_y, inner.right, inner.bottom, inner.left,
        inner.bottom);
    const double angle = std::numbers::pi * (1.0 - percent / 100.0);
    const int tip_x = static_cast<int>(std::lround(centre_x + (width / 2.0 - 2) * std::cos(angle)));
    const int tip_y = static_cast<int>(std::lround(inner.bottom - (radius_y - 2) * std::sin(angle)));
    MoveToEx(dc, static_cast<int>(centre_x), inner.bottom - 1, nullptr);
    LineTo(dc, tip_x, tip_y);
  }
  SelectObject(dc, original_brush);
  SelectObject(dc, original_pen);
  paint_text(dc, inner, nullptr, back);
}

// The percentage in the middle; over the filled part of a bar it takes the
// background colour, so that it reads on both parts.
void GaugeControl::paint_text(HDC dc, const RECT& area, const RECT* filled, COLORREF back_colour) const {
  if (stored("ShowText") == "False") return;
  const std::string text = std::to_string(percent_done()) + "%";
  RECT place = area;
  const UINT format = DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX;
  const int saved = SaveDC(dc);
  if (filled != nullptr) ExcludeClipRect(dc, filled->left, filled->top, filled->right, filled->bottom);
  SetTextColor(dc, text_colour());
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &place, format);
  RestoreDC(dc, saved);
  if (filled == nullptr || IsRectEmpty(filled)) return;
  const int saved_again = SaveDC(dc);
  IntersectClipRect(dc, filled->left, filled->top, filled->right, filled->bottom);
  SetTextColor(dc, back_colour);
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &place, format);
  RestoreDC(dc, saved_again);
}

// --- ShapeControl

ShapeControl::ShapeControl(const ControlClass& control_class) : DrawnControl(control_class) {
  // The pen and the brush read back as the designer gives them unset.
  store("Brush.Color", "clWhite");
  store("Brush.Style", "bsSolid");
  store("Pen.Color", "clBlack");
  store("Pen.Mode", "pmCopy");
  store("Pen.Style", "psSolid");
  store("Pen.Width", "1");
}

void ShapeControl::paint(HDC dc, const RECT& client) {
  const int design_pen = std::max(0, parse_integer_text(stored("Pen.Width")).value_or(1));
  const int pen_width = design_pen == 0 ? 0 : std::max(1, scale()(design_pen));
  const int style = pen_style(stored("Pen.Style"));
  const platform::UniqueGdiObject pen(style == PS_NULL ? nullptr
                                                       : CreatePen(style, pen_width, colour_or(stored("Pen.Color"), 0)));
  const platform::UniqueGdiObject brush =
      shape_brush(stored("Brush.Style"), colour_or(stored("Brush.Color"), RGB(255, 255, 255)));
  const HGDIOBJ original_pen = SelectObject(dc, pen ? pen.get() : GetStockObject(NULL_PEN));
  const HGDIOBJ original_brush = SelectObject(dc, brush ? brush.get() : GetStockObject(NULL_BRUSH));
  // As the designer draws it: the pen's middle runs half a pen inside the
  // edge; squares and circles take the shorter side, centred.
  int x = pen_width / 2;
  int y = x;
  int width = client.right - pen_width + 1;
  int height = client.bottom - pen_width + 1;
  if (pen_width == 0 || style == PS_NULL) {
    --width;
    --height;
  }
  const int side = std::min(width, height);
  const ShapeKind kind = shape_kind(stored("Shape"));
  if (kind == ShapeKind::square || kind == ShapeKind::round_square || kind == ShapeKind::circle) {
    x += (width - side) / 2;
    y += (height - side) / 2;
    width = side;
    height = side;
  }
  switch (kind) {
    case ShapeKind::rectangle:
    case ShapeKind::square:
      Rectangle(dc, x, y, x + width, y + height);
      break;
    case ShapeKind::round_rectangle:
    case ShapeKind::round_square:
      RoundRect(dc, x, y, x + width, y + height, side / 4, side / 4);
      break;
    case ShapeKind::ellipse:
    case ShapeKind::circle:
      Ellipse(dc, x, y, x + width, y + height);
      break;
  }
  SelectObject(dc, original_brush);
  SelectObject(dc, original_pen);
}

std::optional<LRESULT> ShapeControl::handle(UINT message, WPARAM, LPARAM lparam) {
  int key = 0;
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // The release belongs to the shape even when it happens beside it.
      SetCapture(window());
      return 0;
    case WM_LBUTTONUP: key = VK_LBUTTON; break;
    case WM_RBUTTONUP: key = VK_RBUTTON; break;
    case WM_MBUTTONUP: key = VK_MBUTTON; break;
    default: return std::nullopt;
  }
  if (GetCapture() == window()) ReleaseCapture();
  EventDetails details;
  details.point = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  details.key = key;
  raise(ControlEvent::kMouseUp, details);
  return 0;
}

// --- PressableControl

int PressableControl::group() const { return parse_integer_text(stored("GroupIndex")).value_or(0); }

HWND PressableControl::make_window(HWND parent, const RECT& bounds) {
  down_ = group() != 0 && stored("Down") == "True";
  return DrawnControl::make_window(parent, bounds);
}

void PressableControl::apply(std::string_view property) {
  if (is(property, "Down")) {
    set_down(stored("Down") == "True");
    store("Down", down_ ? "True" : "False");
  } else if (is(property, "GroupIndex") && group() == 0) {
    down_ = false;
  }
  DrawnControl::apply(property);
}

std::optional<std::string> PressableControl::live_text(std::string_view property) const {
  if (is(property, "Down")) return std::string(down_ ? "True" : "False");
  return std::nullopt;
}

void PressableControl::set_down(bool down) {
  if (group() == 0) down = false;
  if (down == down_) return;
  if (down_ && stored("AllowAllUp") != "True") return;
  down_ = down;
  if (down_) release_group_neighbours();
  redraw();
}

void PressableControl::release_group_neighbours() {
  if (parent() == nullptr) return;
  for (const std::unique_ptr<Control>& sibling : parent()->children()) {
    auto* neighbour = dynamic_cast<PressableControl*>(sibling.get());
    if (neighbour == nullptr || neighbour == this || neighbour->class_name() != class_name() ||
        neighbour->group() != group() || !neighbour->down_)
      continue;
    neighbour->down_ = false;
    neighbour->store("Down", "False");
    neighbour->redraw();
  }
}

void PressableControl::click() {
  if (group() != 0) set_down(!down_);
  store("Down", down_ ? "True" : "False");
  if (window() != nullptr) notify_clicked();
  else raise(ControlEvent::kClick);
}

void PressableControl::notify(UINT code, LPARAM) {
  if (code == BN_CLICKED) raise(ControlEvent::kClick);
}

void PressableControl::set_space_pressed(bool pressed) {
  space_pressed_ = pressed;
  redraw();
}

std::optional<LRESULT> PressableControl::handle(UINT message, WPARAM, LPARAM lparam) {
  HWND self = window();
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (takes_focus() && GetFocus() != self) SetFocus(self);
      SetCapture(self);
      pressing_ = true;
      inside_ = true;
      redraw();
      return 0;
    case WM_MOUSEMOVE:
      if (pressing_) {
        RECT client{};
        GetClientRect(self, &client);
        const bool inside = PtInRect(&client, {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}) != FALSE;
        if (inside != inside_) {
          inside_ = inside;
          redraw();
        }
      }
      return std::nullopt;  // hot tracking goes on
    case WM_LBUTTONUP: {
      if (!pressing_) return 0;
      const bool clicked = inside_;
      pressing_ = false;
      if (GetCapture() == self) ReleaseCapture();
      redraw();
      if (clicked) click();
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (pressing_) {
        pressing_ = false;
        redraw();
      }
      return 0;
    case BM_CLICK:
      // As for Windows' buttons: a disabled one is not clicked.
      if (IsWindowEnabled(self)) click();
      return 0;
    case BM_GETSTATE:
      return (shows_pressed() ? BST_PUSHED : 0) | (down_ ? BST_CHECKED : 0) | (GetFocus() == self ? BST_FOCUS : 0);
    default:
      return std::nullopt;
  }
}

// --- SpeedButtonControl

void SpeedButtonControl::assign_binary(std::string_view property, const std::vector<std::uint8_t>& bytes) {
  if (!is(property, "Glyph.Data")) return;
  glyph_ = DrawnPicture(picture_of_property_data(bytes));
  // The designer's glyphs show through where they have the colour of their
  // bottom-left pixel.
  if (const std::optional<COLORREF> key = glyph_.corner_colour()) glyph_.make_colour_transparent(*key);
}

void SpeedButtonControl::paint(HDC dc, const RECT& client) {
  const bool enabled = IsWindowEnabled(window()) != FALSE;
  const bool pressed = shows_pressed();
  const bool flat = stored("Flat") == "True";
  FaceState state = FaceState::normal;
  if (!enabled) state = FaceState::disabled;
  else if (pressed) state = FaceState::pressed;
  else if (hot()) state = FaceState::hot;
  // A flat button shows its edge only when the mouse is over it or it is down.
  draw_button_face(window(), dc, client, state, flat);

  // Glyph images side by side: up, disabled, pressed, stay down.
  const int count = std::clamp(parse_integer_text(stored("NumGlyphs")).value_or(1), 1, 4);
  int image = 0;
  if (!enabled && count >= 2) image = 1;
  else if (enabled && down() && count >= 4) image = 3;
  else if (enabled && pressed && count >= 3) image = 2;
  const int image_width = glyph_.width() / count;
  const SIZE glyph_size = glyph_.has_picture() && image_width > 0 ? SIZE{scale()(image_width), scale()(glyph_.height())}
                                                                   : SIZE{0, 0};
  const std::string caption = stored("Caption");
  const ButtonLayout layout =
      lay_out_button(inset(client, 2), glyph_size, caption_size(dc, caption), stored("Layout"),
                     parse_integer_text(stored("Margin")).value_or(-1), parse_integer_text(stored("Spacing")).value_or(4));
  const int shift = pressed ? 1 : 0;
  if (glyph_size.cx > 0) {
    RECT target = layout.glyph;
    OffsetRect(&target, shift, shift);
    // Without an image of its own, a disabled glyph shows faded.
    const BYTE opacity = !enabled && count < 2 ? 96 : 255;
    glyph_.draw(dc, target, {image * image_width, 0, (image + 1) * image_width, glyph_.height()}, opacity);
  }
  RECT caption_area = layout.caption;
  OffsetRect(&caption_area, shift, shift);
  draw_caption(dc, caption, caption_area, enabled);
}

// --- BitmapButtonControl

bool BitmapButtonControl::has_bitmap(std::string_view name) const {
  const auto found = bitmaps_.find(ansi_upper(std::string(name)));
  return found != bitmaps_.end() && found->second.has_picture();
}

void BitmapButtonControl::assign_binary(std::string_view property, const std::vector<std::uint8_t>& bytes) {
  const std::string name = bitmap_name(property);
  if (name.empty()) return;
  bitmaps_[name] = DrawnPicture(picture_of_property_data(bytes));
  apply_transparent_colour();
}

// Bitmaps.TransparentColor, when given, is the colour that shows the page
// through the bitmaps.
void BitmapButtonControl::apply_transparent_colour() {
  const std::optional<COLORREF> colour = colour_of(stored("Bitmaps.TransparentColor"));
  if (!colour) return;
  for (auto& [name, picture] : bitmaps_) picture.make_colour_transparent(*colour);
}

DrawnPicture* BitmapButtonControl::bitmap(const std::string& name) {
  const auto found = bitmaps_.find(name);
  return found != bitmaps_.end() && found->second.has_picture() ? &found->second : nullptr;
}

DWORD BitmapButtonControl::window_style() const { return stored("TabStop") == "False" ? 0 : WS_TABSTOP; }

HWND BitmapButtonControl::make_window(HWND parent, const RECT& bounds) {
  // The colour may come after the bitmaps in the definition.
  apply_transparent_colour();
  return PressableControl::make_window(parent, bounds);
}

void BitmapButtonControl::paint(HDC dc, const RECT& client) {
  const bool enabled = IsWindowEnabled(window()) != FALSE;
  const bool pressed = shows_pressed();
  DrawnPicture* up = bitmap("UP");
  DrawnPicture* shown = up;
  BYTE opacity = 255;
  int shift = 0;
  if (!enabled) {
    shown = bitmap("DISABLED");
    if (shown == nullptr) {
      shown = up;
      opacity = 128;
    }
  } else if (pressed) {
    shown = bitmap("DOWN");
    if (shown == nullptr) {
      shown = up;
      shift = 1;
    }
  } else if (hot() && stored("HotTrack") != "False") {
    if (DrawnPicture* hot_bitmap = bitmap("HOT")) shown = hot_bitmap;
  }
  if (shown != nullptr) {
    RECT target{shift, shift, shift + scale()(shown->width()), shift + scale()(shown->height())};
    shown->draw(dc, target, {0, 0, shown->width(), shown->height()}, opacity);
  } else {
    FaceState state = FaceState::normal;
    if (!enabled) state = FaceState::disabled;
    else if (pressed) state = FaceState::pressed;
    else if (hot()) state = FaceState::hot;
    draw_button_face(window(), dc, client, state, false);
    if (pressed) shift = 1;
  }
  RECT caption_area = client;
  OffsetRect(&caption_area, shift, shift);
  draw_caption(dc, stored("Caption"), caption_area, enabled);
  if (GetFocus() == window() && stored("ShowFocusRect") != "False") {
    RECT focus = inset(client, 3);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &focus);
  }
}

std::optional<LRESULT> BitmapButtonControl::handle(UINT message, WPARAM wparam, LPARAM lparam) {
  HWND self = window();
  switch (message) {
    case WM_GETDLGCODE:
      // A button to the dialog manager: Enter on it, when it has the focus,
      // comes back as its click.
      return DLGC_BUTTON | (GetFocus() == self ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case WM_SETFOCUS:
      redraw();
      return 0;
    case WM_KILLFOCUS:
      set_space_pressed(false);
      return 0;
    case WM_KEYDOWN:
      if (wparam == VK_SPACE) {
        if ((lparam & (1 << 30)) == 0) set_space_pressed(true);  // not the key's repeat
        return 0;
      }
      if (wparam == VK_RETURN) {
        click();
        return 0;
      }
      return std::nullopt;
    case WM_KEYUP:
      if (wparam == VK_SPACE && space_pressed()) {
        set_space_pressed(false);
        click();
        return 0;
      }
      return std::nullopt;
    default:
      return PressableControl::handle(message, wparam, lparam);
  }
}

// --- FormShapeControl

void FormShapeControl::assign_binary(std::string_view property, const std::vector<std::uint8_t>& bytes) {
  if (!is(property, "Picture.Data")) return;
  picture_ = DrawnPicture(picture_of_property_data(bytes));
  // A picture without an alpha of its own is cut out by the colour of its
  // bottom-left pixel, as the designer's transparent bitmaps are.
  if (const std::optional<COLORREF> key = picture_.corner_colour()) picture_.make_colour_transparent(*key);
}

HWND FormShapeControl::make_window(HWND parent, const RECT& bounds) {
  HWND self = DrawnControl::make_window(parent, bounds);
  if (self != nullptr) shape_page(self);
  return self;
}

void FormShapeControl::shape_page(HWND self) const {
  const platform::Picture* picture = picture_.picture();
  if (picture == nullptr) return;
  HWND page = GetAncestor(self, GA_ROOT);
  // A region is in the coordinates of the whole window, frame included.
  POINT origin{0, 0};
  MapWindowPoints(self, nullptr, &origin, 1);
  RECT frame{};
  GetWindowRect(page, &frame);
  origin.x -= frame.left;
  origin.y -= frame.top;
  platform::UniqueGdiObject region = opaque_region(*picture, scale(), origin);
  // A picture without one opaque pixel would make the page vanish.
  if (!region) return;
  if (SetWindowRgn(page, static_cast<HRGN>(region.get()), TRUE) != 0) (void)region.take();  // the window owns it now
}

void FormShapeControl::paint(HDC dc, const RECT&) {
  if (!picture_.has_picture()) return;
  picture_.draw(dc, {0, 0, scale()(picture_.width()), scale()(picture_.height())});
}

std::optional<LRESULT> FormShapeControl::handle(UINT message, WPARAM, LPARAM) {
  if (message != WM_LBUTTONDOWN) return std::nullopt;
  // The shaped page may have lost its caption: the picture moves it.
  ReleaseCapture();
  SendMessageA(GetAncestor(window(), GA_ROOT), WM_NCLBUTTONDOWN, HTCAPTION, 0);
  return 0;
}

}  // namespace qm
