#include "wizard/container_control.h"

#include "platform/window_class.h"

namespace qm {

namespace {

constexpr const char* kHostClass = "QuillmoreControlHost";

void paint_container(HWND window, HDC dc) {
  RECT client{};
  GetClientRect(window, &client);
  if (auto* container = dynamic_cast<ContainerControl*>(control_of_window(window))) container->paint(dc, client);
}

LRESULT CALLBACK host_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_DRAWITEM:
      return SendMessageA(GetParent(window), message, wparam, lparam);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (const std::optional<LRESULT> colours = control_colours(message, wparam, lparam)) return *colours;
      return DefWindowProcA(window, message, wparam, lparam);
    case WM_ERASEBKGND:
      if (erase_background(window, reinterpret_cast<HDC>(wparam))) return 1;
      return DefWindowProcA(window, message, wparam, lparam);
    case WM_PRINTCLIENT: {
      // Themed children (a group box's frame) draw their parent's background
      // behind themselves through this message.
      HDC dc = reinterpret_cast<HDC>(wparam);
      erase_background(window, dc);
      paint_container(window, dc);
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      paint_container(window, dc);
      EndPaint(window, &paint);
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

}  // namespace

HWND ContainerControl::make_host(HWND parent, const RECT& bounds) {
  platform::register_window_class({kHostClass, host_procedure});
  return CreateWindowExA(WS_EX_CONTROLPARENT, kHostClass, "", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                         bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                         nullptr, GetModuleHandleA(nullptr), nullptr);
}

}  // namespace qm
