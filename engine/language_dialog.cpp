#include "engine/language_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include "platform/dialog_form.h"
#include "script/message_catalogue.h"

namespace qm {

namespace {

// The form's layout, in 96-dpi pixels.
constexpr int kClientWidth = 241;
constexpr int kClientHeight = 127;
constexpr int kLanguageListId = 100;

}  // namespace

std::optional<std::string> ask_for_language(const MessageCatalogue& messages, const std::vector<std::string>& languages,
                                            int preselected, void* owner) {
  platform::init_common_controls(ICC_STANDARD_CLASSES);
  platform::DialogForm form(messages.text(message::kSelectLanguageCaption), kClientWidth, kClientHeight, "Tahoma",
                            8);
  form.add_icon(platform::engine_window_icon(), 16, 16);
  form.add_label(messages.text(message::kSelectLanguagePrompt), 56, 16, 169, 33);
  HWND list = form.add_drop_down_list(kLanguageListId, languages, preselected, 56, 56, 169);
  form.add_button(messages.text(message::kOkButton), IDOK, platform::ButtonRole::kDefault, 72, 88, 75, 25);
  form.add_button(messages.text(message::kCancelButton), IDCANCEL, platform::ButtonRole::kCancel, 152, 88, 75, 25);
  if (form.show_modal(static_cast<HWND>(owner)) != IDOK) return std::nullopt;
  return platform::DialogForm::selected_text(list);
}

}  // namespace qm
