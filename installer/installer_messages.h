#pragma once
// The engine's answer to Windows Installer's messages while it applies a
// product with no user interface of its own: message boxes for what needs
// the user, the installer's progress reports turned into a position within a
// range, the current action's text, and the user's cancel request passed
// back as "cancel". Runs on the installer worker thread.

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qm {

// Fields 1 to 4 of a progress message ("1: 0 2: 1000 3: 0 4: 1 "): missing
// fields are 0, and all are 0 when one is not an integer.
std::array<std::int64_t, 4> parse_progress_record(std::string_view text);

// Where the installer's progress messages say it stands.
class InstallerProgress {
 public:
  void apply_progress_message(std::string_view text);
  // An action-data message: one step further when the current action counts them.
  void action_data(std::string_view text);
  void action_start(std::string_view text);

  std::int64_t minimum() const { return minimum_; }
  std::int64_t maximum() const { return maximum_; }
  std::int64_t position() const { return position_; }
  const std::string& action_text() const { return action_text_; }

 private:
  std::int64_t minimum_ = 0;
  std::int64_t maximum_ = 0;
  std::int64_t position_ = 0;
  std::int64_t direction_ = 1;
  std::int64_t step_ = 0;
  std::string action_text_;
};

struct InstallerMessageSettings {
  // No message boxes (a silent run).
  bool quiet = false;
  std::string caption;
  HWND owner = nullptr;
};

class InstallerMessageHandler {
 public:
  // Told the action text and the range after every message; answers false
  // when the installation is to be cancelled.
  using ProgressCallback =
      std::function<bool(const std::string& action, std::int64_t minimum, std::int64_t maximum, std::int64_t position)>;
  // Shows a message box (text, style) and gives its answer; 0 when none could
  // be shown. Tests put their own here.
  using MessageBoxFunction = std::function<int(const std::string& text, UINT style)>;

  // Without `message_box`, boxes are Windows' own, owned and titled as the
  // settings say.
  InstallerMessageHandler(InstallerMessageSettings settings, ProgressCallback progress,
                          MessageBoxFunction message_box = {});
  // Windows Installer holds its address while it runs.
  InstallerMessageHandler(const InstallerMessageHandler&) = delete;
  InstallerMessageHandler& operator=(const InstallerMessageHandler&) = delete;

  // The answer to Windows Installer for one message.
  int handle(UINT type, std::string_view text);

  // The text of the last fatal-exit or error message, shown or not.
  const std::string& last_error_message() const { return last_error_message_; }

  // For MsiSetExternalUIA, with this handler as the context.
  static INT CALLBACK external_ui(LPVOID context, UINT type, LPCSTR message);

 private:
  int handle_kind(UINT kind, UINT style, std::string_view text);
  int show_box(std::string_view title, std::string_view text, UINT style, UINT icon, int quiet_answer);

  InstallerMessageSettings settings_;
  ProgressCallback progress_callback_;
  MessageBoxFunction message_box_;
  InstallerProgress progress_;
  std::string last_error_message_;
};

}  // namespace qm
