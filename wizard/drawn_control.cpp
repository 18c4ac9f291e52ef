#include "wizard/drawn_control.h"

#include <algorithm>

#include "platform/picture_bitmap.h"
#include "platform/system_library.h"
#include "platform/window_class.h"

namespace qm {

namespace {

constexpr const char* kDrawnClass = "QuillmoreDrawnControl";

// The visual style's drawing, from uxtheme in the system folder (it is not
// one of the libraries Windows always takes from there); absent before
// Windows XP and when no style is active.
class ButtonTheme {
 public:
  static const ButtonTheme& functions() {
    static const ButtonTheme theme;
    return theme;
  }

  // False when the face could not be drawn in the style.
  bool draw(HWND window, HDC dc, const RECT& area, int state) const {
    if (open_ == nullptr || close_ == nullptr || draw_ == nullptr) return false;
    HANDLE theme = open_(window, L"BUTTON");
    if (theme == nullptr) return false;
    constexpr int kPushButton = 1;
    const bool drawn = SUCCEEDED(draw_(theme, dc, kPushButton, state, &area, nullptr));
    close_(theme);
    return drawn;
  }

 private:
  using Open = HANDLE(WINAPI*)(HWND, LPCWSTR);
  using Close = HRESULT(WINAPI*)(HANDLE);
  using Draw = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);

  ButtonTheme() {
    HMODULE library = platform::load_system_library("uxtheme.dll");
    if (library == nullptr) return;
    open_ = reinterpret_cast<Open>(reinterpret_cast<void*>(GetProcAddress(library, "OpenThemeData")));
    close_ = reinterpret_cast<Close>(reinterpret_cast<void*>(GetProcAddress(library, "CloseThemeData")));
    draw_ = reinterpret_cast<Draw>(reinterpret_cast<void*>(GetProcAddress(library, "DrawThemeBackground")));
  }

  Open open_ = nullptr;
  Close close_ = nullptr;
  Draw draw_ = nullptr;
};

}  // namespace

HWND DrawnControl::make_window(HWND parent, const RECT& bounds) {
  platform::register_window_class({kDrawnClass, procedure, IDC_ARROW, false, CS_DBLCLKS});
  return CreateWindowExA(window_extended_style(), kDrawnClass, "", WS_CHILD | window_style(), bounds.left, bounds.top,
                         bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void DrawnControl::apply(std::string_view property) {
  Control::apply(property);
  redraw();
}

void DrawnControl::redraw() const {
  if (window() != nullptr) InvalidateRect(window(), nullptr, FALSE);
}

void DrawnControl::notify_clicked() const {
  HWND self = window();
  SendMessageA(GetParent(self), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(self), BN_CLICKED), reinterpret_cast<LPARAM>(self));
}

std::optional<LRESULT> DrawnControl::handle(UINT, WPARAM, LPARAM) { return std::nullopt; }

LRESULT CALLBACK DrawnControl::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  // Only drawn controls make windows of this class; before the control has
  // taken its window (during CreateWindowEx) there is none.
  auto* control = static_cast<DrawnControl*>(control_of_window(window));
  if (control == nullptr) return DefWindowProcA(window, message, wparam, lparam);
  if (const std::optional<LRESULT> answer = control->handle(message, wparam, lparam)) return *answer;
  return control->common(message, wparam, lparam);
}

