#pragma once
// Drives the wizard of a running setup program as a user would: finds its
// page, reads the controls' texts, types, ticks, selects and clicks. Controls
// are found by their Name in the page's definition (the window property the
// engine gives every control), so a test reads like the page it drives.

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace qm::test {

class WizardDriver {
 public:
  // The pages of the setup program at `program_path` (a path as the test
  // started it).
  explicit WizardDriver(std::string program_path);

  // Waits up to a minute for a visible page that has a control called
  // `control`; it becomes the page the calls below work on. False when none
  // came.
  bool wait_for_page(const std::string& control);
  HWND page() const { return page_; }
  std::string caption() const;

  // The control of that name on the page (null when there is none).
  HWND control(const std::string& name) const;
  std::string text(const std::string& control) const;
  bool enabled(const std::string& control) const;
  bool checked(const std::string& control) const;
  // The items of a list or combo box.
  std::vector<std::string> items(const std::string& control) const;

  // Replaces an edit's text, as typing it would (the edit reports the change).
  void type(const std::string& control, const std::string& text) const;
  // Clicks a check box or radio button until it shows `ticked`.
  void tick(const std::string& control, bool ticked = true) const;
  // Selects the item with that text in a list or combo box and reports the
  // selection as a user's would be.
  void select(const std::string& control, const std::string& item) const;
  // Clicks a button without waiting for what the click does (it may open a
  // message box).
  void click(const std::string& control) const;

 private:
  std::string program_path_;
  HWND page_ = nullptr;
};

// Presses and releases each key in turn, as typed on the keyboard (it goes
// to whatever has the focus: a popup menu, a page).
void press_keys(std::initializer_list<WORD> keys);

// The Name the engine gave a control's window (empty for other windows).
std::string control_name(HWND window);

}  // namespace qm::test
