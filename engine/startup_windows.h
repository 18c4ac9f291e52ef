#pragma once
// The windows a setup shows while it prepares: the product's splash picture
// (setup.bmp beside the engine, when there is one) and the small "preparing"
// window with a progress bar for the dialogs being loaded.

#include <memory>
#include <string>

namespace qm {

class StartupWindows {
 public:
  // Shows the windows; `splash_picture` may name a missing file.
  StartupWindows(const std::string& splash_picture, const std::string& caption, const std::string& text);
  ~StartupWindows();
  StartupWindows(const StartupWindows&) = delete;
  StartupWindows& operator=(const StartupWindows&) = delete;

  void set_progress_range(int maximum);
  void set_progress(int position);
  void step_progress();
  // The preparing window, as owner of start-up message boxes.
  void* preparing_window() const;

 private:
  struct Windows;
  std::unique_ptr<Windows> windows_;
};

}  // namespace qm
