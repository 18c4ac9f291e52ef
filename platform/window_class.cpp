#include "platform/window_class.h"

namespace qm::platform {

void register_window_class(const WindowClass& window_class) {
  WNDCLASSA registration{};
  registration.style = window_class.style;
  registration.lpfnWndProc = window_class.procedure;
  registration.hInstance = GetModuleHandleA(nullptr);
  registration.hCursor = window_class.cursor != nullptr ? LoadCursor(nullptr, window_class.cursor) : nullptr;
  if (window_class.dialog_background) registration.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  registration.lpszClassName = window_class.name;
  RegisterClassA(&registration);  // fails harmlessly when the class is there already
}

}  // namespace qm::platform