LRESULT DrawnControl::common(UINT message, WPARAM wparam, LPARAM lparam) {
  HWND self = window();
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint_info;
      HDC target = BeginPaint(self, &paint_info);
      RECT client{};
      GetClientRect(self, &client);
      // Drawn off screen first: a control redrawn while the mouse moves over
      // it does not flicker.
      HDC dc = CreateCompatibleDC(target);
      const platform::UniqueGdiObject bitmap(
          CreateCompatibleBitmap(target, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1)));
      const HGDIOBJ original_bitmap = SelectObject(dc, bitmap.get());
      const HGDIOBJ original_font = SelectObject(dc, font() != nullptr ? font() : GetStockObject(DEFAULT_GUI_FONT));
      FillRect(dc, &client, background_brush());
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, text_colour());
      paint(dc, client);
      BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
      SelectObject(dc, original_font);
      SelectObject(dc, original_bitmap);
      DeleteDC(dc);
      EndPaint(self, &paint_info);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (!hot_) {
        hot_ = true;
        TRACKMOUSEEVENT tracking{sizeof tracking, TME_LEAVE, self, 0};
        TrackMouseEvent(&tracking);
        hot_changed();
      }
      return 0;
    case WM_MOUSELEAVE:
      hot_ = false;
      hot_changed();
      return 0;
    case WM_ENABLE:
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcA(self, message, wparam, lparam);
      redraw();
      return result;
    }
    default:
      return DefWindowProcA(self, message, wparam, lparam);
  }
}

void DrawnPicture::make_colour_transparent(COLORREF colour) {
  if (!picture_) return;
  std::vector<std::uint8_t>& pixels = picture_->pixels;
  for (std::size_t at = 3; at < pixels.size(); at += 4)
    if (pixels[at] != 255) return;
  for (std::size_t at = 0; at + 3 < pixels.size(); at += 4)
    if (pixels[at] == GetBValue(colour) && pixels[at + 1] == GetGValue(colour) && pixels[at + 2] == GetRValue(colour))
      pixels[at + 3] = 0;
  bitmap_.reset();
}

std::optional<COLORREF> DrawnPicture::corner_colour() const {
  if (!picture_ || picture_->width <= 0 || picture_->height <= 0) return std::nullopt;
  const std::size_t at = static_cast<std::size_t>(picture_->height - 1) * static_cast<std::size_t>(picture_->width) * 4;
  const std::vector<std::uint8_t>& pixels = picture_->pixels;
  return RGB(pixels[at + 2], pixels[at + 1], pixels[at]);
}

void DrawnPicture::draw(HDC dc, const RECT& target, const RECT& source, BYTE opacity) {
  if (!picture_) return;
  if (!bitmap_) bitmap_ = platform::make_picture_bitmap(*picture_, platform::BitmapAlpha::premultiplied);
  if (!bitmap_) return;
  HDC memory = CreateCompatibleDC(dc);
  const HGDIOBJ original = SelectObject(memory, bitmap_.get());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity, AC_SRC_ALPHA};
  GdiAlphaBlend(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, memory,
                source.left, source.top, source.right - source.left, source.bottom - source.top, blend);
  SelectObject(memory, original);
  DeleteDC(memory);
}

std::optional<platform::Picture> picture_of_property_data(const std::vector<std::uint8_t>& bytes) {
  if (std::optional<platform::Picture> bitmap = platform::read_bitmap_data(bytes)) return bitmap;
  return platform::read_picture_data(bytes);
}

void draw_button_face(HWND window, HDC dc, const RECT& area, FaceState state, bool flat) {
  RECT face = area;
  if (flat) {
    if (state == FaceState::hot) DrawEdge(dc, &face, BDR_RAISEDINNER, BF_RECT);
    if (state == FaceState::pressed) DrawEdge(dc, &face, BDR_SUNKENOUTER, BF_RECT);
    return;
  }
  // The style's states: normal 1, hot 2, pressed 3, disabled 4.
  int themed_state = 1;
  if (state == FaceState::hot) themed_state = 2;
  if (state == FaceState::pressed) themed_state = 3;
  if (state == FaceState::disabled) themed_state = 4;
  if (ButtonTheme::functions().draw(window, dc, face, themed_state)) return;
  UINT look = DFCS_BUTTONPUSH;
  if (state == FaceState::pressed) look |= DFCS_PUSHED;
  if (state == FaceState::disabled) look |= DFCS_INACTIVE;
  if (state == FaceState::hot) look |= DFCS_HOT;
  DrawFrameControl(dc, &face, DFC_BUTTON, look);
}

}  // namespace qm
