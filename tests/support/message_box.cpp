#include "tests/support/message_box.h"

#include <windows.h>

#include "tests/support/screen_capture.h"

namespace qm::test {

namespace {

HWND wait_for_box(const std::string& caption) {
  for (int attempt = 0; attempt < 300; ++attempt) {
    if (HWND box = FindWindowA("#32770", caption.c_str())) return box;
    Sleep(50);
  }
  return nullptr;
}

}  // namespace

std::string answer_message_box(const std::string& caption) {
  const SeenMessageBox seen = answer_message_box(caption, IDOK);
  return seen.shown ? seen.text : "(no message box)";
}

SeenMessageBox answer_message_box(const std::string& caption, int answer, const std::string& picture) {
  return answer_message_box(caption, answer, [&] {
    if (picture.empty()) return;
    HWND box = FindWindowA("#32770", caption.c_str());
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    save_window_picture(box, picture);
  });
}

SeenMessageBox answer_message_box(const std::string& caption, int answer, const std::function<void()>& meanwhile) {
  SeenMessageBox seen;
  HWND box = wait_for_box(caption);
  if (box == nullptr) return seen;
  seen.shown = true;
  char text[1024] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the message's static control
  seen.text = text;
  const struct {
    int id;
    char letter;
  } buttons[] = {{IDOK, 'O'}, {IDCANCEL, 'C'}, {IDABORT, 'A'}, {IDRETRY, 'R'},
                 {IDIGNORE, 'I'}, {IDYES, 'Y'},   {IDNO, 'N'}};
  for (const auto& button : buttons)
    if (GetDlgItem(box, button.id) != nullptr) seen.buttons += button.letter;
  if (meanwhile) meanwhile();
  PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
  // Gone before the caller looks for the next box of the same caption.
  for (int attempt = 0; attempt < 300 && IsWindow(box); ++attempt) Sleep(20);
  return seen;
}

}  // namespace qm::test
