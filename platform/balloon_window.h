#pragma once
// The engine's own balloon: a small top-most window with an icon, a bold
// title and the text, near the notification area, for a system that will
// not show a balloon at a tray icon. It goes after its time, or when the
// user clicks it.

#include <windows.h>

#include <string>

#include "platform/unique_resource.h"

namespace qm::platform {

enum class BalloonIcon { kInformation, kWarning, kError };

class BalloonWindow {
 public:
  BalloonWindow() = default;
  ~BalloonWindow();
  BalloonWindow(const BalloonWindow&) = delete;
  BalloonWindow& operator=(const BalloonWindow&) = delete;

  // Shows the balloon (replacing one still up) at the bottom right of the
  // work area, for `timeout_ms`. False when the window cannot be made.
  bool show(const std::string& title, const std::string& text, BalloonIcon icon, unsigned timeout_ms);
  void close();
  bool visible() const;
  HWND window() const { return window_.get(); }

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void paint(HDC dc) const;
  // The balloon's size for its texts, and where the text goes inside it.
  SIZE layout(HDC dc);

  UniqueWindow window_;
  UniqueGdiObject title_font_;
  UniqueGdiObject text_font_;
  std::string title_;
  std::string text_;
  BalloonIcon icon_ = BalloonIcon::kInformation;
  RECT title_box_{};
  RECT text_box_{};
  int dpi_ = 96;
};

}  // namespace qm::platform
