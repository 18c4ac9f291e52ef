#include "wizard/hosted_control.h"

#include <algorithm>
#include <exception>

#include "platform/window_class.h"
#include "script/ansi_text.h"
#include "script/integer_text.h"
#include "wizard/published_properties.h"

namespace qm {

namespace {

constexpr const char* kHostClass = "QuillmoreControlInHost";
constexpr const char* kNextProcedure = "QuillmoreEnterKeyNext";

bool has_class(HWND window, const char* name) {
  char found[64] = {};
  GetClassNameA(window, found, sizeof found);
  return ascii_equal_ignore_case(found, name);
}

// The hosted control a window belongs to: the host itself or a window inside it.
HostedControl* hosted_control_of(HWND window) {
  for (HWND at = window; at != nullptr; at = GetParent(at))
    if (has_class(at, kHostClass)) return dynamic_cast<HostedControl*>(control_of_window(at));
  return nullptr;
}

// A combo box with its list open takes Enter itself, to choose an item.
bool in_open_combo(HWND window) {
  for (HWND at : {window, GetParent(window)})
    if (at != nullptr && has_class(at, "ComboBox")) return SendMessageA(at, CB_GETDROPPEDSTATE, 0, 0) != 0;
  return false;
}

LRESULT CALLBACK enter_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  const auto next = reinterpret_cast<WNDPROC>(GetPropA(window, kNextProcedure));
  if (next == nullptr) return DefWindowProcA(window, message, wparam, lparam);
  switch (message) {
    case WM_GETDLGCODE: {
      LRESULT code = CallWindowProcA(next, window, message, wparam, lparam);
      const auto* key = reinterpret_cast<const MSG*>(lparam);
      if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN && !in_open_combo(window))
        code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_KEYDOWN:
      if (wparam == VK_RETURN && !in_open_combo(window)) {
        if (HostedControl* control = hosted_control_of(window)) {
          // Windows' frames lie between here and the message loop: nothing
          // may be thrown through them.
          try {
            control->enter_pressed();
          } catch (const std::exception&) {
          }
        }
        return 0;
      }
      break;
    case WM_CHAR:
      if (wparam == '\r' && !in_open_combo(window)) return 0;  // no beep for a key already handled
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
      RemovePropA(window, kNextProcedure);
      break;
    default:
      break;
  }
  return CallWindowProcA(next, window, message, wparam, lparam);
}

LRESULT CALLBACK host_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* control = dynamic_cast<HostedControl*>(control_of_window(window));
  if (control != nullptr) {
    // The control's answers run the user's changes and the handlers they
    // raise; an exception must not pass through Windows' frames.
    try {
      if (const std::optional<LRESULT> answer = control->host_message(message, wparam, lparam)) return *answer;
    } catch (const std::exception&) {
      return 0;
    }
  }
  HWND inner = control != nullptr ? control->inner() : GetWindow(window, GW_CHILD);
  switch (message) {
    case WM_SIZE:
      if (inner != nullptr) MoveWindow(inner, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
      return 0;
    case WM_SETFOCUS:
      if (inner != nullptr) SetFocus(inner);
      return 0;
    case WM_SETFONT:
      if (inner != nullptr) SendMessageA(inner, WM_SETFONT, wparam, lparam);
      if (control != nullptr) control->font_changed();
      return 0;
    case WM_NOTIFYFORMAT:
      return NFR_ANSI;
    case WM_ERASEBKGND:
      return 1;  // the inner control covers the host
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      if (const std::optional<LRESULT> colours = control_colours(message, wparam, reinterpret_cast<LPARAM>(window)))
        return *colours;
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

void collect(const Control& control, std::vector<Control*>& all) {
  for (const std::unique_ptr<Control>& child : control.children()) {
    all.push_back(child.get());
    collect(*child, all);
  }
}

}  // namespace

HostedControl::~HostedControl() { destroy_window(); }

void HostedControl::destroy_window() {
  if (window() != nullptr && IsWindow(window())) {
    // What the dying windows still send must not reach a control that is
    // being taken apart.
    SetWindowLongPtrA(window(), GWLP_USERDATA, 0);
    DestroyWindow(window());
  }
  inner_ = nullptr;
}

std::optional<LRESULT> HostedControl::host_message(UINT, WPARAM, LPARAM) { return std::nullopt; }

HWND HostedControl::make_window(HWND parent, const RECT& bounds) {
  platform::register_window_class({kHostClass, host_procedure, IDC_ARROW, false});
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  HWND host = CreateWindowExA(WS_EX_CONTROLPARENT, kHostClass, "", WS_CHILD | WS_CLIPCHILDREN, bounds.left,
                              bounds.top, width, height, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (host == nullptr) return nullptr;
  // The inner control asks its parent questions while it is being made (an
  // owner-drawn list the height of its items).
  SetWindowLongPtrA(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<Control*>(this)));
  inner_ = make_inner(host, RECT{0, 0, width, height});
  if (inner_ != nullptr) {
    SendMessageA(inner_, WM_SETFONT, reinterpret_cast<WPARAM>(font()), FALSE);
    font_changed();
    inner_made();
  }
  if (const int needed = needed_height(); needed > height)
    SetWindowPos(host, nullptr, 0, 0, width, needed, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return host;
}

void HostedControl::apply(std::string_view property) {
  Control::apply(property);
  if (inner_ == nullptr) return;
  if (ascii_equal_ignore_case(property, "Enabled")) {
    EnableWindow(inner_, stored("Enabled") != "False");
  } else if (ascii_equal_ignore_case(property, "Height")) {
    RECT host{};
    GetClientRect(window(), &host);
    if (const int needed = needed_height(); needed > host.bottom)
      SetWindowPos(window(), nullptr, 0, 0, host.right, needed, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  } else if (ascii_equal_ignore_case(property, "Color") || ascii_equal_ignore_case(property, "ParentColor")) {
    InvalidateRect(inner_, nullptr, TRUE);
  }
}

void HostedControl::take_enter_key(HWND window) {
  if (window == nullptr || GetPropA(window, kNextProcedure) != nullptr) return;
  const auto next = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
  SetPropA(window, kNextProcedure, reinterpret_cast<HANDLE>(next));
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(enter_procedure));
}

COLORREF HostedControl::field_background() const { return own_background().value_or(GetSysColor(COLOR_WINDOW)); }

COLORREF HostedControl::field_text() const {
  const bool own_font_colour = stored("ParentFont") == "False" && !stored("Font.Color").empty();
  return own_background() || own_font_colour ? text_colour() : GetSysColor(COLOR_WINDOWTEXT);
}

int HostedControl::text_height() const {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font() != nullptr ? font() : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return metrics.tmHeight;
}

void HostedControl::draw_item(const DRAWITEMSTRUCT& item, const ItemPicture& picture) const {
  HDC dc = item.hDC;
  const RECT area = item.rcItem;
  const platform::UniqueGdiObject background(CreateSolidBrush(field_background()));
  FillRect(dc, &area, static_cast<HBRUSH>(background.get()));

  const int size = glyph_size();
  int x = area.left + scale()(2) + picture.indent;
  const int y = area.top + (area.bottom - area.top - size) / 2;
  if (picture.icons != nullptr && picture.icon >= 0) {
    picture.icons->draw_small(dc, picture.icon, x, y);
    x += size + scale()(4);
  } else if (picture.glyph) {
    draw_glyph(dc, *picture.glyph, x, y, size);
    x += size + scale()(4);
  }

  HGDIOBJ old_font = SelectObject(dc, font());
  RECT text{x, area.top, area.right, area.bottom};
  const std::string shown(picture.text);
  RECT measured = text;
  DrawTextA(dc, shown.c_str(), static_cast<int>(shown.size()), &measured, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
  // The selection marks the name, as the classic lists do, not the glyph.
  RECT mark{x - scale()(2), area.top, std::min<LONG>(area.right, measured.right + scale()(2)), area.bottom};
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  if (selected) FillRect(dc, &mark, GetSysColorBrush(COLOR_HIGHLIGHT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, (item.itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT)
                   : selected                      ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                                   : field_text());
  DrawTextA(dc, shown.c_str(), static_cast<int>(shown.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  SelectObject(dc, old_font);
  if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) DrawFocusRect(dc, &mark);
}

HWND HostedComboBox::make_combo(HWND host, const RECT& client, DWORD style) {
  return CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | style, client.left,
                         client.top, client.right - client.left, list_height(), host, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

int HostedComboBox::item_height() const {
  return std::max(text_height() + scale()(3), glyph_size() + scale()(2));
}

int HostedComboBox::list_height() const {
  const int rows = std::clamp(parse_integer_text(property_text("DropDownCount").value_or("8")).value_or(8), 1, 50);
  return item_height() * (rows + 1) + scale()(8);
}

int HostedComboBox::needed_height() const {
  if (inner() == nullptr) return 0;
  RECT field{};
  GetWindowRect(inner(), &field);
  return field.bottom - field.top;
}

void HostedComboBox::font_changed() {
  if (inner() == nullptr || (GetWindowLongA(inner(), GWL_STYLE) & CBS_OWNERDRAWFIXED) == 0) return;
  SendMessageA(inner(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), item_height());
  SendMessageA(inner(), CB_SETITEMHEIGHT, 0, item_height());
}

std::optional<LRESULT> HostedComboBox::host_message(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      // The combo box's own height is that of its opened list.
      if (inner() != nullptr) MoveWindow(inner(), 0, 0, LOWORD(lparam), list_height(), TRUE);
      return 0;
    case WM_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(lparam)->itemHeight = static_cast<UINT>(item_height());
      return TRUE;
    default:
      return HostedControl::host_message(message, wparam, lparam);
  }
}

const std::vector<PropertyDefinition>& field_control_properties() {
  static const std::vector<PropertyDefinition> properties =
      joined({&control_properties(), &windowed_properties(), &appearance_properties()},
             {{"BevelEdges", PropertyKind::kSet},
              {"BevelInner", PropertyKind::kIdentifier, "bvRaised"},
              {"BevelKind", PropertyKind::kIdentifier, "bkNone"},
              {"BevelOuter", PropertyKind::kIdentifier, "bvLowered"},
              {"BevelWidth", PropertyKind::kInteger, "1"}});
  return properties;
}

std::vector<Control*> controls_on_page(const Control& from) {
  const Control* page = &from;
  while (page->parent() != nullptr) page = page->parent();
  // The page's controls are the page's to change; a control asks for them
  // only to pass on what changed in it.
  std::vector<Control*> all{const_cast<Control*>(page)};
  collect(*page, all);
  return all;
}

Control* find_on_page(const Control& from, std::string_view name) {
  if (name.empty()) return nullptr;
  for (Control* control : controls_on_page(from))
    if (ascii_equal_ignore_case(control->name(), name)) return control;
  return nullptr;
}

void post_to_host(HWND host, WPARAM action, LPARAM argument) { PostMessageA(host, kHostAction, action, argument); }

bool HostedComboBox::completes_choice(WPARAM wparam, LPARAM lparam) const {
  if (reinterpret_cast<HWND>(lparam) != inner()) return false;
  const WORD code = HIWORD(wparam);
  const bool open = SendMessageA(inner(), CB_GETDROPPEDSTATE, 0, 0) != 0;
  return (code == CBN_SELCHANGE && !open) || code == CBN_SELENDOK || code == CBN_CLOSEUP;
}

void HostedComboBox::draw_empty_item(const DRAWITEMSTRUCT& item) const {
  const platform::UniqueGdiObject background(CreateSolidBrush(field_background()));
  FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(background.get()));
}

}  // namespace qm
