#include "platform/messages.h"

#include <windows.h>

namespace qm::platform {

void process_pending_messages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

int show_message_box(const std::string& text, const std::string& caption, unsigned style, void* owner) {
  return MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
}

}  // namespace qm::platform
