// The yardstick of the start-up benchmark: the least a Windows program does
// to put a window on the screen (register a class, create, show, paint).
// It closes when told to, or after a minute.

#include <windows.h>

namespace {

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = "QuillmoreBareWindow";
  RegisterClassA(&window_class);
  HWND window = CreateWindowExA(0, "QuillmoreBareWindow", "Bare window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 480, 360, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  SetTimer(window, 1, 60000, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER) DestroyWindow(window);
    DispatchMessageA(&message);
  }
  return 0;
}
