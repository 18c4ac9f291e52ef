#pragma once
// The wizard in the notification area: the tray icon that "MessageBalloon"
// and "System Tray" show, hiding the wizard to it and bringing it back.

#include <string>

namespace qm {

struct Engine;

enum class BalloonKind { kInformation, kWarning, kError };

// Makes the tray icon visible with TITLE as its tool tip.
void show_tray_icon(Engine& engine);

// Removes the tray icon (the wizard's window stays as it is).
void remove_tray_icon(Engine& engine);

// Shows a balloon at the tray icon (made visible first).
void show_tray_balloon(Engine& engine, const std::string& title, const std::string& text, BalloonKind kind,
                       unsigned timeout_seconds);

// Hides the current dialog window and marks the wizard as being in the tray.
void hide_to_tray(Engine& engine);

// Shows the current dialog window again, restored and in front.
void restore_from_tray(Engine& engine);

// What a click on the tray icon does: the wizard comes back from the tray,
// or to the front when it was not in the tray.
void tray_icon_clicked(Engine& engine);

}  // namespace qm
