#include "platform/messages.h"

#include <windows.h>

#include <algorithm>

namespace qm::platform {

void process_pending_messages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

int show_message_box(const std::string& text, const std::string& caption, unsigned style, void* owner) {
  const int answer = MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
  // Windows reports a failure as 0; Wine passes on its dialog code's -1.
  if (answer > 0 || owner == nullptr) return std::max(0, answer);
  // The owner may be gone (a page the user closed some other way): a box of
  // its own is better than none.
  const DWORD error = GetLastError();
  if (error != ERROR_INVALID_WINDOW_HANDLE && error != ERROR_PROC_NOT_FOUND) return answer;
  return std::max(0, MessageBoxA(nullptr, text.c_str(), caption.c_str(), style));
}

void dispatch_pending_messages(std::optional<std::uintptr_t>& quit) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit = message.wParam;
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace qm::platform
