#pragma once
// The check-list box (`TCheckListBox`, the wizard's feature list among
// others) and the track bar (`TTrackBar`) of wizard pages.

#include <windows.h>

#include <string>
#include <vector>

#include "wizard/control_class.h"

namespace qm {

std::vector<const ControlClass*> list_control_classes();

// Items with check marks. Raises kClick when the user makes an item the
// current one and kClickCheck when the user ticks or clears a mark; marks
// set by the program raise nothing.
class CheckListBoxControl : public Control {
 public:
  using Control::Control;

  std::vector<std::string> items() const;
  void set_items(const std::vector<std::string>& items);
  bool checked(int index) const;
  void set_checked(int index, bool checked);
  // The current item, or -1.
  int current() const;

  void notify(UINT code, LPARAM details) override;

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override;
  void apply(std::string_view property) override;
  std::optional<std::string> live_text(std::string_view property) const override;

 private:
  void fill(HWND list, const std::vector<std::string>& items);

  bool setting_ = false;  // the program is changing marks or items
};

}  // namespace qm
