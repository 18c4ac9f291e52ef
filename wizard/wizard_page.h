#pragma once
// A wizard page (the form class `TPoolTemplate`): a window whose controls are
// made at run time from a dialog definition.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialog_form.h"
#include "platform/unique_resource.h"
#include "wizard/control.h"
#include "wizard/form_tree.h"

namespace qm {

class WizardPage {
 public:
  // The page a definition describes. Throws FormTextError, naming the file
  // and the line of the component, for a class no definition may use and for
  // a property its class does not have or a value it cannot take.
  static std::unique_ptr<WizardPage> load(const FormComponent& definition, const std::string& file_name);
  ~WizardPage();
  WizardPage(const WizardPage&) = delete;
  WizardPage& operator=(const WizardPage&) = delete;

  // The definition's file name ("welcome.dfm"), which names the page in the
  // text cache and the translations.
  const std::string& file_name() const { return file_name_; }

  // The page itself, as a control: its caption, size and font.
  Control& form() { return *form_; }
  // Every control in definition order (children after their parent).
  std::vector<Control*> controls() const;
  // The control of that name (without regard to case), or null.
  Control* find(std::string_view name) const;

  // Makes the page's window (hidden) and its controls' windows.
  HWND create_window();

  // Sees the messages of the page's own window first; an answer ends their
  // handling (the wizard's close, minimise and timer behaviour).
  using WindowHook = std::function<std::optional<LRESULT>(UINT message, WPARAM wparam, LPARAM lparam)>;
  void set_window_hook(WindowHook hook);
  HWND window() const { return form_->window(); }

 private:
  WizardPage(std::string file_name, std::unique_ptr<Control> form);
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  std::string file_name_;
  std::unique_ptr<Control> form_;
  platform::UniqueGdiObject font_;
};

}  // namespace qm
