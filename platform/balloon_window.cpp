#include "platform/balloon_window.h"

#include <algorithm>

#include "platform/dialog_form.h"
#include "platform/window_class.h"

namespace qm::platform {

namespace {

constexpr const char* kBalloonClass = "QuillmoreBalloon";
constexpr UINT_PTR kCloseTimer = 1;

int scaled(int pixels, int dpi) { return MulDiv(pixels, dpi, 96); }

UniqueGdiObject balloon_font(int dpi, int weight) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  LOGFONTA font{};
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    font = metrics.lfStatusFont;
    // The metrics are the screen's; the balloon is laid out at `dpi`.
    font.lfHeight = -MulDiv(9, dpi, 72);
  } else {
    font.lfHeight = -MulDiv(8, dpi, 72);
    lstrcpynA(font.lfFaceName, "Tahoma", LF_FACESIZE);
  }
  font.lfWeight = weight;
  return UniqueGdiObject(CreateFontIndirectA(&font));
}

LPCSTR system_icon(BalloonIcon icon) {
  switch (icon) {
    case BalloonIcon::kWarning: return IDI_WARNING;
    case BalloonIcon::kError: return IDI_ERROR;
    case BalloonIcon::kInformation: break;
  }
  return IDI_INFORMATION;
}

}  // namespace

BalloonWindow::~BalloonWindow() = default;

bool BalloonWindow::show(const std::string& title, const std::string& text, BalloonIcon icon, unsigned timeout_ms) {
  close();
  register_window_class({kBalloonClass, procedure, IDC_HAND, false, CS_DROPSHADOW});
  title_ = title;
  text_ = text;
  icon_ = icon;
  dpi_ = DpiScale::of_screen().dpi();
  title_font_ = balloon_font(dpi_, FW_BOLD);
  text_font_ = balloon_font(dpi_, FW_NORMAL);

  HDC screen = GetDC(nullptr);
  const SIZE size = layout(screen);
  ReleaseDC(nullptr, screen);
  // Where the notification area normally is: the bottom right of the work area.
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int margin = scaled(8, dpi_);
  const int left = std::max<int>(work.left, work.right - size.cx - margin);
  const int top = std::max<int>(work.top, work.bottom - size.cy - margin);
  window_.reset(CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kBalloonClass, title.c_str(),
                                WS_POPUP, left, top, size.cx, size.cy, nullptr, nullptr, GetModuleHandleA(nullptr),
                                this));
  if (!window_) return false;
  const int corner = scaled(12, dpi_);
  SetWindowRgn(window_.get(), CreateRoundRectRgn(0, 0, size.cx + 1, size.cy + 1, corner, corner), FALSE);
  SetTimer(window_.get(), kCloseTimer, std::max(1u, timeout_ms), nullptr);
  ShowWindow(window_.get(), SW_SHOWNOACTIVATE);
  UpdateWindow(window_.get());
  return true;
}

void BalloonWindow::close() { window_.reset(); }

bool BalloonWindow::visible() const { return window_ && IsWindowVisible(window_.get()); }

SIZE BalloonWindow::layout(HDC dc) {
  const int padding = scaled(10, dpi_);
  const int icon = GetSystemMetrics(SM_CXSMICON);
  const int close_box = scaled(14, dpi_);
  const int widest = scaled(300, dpi_);
  HGDIOBJ old = SelectObject(dc, title_font_.get());
  RECT title{0, 0, widest, 0};
  DrawTextA(dc, title_.c_str(), static_cast<int>(title_.size()), &title,
            DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  title.right = std::min<LONG>(title.right, widest);
  SelectObject(dc, text_font_.get());
  RECT text{0, 0, widest + icon + padding / 2, 0};
  DrawTextA(dc, text_.c_str(), static_cast<int>(text_.size()), &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);

  const int title_left = padding + icon + padding / 2;
  const int title_height = std::max<int>(icon, title.bottom);
  title_box_ = RECT{title_left, padding, title_left + title.right, padding + title_height};
  const int text_top = padding + title_height + padding / 2;
  text_box_ = RECT{padding, text_top, padding + text.right, text_top + text.bottom};
  const int width = std::max<int>(title_box_.right + padding + close_box, text_box_.right + padding);
  return SIZE{width, text_box_.bottom + padding};
}

void BalloonWindow::paint(HDC dc) const {
  RECT client{};
  GetClientRect(window_.get(), &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_INFOBK));
  const int corner = scaled(12, dpi_);
  HRGN outline = CreateRoundRectRgn(0, 0, client.right, client.bottom, corner, corner);
  FrameRgn(dc, outline, GetSysColorBrush(COLOR_WINDOWFRAME), 1, 1);
  DeleteObject(outline);

  const int padding = scaled(10, dpi_);
  const int icon_size = GetSystemMetrics(SM_CXSMICON);
  const int icon_top = title_box_.top + (title_box_.bottom - title_box_.top - icon_size) / 2;
  DrawIconEx(dc, padding, icon_top, LoadIconA(nullptr, system_icon(icon_)), icon_size, icon_size, 0, nullptr,
             DI_NORMAL);

  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
  HGDIOBJ old = SelectObject(dc, title_font_.get());
  RECT title = title_box_;
  DrawTextA(dc, title_.c_str(), static_cast<int>(title_.size()), &title,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  SelectObject(dc, text_font_.get());
  RECT text = text_box_;
  DrawTextA(dc, text_.c_str(), static_cast<int>(text_.size()), &text, DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);

  // The close mark: a small cross in the top right corner (a click anywhere closes).
  const int mark = scaled(7, dpi_);
  const int right = client.right - padding;
  const int top = padding + (title_box_.bottom - title_box_.top - mark) / 2;
  HPEN pen = CreatePen(PS_SOLID, std::max(1, scaled(1, dpi_)), GetSysColor(COLOR_GRAYTEXT));
  HGDIOBJ old_pen = SelectObject(dc, pen);
  MoveToEx(dc, right - mark, top, nullptr);
  LineTo(dc, right + 1, top + mark + 1);
  MoveToEx(dc, right, top, nullptr);
  LineTo(dc, right - mark - 1, top + mark + 1);
  SelectObject(dc, old_pen);
  DeleteObject(pen);
}

LRESULT CALLBACK BalloonWindow::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* balloon = reinterpret_cast<BalloonWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (balloon == nullptr || balloon->window_.get() != window)
    return DefWindowProcA(window, message, wparam, lparam);
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      balloon->paint(dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_TIMER:
      if (wparam != kCloseTimer) break;
      balloon->close();
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      balloon->close();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace qm::platform
