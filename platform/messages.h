#pragma once
// Window messages and message boxes shared by the engine's parts.

#include <string>

namespace qm::platform {

// Handles the window messages waiting for this thread, then returns.
void process_pending_messages();

// A message box; returns the button pressed (IDOK, IDYES, ...), or 0 when
// Windows could not show it. An owner window that no longer exists gives a
// box without owner.
int show_message_box(const std::string& text, const std::string& caption, unsigned style, void* owner = nullptr);

}  // namespace qm::platform
