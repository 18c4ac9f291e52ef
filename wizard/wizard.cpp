#include "wizard/wizard.h"

#include <windows.h>

#include "engine/engine.h"
#include "engine/progress.h"
#include "engine/tray.h"
#include "platform/working_folder.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/tray_icon.h"
#include "wizard/form_text.h"
#include "wizard/standard_controls.h"

namespace qm {

namespace {

// The page's timer shows the progress record while the engine is busy.
constexpr UINT kProgressInterval = 1000;

int width_of(const RECT& r) { return r.right - r.left; }
int height_of(const RECT& r) { return r.bottom - r.top; }

RECT window_frame(HWND window) {
  RECT frame{};
  GetWindowRect(window, &frame);
  return frame;
}


}  // namespace

Wizard::Wizard() = default;
Wizard::~Wizard() = default;

void Wizard::process_messages() { platform::process_pending_messages(); }

WizardPage* Wizard::page(std::size_t line) const {
  const auto found = dialogs_.find(line);
  return found == dialogs_.end() ? nullptr : found->second.page.get();
}

Wizard::Dialog* Wizard::current_dialog() {
  if (!current_) return nullptr;
  const auto found = dialogs_.find(*current_);
  return found == dialogs_.end() ? nullptr : &found->second;
}

void Wizard::preload_dialog(Engine& engine, std::size_t line) {
  engine_ = &engine;
  const std::string file_name = engine.field(line, 1) + ".dfm";
  const std::string path = engine.startup.support_folder + file_name;
  platform::WorkingFolderScope working_folder(engine.startup.support_folder);
  if (const auto loaded = dialogs_.find(line); loaded != dialogs_.end()) {
    ShowWindow(loaded->second.page->window(), SW_HIDE);
    dialogs_.erase(loaded);
    platform::process_pending_messages();
  }
  Dialog dialog;
  dialog.page = WizardPage::load(read_form_file(path), file_name);
  // A page without a rule file simply has no rules.
  if (const std::optional<std::string> rules = platform::read_whole_file(path + ".qvxf"))
    dialog.rules = strings_lines(*rules);
  dialogs_[line] = std::move(dialog);
}

// A page's window and its controls' windows are made when it is first shown,
// as a form makes its handles when they are first needed: a product of many
// pages starts as soon as its definitions are read.
void Wizard::make_window(Dialog& dialog) {
  if (dialog.page->window() != nullptr) return;
  HWND window = dialog.page->create_window();
  dialog.page->set_window_hook([this, &dialog](UINT message, WPARAM wparam, LPARAM lparam) {
    return page_message(dialog, message, wparam, lparam);
  });
  SetTimer(window, kProgressTimer, kProgressInterval, nullptr);
}

// The page window's own behaviour: it closes only when the wizard hides it,
// minimises to the tray when the tray icon shows, has no Close item, and
// shows the progress record while the engine is busy.
std::optional<LRESULT> Wizard::page_message(Dialog& dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  HWND window = dialog.page->window();
  switch (message) {
    case WM_TIMER:
      if (wparam == kMetaRefreshTimer) {
        meta_refresh_due(dialog);
        return 0;
      }
      if (wparam != kProgressTimer || engine_ == nullptr) return std::nullopt;
      KillTimer(window, kProgressTimer);
      if (engine_->busy) update_progress_display(*engine_, {std::string(kStoredProgress)}, true);
      SetTimer(window, kProgressTimer, kProgressInterval, nullptr);
      return 0;
    case WM_SHOWWINDOW:
      if (wparam == TRUE) {
        EnableMenuItem(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
        capture_target(dialog);
      }
      return std::nullopt;
    case WM_CLOSE:
      if (dialog.hide_permitted || engine_ == nullptr) return 0;
      if (engine_->tray_icon && engine_->tray_icon->visible()) {
        tray_icon_clicked(*engine_);
      } else if (HWND current = static_cast<HWND>(engine_->dialog_window)) {
        ShowWindow(current, SW_SHOW);
        BringWindowToTop(current);
        if (IsIconic(current)) ShowWindow(current, SW_RESTORE);
        SetForegroundWindow(current);
      }
      return 0;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_MINIMIZE && engine_ != nullptr) {
        DefWindowProcA(window, message, wparam, lparam);
        if (engine_->tray_icon && engine_->tray_icon->visible()) hide_to_tray(*engine_);
        return 0;
      }
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

// Consecutive pages of the same size appear where the user last moved the
// wizard; the first page, and one of another size, is centred.
void Wizard::place(Dialog& dialog) {
  HWND window = dialog.page->window();
  const RECT frame = window_frame(window);
  if (!recentre_ && (width_of(frame) != width_of(last_placement_) || height_of(frame) != height_of(last_placement_)))
    recentre_ = true;
  if (recentre_) {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int left = work.left + std::max(0, (width_of(work) - width_of(frame)) / 2);
    const int top = work.top + std::max(0, (height_of(work) - height_of(frame)) / 2);
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    last_placement_ = window_frame(window);
  } else {
    SetWindowPos(window, nullptr, last_placement_.left, last_placement_.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  recentre_ = false;
}

void Wizard::hide_secondary_windows() {
  if (unbound_window_ != nullptr && unbound_window_ != shown_) ShowWindow(unbound_window_, SW_HIDE);
}

void Wizard::present(Dialog& dialog) {
  HWND window = dialog.page->window();
  dialog.hide_permitted = false;
  engine_->dialog_window = window;
  // In the tray the page is only remembered: the tray icon brings it back.
  if (engine_->in_tray) {
    shown_ = window;
    return;
  }
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  if (HWND first = GetNextDlgTabItem(window, nullptr, FALSE)) SetFocus(first);
  platform::process_pending_messages();
  // The old page goes after the new one is up: never an empty screen between.
  if (shown_ != nullptr && shown_ != window) {
    for (auto& [line, other] : dialogs_) {
      if (other.page->window() == shown_) other.hide_permitted = true;
    }
    ShowWindow(shown_, SW_HIDE);
  }
  shown_ = window;
  hide_secondary_windows();
  platform::process_pending_messages();
}

void Wizard::wait_for_result(Dialog& dialog) {
  HWND window = dialog.page->window();
  MSG message;
  while (dialog.result == kPending && GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(window, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  if (dialog.result == kPending) {
    // The message loop was ended (WM_QUIT): leave like a cancel, and let the
    // loop of whoever asked for the end see its request.
    PostQuitMessage(static_cast<int>(message.wParam));
    dialog.result = kCancel;
  }
}

DialogOutcome Wizard::show_dialog(Engine& engine, std::size_t line, bool modal) {
  engine_ = &engine;
  DialogOutcome outcome;
  platform::WorkingFolderScope working_folder(engine.startup.support_folder);
  current_ = line;
  if (engine.silent()) return outcome;
  const auto found = dialogs_.find(line);
  if (found == dialogs_.end()) {
    current_.reset();
    return outcome;
  }
  Dialog& dialog = found->second;
  if (remembered_ && *remembered_ != line) unbind(dialogs_.at(*remembered_));
  remembered_.reset();
  make_window(dialog);
  bind(dialog);

  place(dialog);
  engine.cancel_requested = false;
  dialog.not_modal = !modal;
  // Pending before the page shows: a click may come as soon as it is up.
  dialog.result = kPending;
  dialog.custom.clear();
  present(dialog);
  HWND window = dialog.page->window();
  if (modal) {
    wait_for_result(dialog);
    remembered_ = line;
    current_.reset();
    outcome.result = dialog.result;
    if (dialog.result == kCustom) outcome.custom = dialog.custom;
  } else {
    outcome.result = kNotModal;
    outcome.window = window;
  }
  last_placement_ = window_frame(window);
  return outcome;
}

void Wizard::hide_dialog(Engine& engine) {
  engine_ = &engine;
  if (Dialog* dialog = current_dialog()) {
    HWND window = dialog->page->window();
    dialog->hide_permitted = true;
    last_placement_ = window_frame(window);
    ShowWindow(window, SW_HIDE);
    if (engine.dialog_window == window) engine.dialog_window = nullptr;
    hide_secondary_windows();
    if (shown_ == window) shown_ = nullptr;
  }
  current_.reset();
  platform::process_pending_messages();
}

std::unique_ptr<UserInterface> make_wizard() { return std::make_unique<Wizard>(); }

}  // namespace qm
