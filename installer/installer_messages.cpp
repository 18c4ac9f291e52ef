#include "installer/installer_messages.h"

#include "script/integer_text.h"

namespace qm {

namespace {

constexpr UINT kKindMask = 0xFF000000;
constexpr UINT kStyleMask = 0x00FFFFFF;

// Message kinds (the type's high byte).
enum : UINT {
  kFatalExit = 0x00000000,
  kError = 0x01000000,
  kWarning = 0x02000000,
  kUserRequest = 0x03000000,
  kInformation = 0x04000000,
  kFilesInUse = 0x05000000,
  kResolveSource = 0x06000000,
  kOutOfDiskSpace = 0x07000000,
  kActionStart = 0x08000000,
  kActionData = 0x09000000,
  kProgress = 0x0A000000,
  kCommonData = 0x0B000000,
  kInitialize = 0x0C000000,
  kTerminate = 0x0D000000,
  kShowDialog = 0x0E000000,
  kRestartManagerFilesInUse = 0x19000000,
};

std::int64_t magnitude(std::int64_t value) { return value < 0 ? -value : value; }

}  // namespace

std::array<std::int64_t, 4> parse_progress_record(std::string_view text) {
  std::array<std::int64_t, 4> fields{};
  for (std::int64_t& field : fields) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) break;
    text.remove_prefix(std::min(text.size(), colon + 2));
    const std::size_t blank = text.find(' ');
    const std::optional<std::int64_t> value = parse_integer_text_64(text.substr(0, blank));
    if (!value) return {};
    field = *value;
  }
  return fields;
}

void InstallerProgress::apply_progress_message(std::string_view text) {
  if (text.empty()) return;
  const auto [kind, amount, option, unused] = parse_progress_record(text);
  switch (kind) {
    case 0:  // reset: a new total, counted forwards or backwards
      minimum_ = 0;
      if (amount != 0) maximum_ = magnitude(amount);
      position_ = 0;
      if (option == 0) direction_ = 1;
      if (option == 1) direction_ = -1;
      break;
    case 1:  // action info: whether action-data messages advance the bar, and by how much
      if (option == 0) step_ = 0;
      if (option == 1) step_ = amount;
      break;
    case 2:  // progress report
      position_ += direction_ * amount;
      break;
    case 3:  // more to do than the reset said
      maximum_ += magnitude(amount);
      break;
    default:
      break;
  }
}

void InstallerProgress::action_data(std::string_view text) {
  action_text_ = text;
  position_ += step_;
}

// "Action 12:00:00: InstallFiles. Copying new files" shows "Copying new files".
void InstallerProgress::action_start(std::string_view text) {
  const std::size_t dot = text.find('.');
  action_text_ = dot == std::string_view::npos ? text : text.substr(std::min(text.size(), dot + 2));
}

InstallerMessageHandler::InstallerMessageHandler(InstallerMessageSettings settings, ProgressCallback progress,
                                                 MessageBoxFunction message_box)
    : settings_(std::move(settings)), progress_callback_(std::move(progress)), message_box_(std::move(message_box)) {}

int InstallerMessageHandler::show_box(std::string_view title, std::string_view text, UINT style, UINT icon,
                                      int quiet_answer) {
  if (settings_.quiet) return quiet_answer;
  std::string shown(title);
  if (!shown.empty()) shown += "\r\r";
  shown += text;
  const int answer = message_box_ ? message_box_(shown, style | icon)
                                  : MessageBoxA(settings_.owner, shown.c_str(), settings_.caption.c_str(), style | icon);
  // Windows answers 0 when it cannot show the box; so does Wine's -1.
  return answer < 0 ? 0 : answer;
}

int InstallerMessageHandler::handle_kind(UINT kind, UINT style, std::string_view text) {
  switch (kind) {
    case kFatalExit:
      last_error_message_ = text;
      return show_box("Fatal Error", text, style, MB_ICONSTOP, 0);
    case kError:
      last_error_message_ = text;
      return show_box("Error", text, style, MB_ICONSTOP, 1);
    case kWarning:
      return show_box("Warning", text, style, MB_ICONEXCLAMATION, 1);
    case kUserRequest:
      return show_box("", text, style, MB_ICONQUESTION, 1);
    case kFilesInUse:
    case kRestartManagerFilesInUse:
      return show_box("Files in Use", text, style, MB_ICONEXCLAMATION, 1);
    case kOutOfDiskSpace:
      return show_box("Out of Disk Space", text, style, MB_ICONSTOP, 1);
    case kResolveSource:
      return 0;  // Windows Installer finds the source itself
    case kActionStart:
      progress_.action_start(text);
      return 1;
    case kActionData:
      progress_.action_data(text);
      return 1;
    case kProgress:
      progress_.apply_progress_message(text);
      return 1;
    case kInformation:
    case kCommonData:
    case kInitialize:
    case kTerminate:
    case kShowDialog:
      return 1;
    default:
      return 0;
  }
}

int InstallerMessageHandler::handle(UINT type, std::string_view text) {
  int answer = handle_kind(type & kKindMask, type & kStyleMask, text);
  if (progress_callback_ &&
      !progress_callback_(progress_.action_text(), progress_.minimum(), progress_.maximum(), progress_.position()))
    answer = IDCANCEL;
  return answer;
}

// Nothing may unwind into Windows Installer: a failure of ours (no memory
// for a text) answers "no action taken".
INT CALLBACK InstallerMessageHandler::external_ui(LPVOID context, UINT type, LPCSTR message) {
  try {
    return static_cast<InstallerMessageHandler*>(context)->handle(type, message ? message : "");
  } catch (...) {
    return 0;
  }
}

}  // namespace qm
