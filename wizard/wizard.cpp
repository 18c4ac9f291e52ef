#include "wizard/wizard.h"

#include <windows.h>

#include <algorithm>

#include "engine/engine.h"
#include "platform/file_system.h"
#include "platform/folder_browser.h"
#include "platform/messages.h"
#include "script/ansi_text.h"
#include "script/integer_text.h"
#include "script/path_text.h"
#include "script/truth_text.h"
#include "wizard/dialog_rules.h"
#include "wizard/form_text.h"
#include "wizard/standard_controls.h"

namespace qm {

namespace {

constexpr int kPending = -1;
constexpr int kCancel = 2;
constexpr int kNext = 6;
constexpr int kBack = 7;
constexpr int kCustom = 8;

// Substitutes the variables into a text shown on a page; a reference to a
// variable that does not exist stays as it is written.
std::string substituted(const Engine& engine, const std::string& text) {
  try {
    return engine.variables.expand(text);
  } catch (const std::exception&) {
    return text;
  }
}

std::string collapsed(std::string text) { return normalize_path_text(text); }

std::optional<std::string> hint_value(const Engine& engine, const Control& control) {
  const std::string name = control.hint();
  if (name.empty() || !engine.variables.exists(name)) return std::nullopt;
  return substituted(engine, engine.variables.get(name));
}

void write_hint_variable(Engine& engine, const Control& control, const std::string& value, const char* handler) {
  const std::string name = ansi_upper(control.hint());
  if (!name.empty()) engine.variables.define(name, value, handler);
}

ControlProperties properties_of(WizardPage& page) {
  return {[&page](const std::string& control, const std::string& property) -> std::optional<std::string> {
            Control* found = ascii_equal_ignore_case(control, page.form().name()) ? &page.form() : page.find(control);
            return found == nullptr ? std::nullopt : found->property_text(property);
          },
          [&page](const std::string& control, const std::string& property, const std::string& value) {
            Control* found = ascii_equal_ignore_case(control, page.form().name()) ? &page.form() : page.find(control);
            if (found != nullptr) found->set_property_text(property, value);
          }};
}

}  // namespace

Wizard::Wizard() = default;
Wizard::~Wizard() = default;

void Wizard::process_messages() { platform::process_pending_messages(); }

WizardPage* Wizard::page(std::size_t line) const {
  const auto found = dialogs_.find(line);
  return found == dialogs_.end() ? nullptr : found->second.page.get();
}

void Wizard::preload_dialog(Engine& engine, std::size_t line) {
  const std::string file_name = engine.field(line, 1) + ".dfm";
  const std::string path = engine.startup.support_folder + file_name;
  Dialog dialog;
  dialog.page = WizardPage::load(read_form_file(path), file_name);
  // A page without a rule file simply has no rules.
  if (const std::optional<std::string> rules = platform::read_whole_file(path + ".qvxf"))
    dialog.rules = strings_lines(*rules);
  dialog.page->create_window();
  dialogs_[line] = std::move(dialog);
}

std::string Wizard::template_text(const WizardPage& page, const Control& control, const std::string& text) {
  const std::string key = ansi_upper(page.file_name()) + "|" + ansi_upper(control.name());
  const auto [entry, added] = template_texts_.emplace(key, text);
  (void)added;
  return entry->second;
}

void Wizard::apply_rules(Dialog& dialog) { apply_dialog_rules(dialog.rules, properties_of(*dialog.page)); }

void Wizard::bind(Engine& engine, Dialog& dialog) {
  WizardPage& page = *dialog.page;
  binding_ = true;
  Control& form = page.form();
  std::string caption = substituted(engine, template_text(page, form, form.property_text("Caption").value_or("")));
  const std::string suffix = std::string(" - ") + std::string(kProductName) + " Wizard";
  const bool title_only = engine.variables.exists("VRAKLOGO") && engine.variables.get("VRAKLOGO") == "TRUE";
  if (title_only && caption.ends_with(suffix)) caption.resize(caption.size() - suffix.size());
  if (!title_only && !caption.ends_with(suffix)) caption += suffix;
  form.set_property_text("Caption", caption);

  for (Control* control : page.controls()) {
    const auto show_template = [&](const char* property) {
      const std::string text = template_text(page, *control, control->property_text(property).value_or(""));
      control->set_property_text(property, substituted(engine, text));
    };
    if (control->is_a("TLabel") || control->is_a("TGroupBox") || control->is_a("TStaticText") ||
        control->is_a("TButton") || control->is_a("TPanel")) {
      show_template("Caption");
    }
    if (control->is_a("TButton") || control->is_a("TLabel")) {
      control->set_handler(ControlEvent::kClick,
                           [this, &engine, &dialog](Control& clicked, EventDetails&) { on_button(engine, dialog, clicked); });
    }
    if (control->is_a("TRzCheckBox") || control->is_a("TRzRadioButton")) {
      show_template("Caption");
      if (const auto value = hint_value(engine, *control))
        control->set_property_text("Checked", is_true(*value) ? "True" : "False");
      control->set_handler(ControlEvent::kClick, [this, &engine, &dialog](Control& clicked, EventDetails&) {
        if (binding_) return;
        write_hint_variable(engine, clicked, clicked.property_text("Checked") == "True" ? "TRUE" : "FALSE",
                            "CheckBox1Click");
        apply_rules(dialog);
      });
    }
    if (control->is_a("TStaticText") && control->tag() == 1) {
      const bool known = engine.variables.exists("PROGRESSTEXT");
      control->set_property_text("Caption", known ? engine.variables.get("PROGRESSTEXT") : "");
    }
    if (control->is_a("TProgressBar") && control->tag() == 1 && engine.variables.exists("PROGRESS")) {
      const std::string progress = engine.variables.get("PROGRESS");
      // A value that is no number shows a full bar.
      if (!progress.empty())
        control->set_property_text("Position", std::to_string(std::clamp(parse_integer_text(progress).value_or(100), 0, 100)));
    }
    if (control->is_a("TMemo")) bind_memo(engine, dialog, *control);
    if (control->is_a("TListBox")) bind_list_box(engine, dialog, *control);
    if (control->is_a("TEdit")) {
      const std::string text = template_text(page, *control, control->property_text("Text").value_or(""));
      control->set_property_text("Text", text);
      if (const auto value = hint_value(engine, *control)) control->set_property_text("Text", collapsed(*value));
      if (control->property_text("Text").value_or("").empty()) {
        static const char* const kDefaults[] = {"", "$STARTMENU$", "$TARGETDIR$", "$USERNAME$", "$USERCOMPANY$"};
        const int tag = control->tag();
        if (tag >= 1 && tag <= 4) control->set_property_text("Text", kDefaults[tag]);
      }
      control->set_property_text("Text", collapsed(substituted(engine, control->property_text("Text").value_or(""))));
      control->set_handler(ControlEvent::kChange, [this, &engine, &dialog](Control& changed, EventDetails&) {
        if (binding_) return;
        write_hint_variable(engine, changed, changed.property_text("Text").value_or(""), "Edit1Change");
        apply_rules(dialog);
      });
    }
    if (control->is_a("TComboBox")) {
      if (const auto value = hint_value(engine, *control)) control->set_property_text("Text", *value);
      const auto write = [this, &engine, &dialog](Control& changed, EventDetails&) {
        if (binding_) return;
        write_hint_variable(engine, changed, changed.property_text("Text").value_or(""), "ComboBox1Change");
        apply_rules(dialog);
      };
      control->set_handler(ControlEvent::kChange, write);
    }
  }
  apply_rules(dialog);
  binding_ = false;
}

// A memo shows its variable's text (its lines joined by $NEWLINE$ in the
// variable) or, without one, its own substituted text; only a memo bound to a
// variable can be edited.
void Wizard::bind_memo(Engine& engine, Dialog& dialog, Control& memo) {
  const std::string text = template_text(*dialog.page, memo, memo.property_text("Lines").value_or(""));
  memo.set_property_text("ReadOnly", memo.hint().empty() ? "True" : "False");
  if (const auto value = hint_value(engine, memo)) {
    memo.set_property_text("Lines", collapse_backslash_pairs(*value));
  } else {
    memo.set_property_text("Lines", substituted(engine, text));
  }
  if (memo.hint().empty()) return;
  memo.set_handler(ControlEvent::kChange, [this, &engine, &dialog](Control& changed, EventDetails&) {
    if (binding_) return;
    std::string text = changed.property_text("Text").value_or("");
    std::string joined;
    for (std::size_t at = 0; at < text.size(); ++at) {
      if (text.compare(at, 2, "\r\n") == 0) {
        joined += "$NEWLINE$";
        ++at;
      } else {
        joined += text[at];
      }
    }
    write_hint_variable(engine, changed, joined, "Memo1Change");
    apply_rules(dialog);
  });
}

// A list box shows its substituted items without the empty ones, selects the
// item its variable holds, and writes the selected items back.
void Wizard::bind_list_box(Engine& engine, Dialog& dialog, Control& list) {
  const std::string items = substituted(engine, template_text(*dialog.page, list, list.property_text("Items").value_or("")));
  std::vector<std::string> kept;
  for (std::string& item : strings_lines(items))
    if (!item.empty()) kept.push_back(std::move(item));
  list.set_property_text("Items", strings_text(kept));
  if (const auto value = hint_value(engine, list)) {
    const auto found = std::find(kept.begin(), kept.end(), *value);
    if (found != kept.end()) list.set_property_text("ItemIndex", std::to_string(found - kept.begin()));
  }
  list.set_handler(ControlEvent::kClick, [this, &engine, &dialog](Control& clicked, EventDetails&) {
    if (binding_) return;
    std::string selected;
    for (const std::string& item : clicked.selected_texts()) selected += item + "$NEWLINE$";
    write_hint_variable(engine, clicked, selected, "ListBox1Click");
    apply_rules(dialog);
  });
}

void Wizard::unbind(Dialog& dialog) {
  binding_ = true;
  for (Control* control : dialog.page->controls()) control->clear_handlers();
  apply_rules(dialog);
  binding_ = false;
}

void Wizard::on_button(Engine& engine, Dialog& dialog, Control& control) {
  if (binding_) return;
  // The modal wait sees a result only once GetMessage returns; a click sent
  // from another thread or program is handled inside it, so a posted message
  // wakes the wait.
  const auto end_wait = [&dialog](int result) {
    dialog.result = result;
    PostMessageA(dialog.page->window(), WM_NULL, 0, 0);
  };
  switch (control.tag()) {
    case 1:
      end_wait(kNext);
      break;
    case 2:
      end_wait(kBack);
      break;
    case 3: {
      const int answer = platform::show_message_box(engine.messages.text(message::kConfirmCancel), engine.caption(),
                                                    MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION, dialog.page->window());
      if (answer == IDYES) {
        engine.cancel_requested = true;
        control.set_property_text("Enabled", "False");
        end_wait(kCancel);
      }
      break;
    }
    case 5:
      dialog.custom = control.name();
      end_wait(kCustom);
      break;
    case 6:
      if (const auto folder = platform::browse_for_folder("", dialog.page->window()); folder && !folder->empty())
        engine.variables.define(ansi_upper(control.name()), with_trailing_backslash(*folder),
                                "SetCustomDirectoryEditText");
      break;
    default:
      break;
  }
  apply_rules(dialog);
}

void Wizard::present(Dialog& dialog) {
  HWND window = dialog.page->window();
  RECT frame{};
  GetWindowRect(window, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  // Pages of the same size appear where the user last moved the wizard.
  if (last_placement_ && last_placement_->right - last_placement_->left == width &&
      last_placement_->bottom - last_placement_->top == height) {
    SetWindowPos(window, nullptr, last_placement_->left, last_placement_->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  if (HWND first = GetNextDlgTabItem(window, nullptr, FALSE)) SetFocus(first);
  platform::process_pending_messages();
  // The old page goes after the new one is up: never an empty screen between.
  if (shown_ != nullptr && shown_ != window) ShowWindow(shown_, SW_HIDE);
  shown_ = window;
}

DialogOutcome Wizard::show_dialog(Engine& engine, std::size_t line, bool modal) {
  DialogOutcome outcome;
  if (engine.silent()) return outcome;
  const auto found = dialogs_.find(line);
  if (found == dialogs_.end()) return outcome;
  Dialog& dialog = found->second;
  if (remembered_ && *remembered_ != line) unbind(dialogs_.at(*remembered_));
  remembered_.reset();
  bind(engine, dialog);

  current_ = line;
  engine.cancel_requested = false;
  // Pending before the page shows: a click may come as soon as it is up.
  dialog.result = kPending;
  dialog.custom.clear();
  present(dialog);
  HWND window = dialog.page->window();
  if (!modal) {
    outcome.result = 0;
    outcome.window = window;
    return outcome;
  }
  MSG message;
  while (dialog.result == kPending && GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(window, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  if (dialog.result == kPending) dialog.result = kCancel;  // the message loop was ended
  remembered_ = line;
  current_.reset();
  RECT frame{};
  GetWindowRect(window, &frame);
  last_placement_ = frame;
  outcome.result = dialog.result;
  outcome.custom = dialog.custom;
  return outcome;
}

void Wizard::hide_dialog(Engine&) {
  if (!current_) return;
  const auto found = dialogs_.find(*current_);
  if (found != dialogs_.end()) {
    HWND window = found->second.page->window();
    RECT frame{};
    GetWindowRect(window, &frame);
    last_placement_ = frame;
    ShowWindow(window, SW_HIDE);
    if (shown_ == window) shown_ = nullptr;
  }
  current_.reset();
  platform::process_pending_messages();
}

void Wizard::show_progress(const ProgressValue& progress) {
  if (!current_) return;
  const auto found = dialogs_.find(*current_);
  if (found == dialogs_.end()) return;
  for (Control* control : found->second.page->controls()) {
    if (control->tag() != 1) continue;
    if (control->is_a("TStaticText")) control->set_property_text("Caption", progress.text);
    if (control->is_a("TProgressBar")) control->set_property_text("Position", std::to_string(progress.position));
  }
  apply_rules(found->second);
}

std::unique_ptr<UserInterface> make_wizard() { return std::make_unique<Wizard>(); }

}  // namespace qm
