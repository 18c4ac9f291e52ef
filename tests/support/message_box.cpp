#include "tests/support/message_box.h"

#include <windows.h>

namespace qm::test {

std::string answer_message_box(const std::string& caption) {
  for (int attempt = 0; attempt < 300; ++attempt) {
    if (HWND box = FindWindowA("#32770", caption.c_str())) {
      char text[1024] = {};
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the message's static control
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      return text;
    }
    Sleep(50);
  }
  return "(no message box)";
}

}  // namespace qm::test
