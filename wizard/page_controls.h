#pragma once
// Tabbed pages (`TPageControl` holding `TTabSheet`s) and the up-down arrows
// (`TUpDown`) of wizard pages.

#include <windows.h>

#include <string>
#include <vector>

#include "wizard/container_control.h"
#include "wizard/control_class.h"

namespace qm {

std::vector<const ControlClass*> page_control_classes();

class TabSheetControl;

// A row of tabs above the sheets it holds; one sheet shows at a time. The
// tabs are the sheets whose TabVisible is True, captioned with their
// Caption. ActivePage names the sheet that shows (the first tab without it);
// the user's choice of a tab raises kChange.
class PageControlControl : public ContainerControl {
 public:
  using ContainerControl::ContainerControl;

  std::vector<TabSheetControl*> sheets() const;
  // The sheet that shows, or null when no sheet has a tab.
  TabSheetControl* active_sheet() const;
  void activate(TabSheetControl* sheet);
  // The tabs made afresh from the sheets' captions and TabVisible.
  void refresh_tabs();
  // Where the sheets lie, in the page control's pixels.
  RECT sheet_area() const;

  void notify(UINT code, LPARAM details) override;
  void connect(const std::function<Control*(std::string_view name)>& find) override;

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override;
  void apply(std::string_view property) override;
  std::optional<std::string> live_text(std::string_view property) const override;

 private:
  std::vector<TabSheetControl*> tabbed_sheets() const;
  void show_active();
  void place_sheets();

  HWND strip_ = nullptr;  // the tabs, behind the sheets
};

class TabSheetControl : public ContainerControl {
 public:
  using ContainerControl::ContainerControl;
  bool has_tab() const;

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override;
  void apply(std::string_view property) override;

 private:
  PageControlControl* page_control() const;
};

}  // namespace qm
