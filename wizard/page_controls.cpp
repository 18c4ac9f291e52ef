#include "wizard/page_controls.h"

#include <commctrl.h>

#include <algorithm>

#include "script/ansi_text.h"
#include "script/integer_text.h"
#include "wizard/published_properties.h"

namespace qm {

namespace {

using K = PropertyKind;

bool is(std::string_view property, std::string_view name) { return ascii_equal_ignore_case(property, name); }

HWND make_common_control(const char* window_class, DWORD style, HWND parent, const RECT& bounds) {
  return CreateWindowExA(0, window_class, "", WS_CHILD | style, bounds.left, bounds.top, bounds.right - bounds.left,
                         bounds.bottom - bounds.top, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Arrows that step a number between Min and Max; with an Associate (an edit)
// the arrows sit at its side and the edit shows the number.
class UpDownControl : public Control {
 public:
  using Control::Control;

  void notify(UINT code, LPARAM) override {
    // The arrows report a step to the page as WM_VSCROLL or WM_HSCROLL,
    // passed here with the scroll code; the end of a press is no step.
    if (code != SB_THUMBPOSITION) return;
    raise(ControlEvent::kClick);
  }

  void connect(const std::function<Control*(std::string_view name)>& find) override {
    const std::string& associate = stored("Associate");
    if (associate.empty()) return;
    Control* buddy = find(associate);
    if (buddy == nullptr || buddy == this || buddy->window() == nullptr) return;
    SendMessageA(window(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy->window()), 0);
    // The edit shows the position from the start, as after a step.
    SendMessageA(window(), UDM_SETPOS32, 0, number("Position", 0));
  }

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override {
    DWORD style = UDS_SETBUDDYINT;
    if (stored("ArrowKeys") != "False") style |= UDS_ARROWKEYS;
    if (stored("Wrap") == "True") style |= UDS_WRAP;
    if (stored("Thousands") == "False") style |= UDS_NOTHOUSANDS;
    if (is(stored("Orientation"), "udHorizontal")) style |= UDS_HORZ;
    if (!stored("Associate").empty()) style |= is(stored("AlignButton"), "udLeft") ? UDS_ALIGNLEFT : UDS_ALIGNRIGHT;
    HWND arrows = make_common_control(UPDOWN_CLASSA, style, parent, bounds);
    apply_numbers(arrows);
    return arrows;
  }

  void apply(std::string_view property) override {
    for (const char* name : {"Min", "Max", "Position", "Increment"})
      if (is(property, name)) return apply_numbers(window());
    Control::apply(property);
  }

  std::optional<std::string> live_text(std::string_view property) const override {
    if (is(property, "Position")) return std::to_string(SendMessageA(window(), UDM_GETPOS32, 0, 0));
    return std::nullopt;
  }

 private:
  int number(const char* name, int fallback) const { return parse_integer_text(stored(name)).value_or(fallback); }

  void apply_numbers(HWND arrows) const {
    SendMessageA(arrows, UDM_SETRANGE32, static_cast<WPARAM>(number("Min", 0)), number("Max", 100));
    UDACCEL step{0, static_cast<UINT>(std::max(1, number("Increment", 1)))};
    SendMessageA(arrows, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&step));
    SendMessageA(arrows, UDM_SETPOS32, 0, number("Position", 0));
  }
};

}  // namespace

// --- the page control

std::vector<TabSheetControl*> PageControlControl::sheets() const {
  std::vector<TabSheetControl*> all;
  for (const std::unique_ptr<Control>& child : children())
    if (auto* sheet = dynamic_cast<TabSheetControl*>(child.get())) all.push_back(sheet);
  return all;
}

std::vector<TabSheetControl*> PageControlControl::tabbed_sheets() const {
  std::vector<TabSheetControl*> tabbed;
  for (TabSheetControl* sheet : sheets())
    if (sheet->has_tab()) tabbed.push_back(sheet);
  return tabbed;
}

TabSheetControl* PageControlControl::active_sheet() const {
  const std::vector<TabSheetControl*> tabbed = tabbed_sheets();
  const std::string& wanted = stored("ActivePage");
  for (TabSheetControl* sheet : tabbed)
    if (!wanted.empty() && ascii_equal_ignore_case(sheet->name(), wanted)) return sheet;
  return tabbed.empty() ? nullptr : tabbed.front();
}

void PageControlControl::activate(TabSheetControl* sheet) {
  store("ActivePage", sheet != nullptr ? sheet->name() : std::string());
  show_active();
}

RECT PageControlControl::sheet_area() const {
  RECT area{};
  if (strip_ == nullptr) return area;
  GetClientRect(strip_, &area);
  SendMessageA(strip_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  return area;
}

void PageControlControl::refresh_tabs() {
  if (strip_ == nullptr) return;
  SendMessageA(strip_, TCM_DELETEALLITEMS, 0, 0);
  int index = 0;
  for (TabSheetControl* sheet : tabbed_sheets()) {
    std::string caption = sheet->property_text("Caption").value_or("");
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageA(strip_, TCM_INSERTITEMA, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&item));
  }
  place_sheets();
  show_active();
}

// The sheets fill the area under the tabs, which grows with rows of tabs.
void PageControlControl::place_sheets() {
  const RECT area = sheet_area();
  for (TabSheetControl* sheet : sheets())
    if (sheet->window() != nullptr)
      SetWindowPos(sheet->window(), HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   SWP_NOACTIVATE);
}

void PageControlControl::show_active() {
  TabSheetControl* active = active_sheet();
  const std::vector<TabSheetControl*> tabbed = tabbed_sheets();
  const auto at = std::find(tabbed.begin(), tabbed.end(), active);
  if (strip_ != nullptr)
    SendMessageA(strip_, TCM_SETCURSEL, at == tabbed.end() ? static_cast<WPARAM>(-1) : at - tabbed.begin(), 0);
  // The new sheet shows before the old one goes, so the tabs never stand
  // over an empty area.
  if (active != nullptr && active->window() != nullptr) ShowWindow(active->window(), SW_SHOWNA);
  for (TabSheetControl* sheet : sheets())
    if (sheet != active && sheet->window() != nullptr) ShowWindow(sheet->window(), SW_HIDE);
}

void PageControlControl::notify(UINT code, LPARAM) {
  if (code != TCN_SELCHANGE) return;
  const int chosen = static_cast<int>(SendMessageA(strip_, TCM_GETCURSEL, 0, 0));
  const std::vector<TabSheetControl*> tabbed = tabbed_sheets();
  if (chosen < 0 || chosen >= static_cast<int>(tabbed.size())) return;
  activate(tabbed[static_cast<std::size_t>(chosen)]);
  raise(ControlEvent::kChange);
}

void PageControlControl::connect(const std::function<Control*(std::string_view name)>&) { refresh_tabs(); }

HWND PageControlControl::make_window(HWND parent, const RECT& bounds) {
  HWND host = make_host(parent, bounds);
  if (host == nullptr) return nullptr;
  DWORD style = WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP;
  if (stored("MultiLine") == "True") style |= TCS_MULTILINE;
  if (stored("HotTrack") == "True") style |= TCS_HOTTRACK;
  if (is(stored("TabPosition"), "tpBottom")) style |= TCS_BOTTOM;
  if (is(stored("Style"), "tsButtons")) style |= TCS_BUTTONS;
  if (is(stored("Style"), "tsFlatButtons")) style |= TCS_BUTTONS | TCS_FLATBUTTONS;
  strip_ = make_common_control(WC_TABCONTROLA, style, host, RECT{0, 0, bounds.right - bounds.left,
                                                                   bounds.bottom - bounds.top});
  // The strip's notifications reach the page with the strip's window, which
  // stands for this control there.
  SetWindowLongPtrA(strip_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<Control*>(this)));
  SendMessageA(strip_, WM_SETFONT, reinterpret_cast<WPARAM>(font()), FALSE);
  return host;
}

void PageControlControl::apply(std::string_view property) {
  if (is(property, "ActivePage")) return show_active();
  if (is(property, "TabIndex")) {
    const std::vector<TabSheetControl*> tabbed = tabbed_sheets();
    const int index = parse_integer_text(stored("TabIndex")).value_or(-1);
    if (index >= 0 && index < static_cast<int>(tabbed.size())) activate(tabbed[static_cast<std::size_t>(index)]);
    return;
  }
  if (is(property, "Width") || is(property, "Height")) {
    Control::apply(property);
    RECT client{};
    GetClientRect(window(), &client);
    SetWindowPos(strip_, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    place_sheets();
    return;
  }
  Control::apply(property);
}

std::optional<std::string> PageControlControl::live_text(std::string_view property) const {
  if (is(property, "ActivePage")) {
    const TabSheetControl* active = active_sheet();
    return active != nullptr ? active->name() : std::string();
  }
  if (is(property, "TabIndex")) {
    const std::vector<TabSheetControl*> tabbed = tabbed_sheets();
    const auto at = std::find(tabbed.begin(), tabbed.end(), active_sheet());
    return std::to_string(at == tabbed.end() ? -1 : at - tabbed.begin());
  }
  return std::nullopt;
}

// --- the tab sheet

bool TabSheetControl::has_tab() const { return stored("TabVisible") != "False" && stored("Visible") != "False"; }

PageControlControl* TabSheetControl::page_control() const { return dynamic_cast<PageControlControl*>(parent()); }

HWND TabSheetControl::make_window(HWND parent, const RECT& bounds) {
  // A sheet fills the area under its page control's tabs, wherever the
  // designer left it.
  const PageControlControl* owner = page_control();
  return make_host(parent, owner != nullptr ? owner->sheet_area() : bounds);
}

void TabSheetControl::apply(std::string_view property) {
  PageControlControl* owner = page_control();
  if (owner == nullptr) return Control::apply(property);
  // Only the page control shows and hides its sheets; a caption or a tab
  // that comes or goes changes its tabs.
  if (is(property, "Visible") || is(property, "TabVisible") || is(property, "Caption")) return owner->refresh_tabs();
  if (is(property, "Left") || is(property, "Top") || is(property, "Width") || is(property, "Height")) return;
  Control::apply(property);
}

// --- the classes

std::vector<const ControlClass*> page_control_classes() {
  static const ControlClass page_control{
      "TPageControl", nullptr,
      joined({&control_properties(), &windowed_properties(), &appearance_properties()},
             {{"ActivePage", K::kIdentifier},
              {"TabIndex", K::kInteger, "-1"},
              {"HotTrack", K::kBoolean, "False"},
              {"Images", K::kIdentifier},
              {"MultiLine", K::kBoolean, "False"},
              {"OwnerDraw", K::kBoolean, "False"},
              {"RaggedRight", K::kBoolean, "False"},
              {"ScrollOpposite", K::kBoolean, "False"},
              {"Style", K::kIdentifier, "tsTabs"},
              {"TabHeight", K::kInteger, "0"},
              {"TabPosition", K::kIdentifier, "tpTop"},
              {"TabWidth", K::kInteger, "0"},
              {"OnChange", K::kEvent},
              {"OnChanging", K::kEvent}}),
      [](const ControlClass& control_class) { return std::make_unique<PageControlControl>(control_class); }};
  static const ControlClass tab_sheet{
      "TTabSheet", nullptr,
      joined({&control_properties(), &windowed_properties(), &appearance_properties()},
             {{"Caption", K::kText},
              {"TabVisible", K::kBoolean, "True"},
              {"PageIndex", K::kInteger},
              {"ImageIndex", K::kInteger, "-1"},
              {"Highlighted", K::kBoolean, "False"},
              {"BorderWidth", K::kInteger, "0"},
              {"OnShow", K::kEvent},
              {"OnHide", K::kEvent}}),
      [](const ControlClass& control_class) { return std::make_unique<TabSheetControl>(control_class); }};
  static const ControlClass up_down{
      "TUpDown", nullptr,
      joined({&control_properties(), &windowed_properties()},
             {{"Associate", K::kIdentifier},
              {"AlignButton", K::kIdentifier, "udRight"},
              {"ArrowKeys", K::kBoolean, "True"},
              {"Increment", K::kInteger, "1"},
              {"Min", K::kInteger, "0"},
              {"Max", K::kInteger, "100"},
              {"Position", K::kInteger, "0"},
              {"Orientation", K::kIdentifier, "udVertical"},
              {"Thousands", K::kBoolean, "True"},
              {"Wrap", K::kBoolean, "False"},
              {"OnClick", K::kEvent},
              {"OnChanging", K::kEvent},
              {"OnChangingEx", K::kEvent}}),
      [](const ControlClass& control_class) { return std::make_unique<UpDownControl>(control_class); }};
  return {&page_control, &tab_sheet, &up_down};
}

}  // namespace qm
