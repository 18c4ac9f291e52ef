#pragma once
// Window messages and message boxes shared by the engine's parts.

#include <cstdint>
#include <optional>
#include <string>

namespace qm::platform {

// Handles the window messages waiting for this thread, then returns.
void process_pending_messages();

// Dispatches the window messages waiting for this thread, keeping a WM_QUIT
// aside in `quit` rather than dispatching it, so that whoever waits for a
// worker can post it again afterwards for the caller's own loop.
void dispatch_pending_messages(std::optional<std::uintptr_t>& quit);

// A message box; returns the button pressed (IDOK, IDYES, ...), or 0 when
// Windows could not show it. An owner window that no longer exists gives a
// box without owner.
int show_message_box(const std::string& text, const std::string& caption, unsigned style, void* owner = nullptr);

}  // namespace qm::platform
