#pragma once

#include <string>

namespace qm::test {

// Waits (up to 15 s) for a message box with this caption, reads its text and
// presses OK; the text, or "(no message box)".
std::string answer_message_box(const std::string& caption);

}  // namespace qm::test
