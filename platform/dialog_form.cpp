#include "platform/dialog_form.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/system_library.h"
#include "platform/window_class.h"

namespace qm::platform {

namespace {

constexpr const char* kFormClass = "QuillmoreDialogForm";
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
// A drop-down list's own height is its edit part; the height it is created
// with also bounds its open list.
constexpr int kDropDownListHeight = 200;
constexpr int kIconSize = 32;


}  // namespace

DpiScale DpiScale::of_screen() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return DpiScale(dpi > 0 ? dpi : 96);
}

DpiScale DpiScale::of_window(HWND window) {
  // Windows 10 1607 and later know each monitor's resolution.
  using DpiForWindow = UINT(WINAPI*)(HWND);
  static const auto dpi_for_window = reinterpret_cast<DpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (dpi_for_window != nullptr && window != nullptr) {
    const UINT dpi = dpi_for_window(window);
    if (dpi > 0) return DpiScale(static_cast<int>(dpi));
  }
  return of_screen();
}

UniqueGdiObject create_point_font(const char* face, int points) {
  return create_point_font(face, points, DpiScale::of_screen().dpi());
}

UniqueGdiObject create_point_font(const char* face, int points, int dpi) {
  const int height = -MulDiv(points, dpi, 72);
  return UniqueGdiObject(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     DEFAULT_PITCH | FF_DONTCARE, face));
}

UniqueGdiObject create_message_font() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    return create_point_font("Tahoma", 8);
  return UniqueGdiObject(CreateFontIndirectA(&metrics.lfMessageFont));
}

void init_common_controls(DWORD classes) {
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  HMODULE controls = load_system_library("comctl32.dll");
  if (controls == nullptr) return;
  const auto init = reinterpret_cast<InitFunction>(
      reinterpret_cast<void*>(GetProcAddress(controls, "InitCommonControlsEx")));
  INITCOMMONCONTROLSEX wanted{sizeof wanted, classes};
  if (init != nullptr) init(&wanted);
}

HICON engine_window_icon() { return LoadIcon(nullptr, IDI_INFORMATION); }

DialogForm::DialogForm(const std::string& caption, int client_width, int client_height, const char* face,
                       int points)
    : scale_(DpiScale::of_screen()),
      font_face_(face),
      font_points_(points),
      client_width_(client_width),
      client_height_(client_height) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  register_window_class({kFormClass, procedure});
  window_.reset(CreateWindowExA(kFormExStyle, kFormClass, caption.c_str(), kFormStyle, 0, 0, 0, 0, nullptr, nullptr,
                                instance, this));
  scale_ = DpiScale::of_window(window_.get());
  lay_out(nullptr);
}

