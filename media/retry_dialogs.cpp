#include "media/retry_dialogs.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "platform/dialog_form.h"
#include "script/message_catalogue.h"

namespace qm {

namespace {

// The catalogue slots of the dialogs' texts.
namespace slot {
constexpr int kRetryDownloadCaption = 25;
constexpr int kDownloadFailedTryAgain = 26;
constexpr int kProxyGroup = 27;
constexpr int kProxyServer = 28;
constexpr int kProxyPort = 29;
constexpr int kNoMeansExitResumeLater = 30;
constexpr int kYes = 31;
constexpr int kNo = 32;
constexpr int kRetryExtractionCaption = 33;
constexpr int kExtractionFailed = 34;
constexpr int kDownloadFreshCopy = 35;
constexpr int kExtractAgain = 36;
constexpr int kCancelKeepsDownload = 37;
constexpr int kProxyUser = 41;
constexpr int kProxyPassword = 42;
constexpr int kDownloadFailedCheckConnection = 49;
constexpr int kWouldYouLikeTo = 50;
constexpr int kResumeBrokenDownload = 51;
constexpr int kDownloadNewCopy = 52;
constexpr int kCancelMeansExitResumeLater = 53;
}  // namespace slot

constexpr int kClientWidth = 361;
constexpr int kTextWidth = 329;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kFirstButtonLeft = kClientWidth - 16 - 2 * kButtonWidth - 5;
constexpr int kSecondButtonLeft = kClientWidth - 16 - kButtonWidth;
constexpr UINT_PTR kTimeoutTimer = 1;
constexpr const char* kFormProperty = "QuillmoreRetryForm";

// The engine's dialog form with the controls it does not offer itself (group
// boxes, edits, radio buttons) and a timeout. The form's window is
// subclassed for the timer and to keep these controls placed when the form
// moves to a screen of another resolution.
class RetryForm {
 public:
  RetryForm(const std::string& caption, int client_height)
      : form_(caption, kClientWidth, client_height, "Tahoma", 8) {
    SetPropA(window(), kFormProperty, this);
    form_procedure_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RetryForm::procedure)));
  }
  ~RetryForm() {
    SetWindowLongPtrA(window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(form_procedure_));
    RemovePropA(window(), kFormProperty);
  }
  RetryForm(const RetryForm&) = delete;
  RetryForm& operator=(const RetryForm&) = delete;

  HWND window() const { return form_.window(); }
  platform::DialogForm& form() { return form_; }

  HWND add_label(const std::string& text, int left, int top, int width, int height) {
    HWND label = form_.add_label(text, left, top, width, height);
    if (font_source_ == nullptr) font_source_ = label;
    return label;
  }
  // A label that also ends the group of the controls before it, so that the
  // arrow keys stay within a group of radio buttons.
  HWND add_group_end_label(const std::string& text, int left, int top, int width, int height) {
    return add_child("STATIC", text, SS_LEFT | WS_GROUP, 0, 0, {left, top, left + width, top + height});
  }
  // A group box paints only its frame and caption; transparent, it is not
  // clipped out of the form's painting, which fills its inside.
  HWND add_group_box(const std::string& text, int left, int top, int width, int height) {
    return add_child("BUTTON", text, BS_GROUPBOX | WS_GROUP, WS_EX_TRANSPARENT, 0,
                     {left, top, left + width, top + height});
  }
  HWND add_edit(int id, const std::string& text, bool hidden_text, int left, int top, int width) {
    const DWORD style = ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP | (hidden_text ? ES_PASSWORD : 0);
    return add_child("EDIT", text, style, WS_EX_CLIENTEDGE, id, {left, top, left + width, top + 21});
  }
  // `first` opens a group of radio buttons.
  HWND add_radio_button(int id, const std::string& text, bool checked, bool first, int left, int top, int width) {
    const DWORD style = BS_AUTORADIOBUTTON | (first ? WS_GROUP | WS_TABSTOP : 0);
    HWND button = add_child("BUTTON", text, style, 0, id, {left, top, left + width, top + 17});
    SendMessageA(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    return button;
  }
  void add_buttons(const std::string& first, int first_result, const std::string& second, int second_result,
                   int top) {
    form_.add_button(first, first_result, platform::ButtonRole::kDefault, kFirstButtonLeft, top, kButtonWidth,
                     kButtonHeight);
    form_.add_button(second, second_result, platform::ButtonRole::kCancel, kSecondButtonLeft, top, kButtonWidth,
                     kButtonHeight);
  }

  // Once the form is shown, `timeout` later `on_timeout` runs and the form
  // ends as if `result`'s button were pressed.
  void end_after(std::chrono::milliseconds timeout, int result, std::function<void()> on_timeout) {
    timeout_result_ = result;
    on_timeout_ = std::move(on_timeout);
    timeout_ = timeout;
  }

  int show_modal(HWND owner) {
    centre_on(owner);
    if (timeout_result_ != 0) {
      const auto milliseconds = std::clamp<long long>(timeout_.count(), USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
      SetTimer(window(), kTimeoutTimer, static_cast<UINT>(milliseconds), nullptr);
    }
    const int result = form_.show_modal(owner);
    KillTimer(window(), kTimeoutTimer);
    return result;
  }

  static bool checked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

  static std::string text_of(HWND control) {
    const int length = GetWindowTextLengthA(control);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
  }

 private:
  struct Placed {
    HWND control;
    RECT design;
  };

  HWND add_child(const char* window_class, const std::string& text, DWORD style, DWORD extended_style, int id,
                 RECT design) {
    const platform::DpiScale& scale = form_.scale();
    HWND control = CreateWindowExA(extended_style, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                   scale(design.left), scale(design.top), scale(design.right - design.left),
                                   scale(design.bottom - design.top), window(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                   nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(form_font()), FALSE);
    placed_.push_back({control, design});
    return control;
  }

  // The form gives its own controls its font (a new one when the
  // resolution changes); ours take the one its first label has.
  HFONT form_font() const {
    return font_source_ != nullptr ? reinterpret_cast<HFONT>(SendMessageA(font_source_, WM_GETFONT, 0, 0))
                                   : nullptr;
  }

  void place_own_controls() {
    const platform::DpiScale& scale = form_.scale();
    for (const Placed& placed : placed_) {
      const RECT& r = placed.design;
      SetWindowPos(placed.control, nullptr, scale(r.left), scale(r.top), scale(r.right - r.left),
                   scale(r.bottom - r.top), SWP_NOZORDER | SWP_NOACTIVATE);
      SendMessageA(placed.control, WM_SETFONT, reinterpret_cast<WPARAM>(form_font()), TRUE);
    }
  }

  // Over the owner's middle, kept on the owner's screen; without an owner
  // the form stays centred on the screen.
  void centre_on(HWND owner) {
    RECT owner_frame{};
    RECT form_frame{};
    if (owner == nullptr || !GetWindowRect(owner, &owner_frame) || !GetWindowRect(window(), &form_frame)) return;
    const int width = form_frame.right - form_frame.left;
    const int height = form_frame.bottom - form_frame.top;
    int left = (owner_frame.left + owner_frame.right - width) / 2;
    int top = (owner_frame.top + owner_frame.bottom - height) / 2;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) {
      const RECT& area = monitor.rcWork;
      left = std::max<int>(area.left, std::min<int>(left, area.right - width));
      top = std::max<int>(area.top, std::min<int>(top, area.bottom - height));
    }
    SetWindowPos(window(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void time_out() {
    KillTimer(window(), kTimeoutTimer);
    if (on_timeout_) on_timeout_();
    // As a press of the button, so that the form ends the way a user ends it.
    SendMessageA(window(), WM_COMMAND, MAKEWPARAM(timeout_result_, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window(), timeout_result_)));
  }

  // The window procedure gives no context but the window: the form finds
  // itself through a property of its window.
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* form = static_cast<RetryForm*>(GetPropA(window, kFormProperty));
    if (form == nullptr) return DefWindowProcA(window, message, wparam, lparam);
    if (message == WM_TIMER && wparam == kTimeoutTimer) {
      form->time_out();
      return 0;
    }
    const LRESULT result = CallWindowProcA(form->form_procedure_, window, message, wparam, lparam);
    if (message == WM_DPICHANGED) form->place_own_controls();
    return result;
  }

  platform::DialogForm form_;
  WNDPROC form_procedure_ = nullptr;
  HWND font_source_ = nullptr;
  std::vector<Placed> placed_;
  int timeout_result_ = 0;
  std::chrono::milliseconds timeout_{0};
  std::function<void()> on_timeout_;
};

void prepare_controls() { platform::init_common_controls(ICC_STANDARD_CLASSES); }

}  // namespace

ProxyRetryAnswer ask_retry_download_with_proxy(const MessageCatalogue& messages, const ProxySettings& current,
                                               void* owner) {
  prepare_controls();
  RetryForm form(messages.text(slot::kRetryDownloadCaption), 281);
  form.add_label(messages.text(slot::kDownloadFailedTryAgain), 16, 16, kTextWidth, 28);
  form.add_group_box(messages.text(slot::kProxyGroup), 16, 52, kTextWidth, 128);
  const struct {
    int label_slot;
    int id;
    const std::string& value;
  } rows[] = {
      {slot::kProxyServer, retry_control::kServer, current.server},
      {slot::kProxyPort, retry_control::kPort, current.port},
      {slot::kProxyUser, retry_control::kUser, current.user},
      {slot::kProxyPassword, retry_control::kPassword, current.password},
  };
  std::vector<HWND> edits;
  int top = 72;
  for (const auto& row : rows) {
    form.add_label(messages.text(row.label_slot), 28, top + 3, 100, 16);
    edits.push_back(form.add_edit(row.id, row.value, row.id == retry_control::kPassword, 130, top, 203));
    top += 26;
  }
  form.add_group_end_label(messages.text(slot::kNoMeansExitResumeLater), 16, 192, kTextWidth, 42);
  form.add_buttons(messages.text(slot::kYes), IDYES, messages.text(slot::kNo), IDNO, 244);

  ProxyRetryAnswer answer;
  answer.result = form.show_modal(static_cast<HWND>(owner));
  answer.proxy = {RetryForm::text_of(edits[0]), RetryForm::text_of(edits[1]), RetryForm::text_of(edits[2]),
                  RetryForm::text_of(edits[3])};
  return answer;
}

ResumeRetryAnswer ask_retry_download(const MessageCatalogue& messages, void* owner,
                                     std::chrono::milliseconds timeout) {
  prepare_controls();
  RetryForm form(messages.text(slot::kRetryDownloadCaption), 213);
  form.add_label(messages.text(slot::kDownloadFailedCheckConnection), 16, 16, kTextWidth, 28);
  form.add_label(messages.text(slot::kWouldYouLikeTo), 16, 52, kTextWidth, 16);
  HWND resume = form.add_radio_button(retry_control::kResume, messages.text(slot::kResumeBrokenDownload), true,
                                      true, 28, 72, 317);
  form.add_radio_button(retry_control::kNewCopy, messages.text(slot::kDownloadNewCopy), false, false, 28, 94, 317);
  form.add_group_end_label(messages.text(slot::kCancelMeansExitResumeLater), 16, 124, kTextWidth, 42);
  form.add_buttons(messages.text(message::kOkButton), IDOK, messages.text(message::kCancelButton), IDCANCEL, 176);
  form.end_after(timeout, IDOK, nullptr);

  ResumeRetryAnswer answer;
  answer.result = form.show_modal(static_cast<HWND>(owner));
  answer.resume = RetryForm::checked(resume);
  return answer;
}

ExtractRetryAnswer ask_retry_extraction(const MessageCatalogue& messages, void* owner,
                                        std::chrono::milliseconds timeout) {
  prepare_controls();
  RetryForm form(messages.text(slot::kRetryExtractionCaption), 185);
  form.add_label(messages.text(slot::kExtractionFailed), 16, 16, kTextWidth, 28);
  HWND download = form.add_radio_button(retry_control::kDownload, messages.text(slot::kDownloadFreshCopy), true,
                                        true, 28, 56, 317);
  HWND extract =
      form.add_radio_button(retry_control::kExtract, messages.text(slot::kExtractAgain), false, false, 28, 78, 317);
  form.add_group_end_label(messages.text(slot::kCancelKeepsDownload), 16, 108, kTextWidth, 28);
  form.add_buttons(messages.text(message::kOkButton), IDOK, messages.text(message::kCancelButton), IDCANCEL, 148);
  // Nobody there to answer: a fresh download is the choice that can still
  // succeed on its own.
  form.end_after(timeout, IDOK, [download, extract] {
    SendMessageA(download, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(extract, BM_SETCHECK, BST_UNCHECKED, 0);
  });

  ExtractRetryAnswer answer;
  answer.result = form.show_modal(static_cast<HWND>(owner));
  answer.extract = RetryForm::checked(extract);
  return answer;
}

}  // namespace qm
