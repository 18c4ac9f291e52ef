#pragma once
// The window classes of the engine's own windows.

#include <windows.h>

namespace qm::platform {

struct WindowClass {
  const char* name;
  WNDPROC procedure;
  LPCSTR cursor = IDC_ARROW;
  bool dialog_background = true;  // painted in the dialog colour; false: the window paints itself
  UINT style = 0;                 // CS_... flags
};

// Registers the class for this program; registering it again does nothing.
void register_window_class(const WindowClass& window_class);

}  // namespace qm::platform
