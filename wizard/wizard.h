#pragma once
// The wizard: the pages of the script's "Display Dialog" lines, loaded before
// the script runs, bound to the variables each time one is shown, and the
// results the user's buttons give back. It is the engine's user interface.

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/subsystems.h"
#include "wizard/wizard_page.h"

namespace qm {

class Wizard : public UserInterface {
 public:
  Wizard();
  ~Wizard() override;

  void process_messages() override;
  void show_progress(const ProgressValue& progress) override;
  void preload_dialog(Engine& engine, std::size_t line) override;
  DialogOutcome show_dialog(Engine& engine, std::size_t line, bool modal) override;
  void hide_dialog(Engine& engine) override;

  // The page of a "Display Dialog" line, or null (for tests).
  WizardPage* page(std::size_t line) const;

 private:
  struct Dialog {
    std::unique_ptr<WizardPage> page;
    std::vector<std::string> rules;
    int result = -1;  // pending
    std::string custom;
  };

  void bind(Engine& engine, Dialog& dialog);
  void bind_memo(Engine& engine, Dialog& dialog, Control& memo);
  void bind_list_box(Engine& engine, Dialog& dialog, Control& list);
  void unbind(Dialog& dialog);
  void apply_rules(Dialog& dialog);
  std::string template_text(const WizardPage& page, const Control& control, const std::string& text);
  void on_button(Engine& engine, Dialog& dialog, Control& control);
  void present(Dialog& dialog);

  std::map<std::size_t, Dialog> dialogs_;
  // The first text each control showed, by page and control: every display
  // substitutes the variables into it afresh.
  std::map<std::string, std::string> template_texts_;
  bool binding_ = false;
  std::optional<std::size_t> remembered_;  // unbound before the next page is bound
  std::optional<std::size_t> current_;     // the page shown without waiting, or being waited for
  HWND shown_ = nullptr;                   // the page on the screen
  std::optional<RECT> last_placement_;
};

std::unique_ptr<UserInterface> make_wizard();

}  // namespace qm
