#pragma once
// An icon in the notification area, with the balloon Windows shows beside
// it. Clicks on the icon reach the callback; when Explorer restarts (and
// forgets every icon), a visible icon puts itself back.

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "platform/balloon_window.h"
#include "platform/unique_resource.h"

namespace qm::platform {

class TrayIcon {
 public:
  // `on_click` runs on this thread for a click or double click on the icon.
  explicit TrayIcon(std::function<void()> on_click);
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Shows the icon (the engine's own) with `hint` as its tool tip; false when
  // the notification area refused it.
  bool show(const std::string& hint);
  void hide();
  bool visible() const { return visible_; }

  // Shows a balloon at the (visible) icon for `timeout_ms`; where the
  // notification area will not show it (there is none, or it refused the
  // icon), the engine's own balloon shows instead. False when neither could.
  bool show_balloon(const std::string& title, const std::string& text, BalloonIcon icon, unsigned timeout_ms);
  // The engine's own balloon, when it stands in for the system's.
  const BalloonWindow& own_balloon() const { return own_balloon_; }

  // The hidden window that receives the icon's messages (for tests).
  HWND window() const { return window_.get(); }
  static constexpr UINT kCallbackMessage = WM_APP + 0x51;

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  NOTIFYICONDATAA data(UINT flags) const;

  std::function<void()> on_click_;
  UniqueWindow window_;
  UINT taskbar_created_ = 0;
  std::string hint_;
  bool visible_ = false;
  BalloonWindow own_balloon_;
};

}  // namespace qm::platform
