#pragma once
// Answers the message boxes a program under test shows.

#include <functional>
#include <string>

namespace qm::test {

// Waits (up to 15 s) for a message box with this caption, reads its text and
// presses OK; the text, or "(no message box)".
std::string answer_message_box(const std::string& caption);

struct SeenMessageBox {
  bool shown = false;
  std::string text;
  std::string buttons;  // the buttons it offers, by their first letters: "YN", "ARI", "O" ...
};

// Waits (up to 15 s) for a message box with this caption and presses the
// button `answer` (IDYES, IDNO, ...); first saves a picture of it as
// build/screenshots/<picture>.png when `picture` is not empty.
SeenMessageBox answer_message_box(const std::string& caption, int answer, const std::string& picture = {});

// As above, running `meanwhile` while the box is still up (the program
// waits for it, so its other windows hold still).
SeenMessageBox answer_message_box(const std::string& caption, int answer, const std::function<void()>& meanwhile);

}  // namespace qm::test
