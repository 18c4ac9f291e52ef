#include "platform/tray_icon.h"

#include <algorithm>

#include "platform/dialog_form.h"
#include "platform/window_class.h"

namespace qm::platform {

namespace {

constexpr const char* kTrayWindowClass = "QuillmoreTrayIcon";
constexpr UINT kIconId = 1;

void copy_text(char* target, std::size_t capacity, const std::string& text) {
  const std::size_t length = std::min(text.size(), capacity - 1);
  std::copy_n(text.data(), length, target);
  target[length] = '\0';
}

DWORD balloon_flag(BalloonIcon icon) {
  switch (icon) {
    case BalloonIcon::kWarning: return NIIF_WARNING;
    case BalloonIcon::kError: return NIIF_ERROR;
    case BalloonIcon::kInformation: break;
  }
  return NIIF_INFO;
}

}  // namespace

TrayIcon::TrayIcon(std::function<void()> on_click) : on_click_(std::move(on_click)) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  register_window_class({kTrayWindowClass, procedure, nullptr, false});
  // A hidden top-level window rather than a message-only one: only those hear
  // Explorer announce a new taskbar.
  window_.reset(CreateWindowExA(0, kTrayWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, this));
  taskbar_created_ = RegisterWindowMessageA("TaskbarCreated");
}

TrayIcon::~TrayIcon() { hide(); }

NOTIFYICONDATAA TrayIcon::data(UINT flags) const {
  NOTIFYICONDATAA icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window_.get();
  icon.uID = kIconId;
  icon.uFlags = flags;
  icon.uCallbackMessage = kCallbackMessage;
  HICON own = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
  icon.hIcon = own != nullptr ? own : engine_window_icon();
  copy_text(icon.szTip, sizeof icon.szTip, hint_);
  return icon;
}

bool TrayIcon::show(const std::string& hint) {
  hint_ = hint;
  NOTIFYICONDATAA icon = data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
  // An icon already there only changes its tool tip.
  const bool shown = Shell_NotifyIconA(visible_ ? NIM_MODIFY : NIM_ADD, &icon) != FALSE;
  visible_ = visible_ || shown;
  return shown;
}

void TrayIcon::hide() {
  if (!visible_) return;
  NOTIFYICONDATAA icon = data(0);
  Shell_NotifyIconA(NIM_DELETE, &icon);
  visible_ = false;
}

bool TrayIcon::show_balloon(const std::string& title, const std::string& text, BalloonIcon kind, unsigned timeout_ms) {
  NOTIFYICONDATAA icon = data(NIF_INFO);
  copy_text(icon.szInfoTitle, sizeof icon.szInfoTitle, title);
  copy_text(icon.szInfo, sizeof icon.szInfo, text);
  icon.dwInfoFlags = balloon_flag(kind);
  icon.uTimeout = timeout_ms;
  if (visible_ && Shell_NotifyIconA(NIM_MODIFY, &icon) != FALSE) return true;
  return own_balloon_.show(title, text, kind, timeout_ms);
}

LRESULT CALLBACK TrayIcon::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* tray = reinterpret_cast<TrayIcon*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (tray != nullptr && message == kCallbackMessage) {
    const UINT event = LOWORD(lparam);
    if ((event == WM_LBUTTONUP || event == WM_LBUTTONDBLCLK) && tray->on_click_) tray->on_click_();
    return 0;
  }
  if (tray != nullptr && tray->taskbar_created_ != 0 && message == tray->taskbar_created_ && tray->visible_) {
    tray->visible_ = false;
    tray->show(tray->hint_);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace qm::platform