void DialogForm::lay_out(const RECT* suggested_frame) {
  font_ = create_point_font(font_face_.c_str(), font_points_, scale_.dpi());
  SendMessageA(window_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  for (const Placed& placed : placed_) {
    const RECT& r = placed.design;
    SetWindowPos(placed.control, nullptr, scale_(r.left), scale_(r.top), scale_(r.right - r.left),
                 scale_(r.bottom - r.top), SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(placed.control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  }
  RECT frame{0, 0, scale_(client_width_), scale_(client_height_)};
  AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  // Windows suggests where the form goes on its new monitor; the size is
  // ours, as the frame's own metrics do not scale with the client area.
  const int left = suggested_frame != nullptr ? suggested_frame->left
                                              : std::max(0, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  const int top = suggested_frame != nullptr ? suggested_frame->top
                                             : std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
  SetWindowPos(window_.get(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

DialogForm::~DialogForm() = default;

HWND DialogForm::add_control(const char* window_class, const std::string& text, DWORD style, int id, int left,
                             int top, int width, int height) {
  HWND control = CreateWindowExA(0, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style, scale_(left),
                                 scale_(top), scale_(width), scale_(height), window_.get(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                 nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  placed_.push_back({control, RECT{left, top, left + width, top + height}});
  return control;
}

HWND DialogForm::add_label(const std::string& text, int left, int top, int width, int height) {
  return add_control("STATIC", text, SS_LEFT, 0, left, top, width, height);
}

HWND DialogForm::add_icon(HICON icon, int left, int top) {
  HWND control = add_control("STATIC", "", SS_ICON | SS_CENTERIMAGE, 0, left, top, kIconSize, kIconSize);
  SendMessageA(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  return control;
}

HWND DialogForm::add_drop_down_list(int id, const std::vector<std::string>& items, int selected, int left, int top,
                                    int width) {
  HWND list = add_control("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, id, left, top, width,
                          kDropDownListHeight);
  for (const std::string& item : items) SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  return list;
}

HWND DialogForm::add_button(const std::string& text, DialogResult result, ButtonRole role, int left, int top,
                            int width, int height) {
  const DWORD kind = role == ButtonRole::kDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  if (role == ButtonRole::kDefault) default_button_ = result;
  if (role == ButtonRole::kCancel) cancel_button_ = result;
  result_buttons_.push_back(result);
  return add_control("BUTTON", text, kind | WS_TABSTOP, result, left, top, width, height);
}

std::string DialogForm::selected_text(HWND drop_down_list) {
  const LRESULT index = SendMessageA(drop_down_list, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return {};
  const LRESULT length = SendMessageA(drop_down_list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  SendMessageA(drop_down_list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

DialogResult DialogForm::show_modal(HWND owner) {
  HWND window = window_.get();
  if (owner != nullptr) {
    SetWindowLongPtrA(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    EnableWindow(owner, FALSE);
  }
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
  if (HWND first = GetNextDlgTabItem(window, nullptr, FALSE)) SetFocus(first);

  ended_ = false;
  result_ = IDCANCEL;
  MSG message;
  while (!ended_) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      // Someone ended the thread's message loop: pass that on, as a cancel.
      PostQuitMessage(static_cast<int>(message.wParam));
      result_ = IDCANCEL;
      break;
    }
    if (got == -1) break;
    if (!IsDialogMessageA(window, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  // The owner comes back before the form goes, so that Windows gives it the
  // activation instead of some other program's window.
  if (owner != nullptr) EnableWindow(owner, TRUE);
  ShowWindow(window, SW_HIDE);
  return result_;
}

LRESULT CALLBACK DialogForm::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* form = reinterpret_cast<DialogForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (form == nullptr || form->window_.get() != window) return DefWindowProcA(window, message, wparam, lparam);
  return form->handle(message, wparam, lparam);
}

void DialogForm::end_with(DialogResult result) {
  result_ = result;
  ended_ = true;
  // A message sent from another thread or program (a click by an automation
  // tool) is handled inside GetMessage, which then waits on for a posted one:
  // post one, so that the loop sees the end at once.
  PostMessageA(window_.get(), WM_NULL, 0, 0);
}

LRESULT DialogForm::handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_DPICHANGED:
      scale_ = DpiScale(LOWORD(wparam));
      lay_out(reinterpret_cast<const RECT*>(lparam));
      return 0;
    case DM_GETDEFID:
      return default_button_ != 0 ? MAKELRESULT(default_button_, DC_HASDEFID) : 0;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const bool pressed = HIWORD(wparam) == BN_CLICKED;
      if (pressed && std::find(result_buttons_.begin(), result_buttons_.end(), id) != result_buttons_.end()) {
        end_with(id);
        return 0;
      }
      // Escape asks for IDCANCEL whether or not a button has it.
      if (id == IDCANCEL && cancel_button_ != 0) end_with(cancel_button_);
      return 0;
    }
    case WM_CLOSE:
      end_with(cancel_button_ != 0 ? cancel_button_ : IDCANCEL);
      return 0;
    default:
      return DefWindowProcA(window_.get(), message, wparam, lparam);
  }
}

}  // namespace qm::platform
