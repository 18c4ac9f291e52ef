#pragma once
// The wizard: the pages of the script's "Display Dialog" lines, loaded before
// the script runs, bound to the variables each time one is shown, and the
// results the user's buttons give back. It is the engine's user interface.
//
// Its work is spread over three files: wizard.cpp shows and hides pages
// (placement, hand-over, the modal wait, the page window's behaviour),
// wizard_binding.cpp fills controls from variables and writes the user's
// changes back, wizard_progress.cpp shows the progress on the current page.

#include <windows.h>

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/subsystems.h"
#include "wizard/feature_tree.h"
#include "wizard/wizard_page.h"

namespace qm {

class Wizard : public UserInterface {
 public:
  Wizard();
  ~Wizard() override;

  void process_messages() override;
  void show_progress(Engine& engine, const ProgressState& progress) override;
  void preload_dialog(Engine& engine, std::size_t line) override;
  DialogOutcome show_dialog(Engine& engine, std::size_t line, bool modal) override;
  void hide_dialog(Engine& engine) override;

  // The page of a "Display Dialog" line, or null (for tests).
  WizardPage* page(std::size_t line) const;

  // Dialog results.
  static constexpr int kPending = -1;
  static constexpr int kNotModal = 0;
  static constexpr int kCancel = 2;
  static constexpr int kNext = 6;
  static constexpr int kBack = 7;
  static constexpr int kCustom = 8;

 private:
  struct Dialog {
    std::unique_ptr<WizardPage> page;
    std::vector<std::string> rules;
    int result = kPending;
    std::string custom;           // the Name of the control that ended the page (custom result)
    bool not_modal = false;
    bool hide_permitted = false;  // the wizard itself is hiding the page
    std::string selected_feature; // the component path last selected in a feature tree or list
    // TARGETDIR as the page showed it, and its part below the nearest
    // existing folder: browsing for a folder keeps that part.
    std::string target_text;
    std::string target_tail;
    // A meta refresh waiting for its time: the viewer, the page it showed
    // when it asked, and the file that replaces it.
    class HtmlViewerControl* refresh_viewer = nullptr;
    std::string refresh_document;
    std::string refresh_target;
  };

  static constexpr UINT_PTR kProgressTimer = 1;
  static constexpr UINT_PTR kMetaRefreshTimer = 2;
  static const char* const kMissingIndexText;

  // --- wizard.cpp: showing pages
  void make_window(Dialog& dialog);
  void present(Dialog& dialog);
  void place(Dialog& dialog);
  void wait_for_result(Dialog& dialog);
  void hide_secondary_windows();
  std::optional<LRESULT> page_message(Dialog& dialog, UINT message, WPARAM wparam, LPARAM lparam);
  void hide_other_taskbar_windows(HWND page);
  Dialog* current_dialog();

  // --- wizard_binding.cpp: controls and variables
  void bind(Dialog& dialog);
  void bind_control(Dialog& dialog, Control& control);
  void bind_caption(Dialog& dialog, Control& control, const char* property);
  void bind_form_caption(Dialog& dialog);
  void bind_edit(Dialog& dialog, Control& edit, bool collapse);
  void bind_memo(Dialog& dialog, Control& memo);
  void bind_list_box(Dialog& dialog, Control& list);
  void bind_combo_box(Dialog& dialog, Control& combo);
  void bind_check_box(Dialog& dialog, Control& box);
  void bind_tree(Dialog& dialog, Control& tree);
  void bind_check_list(Dialog& dialog, Control& list);
  void bind_track_bar(Dialog& dialog, Control& bar);
  void unbind(Dialog& dialog);
  // --- wizard_folder_binding.cpp: file, folder, drive and shell controls
  void bind_folder_control(Dialog& dialog, Control& control);
  void on_folder_choice(Dialog& dialog, Control& control, const std::string& value, const char* handler,
                        const std::string& folder);
  void refresh_folder_control(Control& control, const std::string& value);
  // --- wizard_support_pages.cpp: readme, licence, index page and movie
  void bind_rich_edit(Dialog& dialog, Control& edit);
  void bind_viewer(Dialog& dialog, Control& viewer);
  void bind_movie(Control& frame);
  void on_hot_spot(Control& viewer, EventDetails& details);
  void on_meta_refresh(Dialog& dialog, Control& viewer, EventDetails& details);
  void meta_refresh_due(Dialog& dialog);
  void refresh_from_variables(Dialog& dialog);
  void update_size_texts(Dialog& dialog);
  void apply_rules(Dialog& dialog);
  void capture_target(Dialog& dialog);
  void browse_to_target(Dialog& dialog, const std::string& folder);
  void on_button(Dialog& dialog, Control& control);
  void end_wait(Dialog& dialog, int result);
  void move_focus_after(Dialog& dialog, const Control& control);
  // The first text a control showed (or its translation), from which every
  // display substitutes the variables afresh.
  std::string template_text(const WizardPage& page, const Control& control, const std::string& text);
  std::string translated_template(const WizardPage& page, const Control& control, const std::string& text);
  std::string substituted_template(const WizardPage& page, const Control& control, const std::string& text);
  std::string support_text(const char* base, const std::vector<const char*>& extensions, const std::string& missing);

  Engine* engine_ = nullptr;  // set when the first page is loaded
  std::unique_ptr<FeatureImages> feature_images_;  // made for the first feature tree
  std::map<std::size_t, Dialog> dialogs_;
  std::map<std::string, std::string> template_texts_;  // by page file name and control name
  bool binding_ = false;
  std::optional<std::size_t> remembered_;  // unbound before the next page is bound
  std::optional<std::size_t> current_;     // the page shown without waiting, or being waited for
  HWND shown_ = nullptr;                   // the page on the screen
  HWND unbound_window_ = nullptr;          // the last page unbound, hidden with the next hand-over
  bool recentre_ = true;                   // the next page is centred (at start, and after a size change)
  RECT last_placement_{};
};

std::unique_ptr<UserInterface> make_wizard();

}  // namespace qm
