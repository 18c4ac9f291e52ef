#include "wizard/list_controls.h"

#include <commctrl.h>

#include "script/ansi_text.h"
#include "script/integer_text.h"
#include "wizard/published_properties.h"
#include "wizard/standard_controls.h"

namespace qm {

namespace {

using K = PropertyKind;

bool is(std::string_view property, std::string_view name) { return ascii_equal_ignore_case(property, name); }

// The state image of a list view item with check boxes: 1 clear, 2 ticked.
bool is_ticked(UINT state) { return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2; }

// A track bar: the position follows the user, who is told by kChange.
class TrackBarControl : public Control {
 public:
  using Control::Control;
  void notify(UINT code, LPARAM) override {
    // Scrolling reaches the page as WM_HSCROLL or WM_VSCROLL with the bar's
    // window, passed here with the scroll code.
    if (code == TB_ENDTRACK) return;
    const std::string now = std::to_string(SendMessageA(window(), TBM_GETPOS, 0, 0));
    if (now == last_) return;
    last_ = now;
    raise(ControlEvent::kChange);
  }

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override {
    DWORD style = WS_CHILD | WS_TABSTOP | TBS_AUTOTICKS;
    if (is(stored("Orientation"), "trVertical")) style |= TBS_VERT;
    if (is(stored("TickMarks"), "tmTopLeft")) style |= TBS_TOP;
    if (is(stored("TickMarks"), "tmBoth")) style |= TBS_BOTH;
    if (is(stored("TickStyle"), "tsNone")) style |= TBS_NOTICKS;
    HWND bar = CreateWindowExA(0, TRACKBAR_CLASSA, "", style, bounds.left, bounds.top, bounds.right - bounds.left,
                               bounds.bottom - bounds.top, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    apply_numbers(bar);
    return bar;
  }
  void apply(std::string_view property) override {
    for (const char* number : {"Min", "Max", "Position", "Frequency", "PageSize", "LineSize"}) {
      if (is(property, number)) return apply_numbers(window());
    }
    Control::apply(property);
  }
  std::optional<std::string> live_text(std::string_view property) const override {
    if (is(property, "Position")) return std::to_string(SendMessageA(window(), TBM_GETPOS, 0, 0));
    return std::nullopt;
  }

 private:
  void apply_numbers(HWND bar) {
    const auto number = [this](const char* name, int fallback) {
      return parse_integer_text(stored(name)).value_or(fallback);
    };
    SendMessageA(bar, TBM_SETRANGEMIN, FALSE, number("Min", 0));
    SendMessageA(bar, TBM_SETRANGEMAX, FALSE, number("Max", 10));
    SendMessageA(bar, TBM_SETTICFREQ, static_cast<WPARAM>(number("Frequency", 1)), 0);
    SendMessageA(bar, TBM_SETPAGESIZE, 0, number("PageSize", 2));
    SendMessageA(bar, TBM_SETLINESIZE, 0, number("LineSize", 1));
    SendMessageA(bar, TBM_SETPOS, TRUE, number("Position", 0));
    last_ = std::to_string(SendMessageA(bar, TBM_GETPOS, 0, 0));
  }

  std::string last_;
};

}  // namespace

HWND CheckListBoxControl::make_window(HWND parent, const RECT& bounds) {
  const DWORD style = WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
  HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", style, bounds.left, bounds.top,
                              bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
               LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  column.cx = bounds.right - bounds.left - GetSystemMetrics(SM_CXVSCROLL) - 4;
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  fill(list, strings_lines(stored("Items")));
  return list;
}

void CheckListBoxControl::fill(HWND list, const std::vector<std::string>& items) {
  setting_ = true;
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  for (std::size_t i = 0; i < items.size(); ++i) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(items[i].c_str());
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  setting_ = false;
}

void CheckListBoxControl::apply(std::string_view property) {
  if (is(property, "Items")) return set_items(strings_lines(stored("Items")));
  if (is(property, "ItemIndex")) {
    const int index = parse_integer_text(stored("ItemIndex")).value_or(-1);
    setting_ = true;
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(window(), LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    setting_ = false;
    return;
  }
  Control::apply(property);
}

std::optional<std::string> CheckListBoxControl::live_text(std::string_view property) const {
  if (is(property, "Items")) return strings_text(items());
  if (is(property, "ItemIndex")) return std::to_string(current());
  return std::nullopt;
}

std::vector<std::string> CheckListBoxControl::items() const {
  std::vector<std::string> all;
  const LRESULT count = SendMessageA(window(), LVM_GETITEMCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[1024] = {};
    LVITEMA item{};
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(window(), LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    all.emplace_back(text);
  }
  return all;
}

void CheckListBoxControl::set_items(const std::vector<std::string>& items) { fill(window(), items); }

bool CheckListBoxControl::checked(int index) const {
  return is_ticked(static_cast<UINT>(
      SendMessageA(window(), LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK)));
}

void CheckListBoxControl::set_checked(int index, bool ticked) {
  setting_ = true;
  LVITEMA item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
  SendMessageA(window(), LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  setting_ = false;
}

int CheckListBoxControl::current() const {
  return static_cast<int>(SendMessageA(window(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CheckListBoxControl::notify(UINT code, LPARAM details) {
  if (code != LVN_ITEMCHANGED || setting_) return;
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(details);
  if ((change->uChanged & LVIF_STATE) == 0 || change->iItem < 0) return;
  const UINT changed = change->uNewState ^ change->uOldState;
  // The first state image is given as an item is made: no user's doing.
  if ((changed & LVIS_STATEIMAGEMASK) != 0 && (change->uOldState & LVIS_STATEIMAGEMASK) != 0)
    raise(ControlEvent::kClickCheck);
  if ((changed & LVIS_SELECTED) != 0 && (change->uNewState & LVIS_SELECTED) != 0) raise(ControlEvent::kClick);
}

std::vector<const ControlClass*> list_control_classes() {
  static const ControlClass check_list{
      "TCheckListBox", nullptr,
      joined({&control_properties(), &windowed_properties(), &appearance_properties()},
             {{"Items", K::kStrings},
              {"ItemIndex", K::kInteger, "-1"},
              {"AllowGrayed", K::kBoolean, "False"},
              {"BorderStyle", K::kIdentifier, "bsSingle"},
              {"Columns", K::kInteger, "0"},
              {"Flat", K::kBoolean, "True"},
              {"IntegralHeight", K::kBoolean, "False"},
              {"ItemHeight", K::kInteger, "13"},
              {"Sorted", K::kBoolean, "False"},
              {"Style", K::kIdentifier, "lbStandard"},
              {"HeaderColor", K::kIdentifier},
              {"HeaderBackgroundColor", K::kIdentifier},
              {"OnClickCheck", K::kEvent}}),
      [](const ControlClass& control_class) { return std::make_unique<CheckListBoxControl>(control_class); }};
  static const ControlClass track_bar{
      "TTrackBar", nullptr,
      joined({&control_properties(), &windowed_properties()},
             {{"Min", K::kInteger, "0"},
              {"Max", K::kInteger, "10"},
              {"Position", K::kInteger, "0"},
              {"Frequency", K::kInteger, "1"},
              {"PageSize", K::kInteger, "2"},
              {"LineSize", K::kInteger, "1"},
              {"Orientation", K::kIdentifier, "trHorizontal"},
              {"TickMarks", K::kIdentifier, "tmBottomRight"},
              {"TickStyle", K::kIdentifier, "tsAuto"},
              {"SelStart", K::kInteger, "0"},
              {"SelEnd", K::kInteger, "0"},
              {"SliderVisible", K::kBoolean, "True"},
              {"ThumbLength", K::kInteger, "20"},
              {"ShowSelRange", K::kBoolean, "True"},
              {"OnChange", K::kEvent}}),
      [](const ControlClass& control_class) { return std::make_unique<TrackBarControl>(control_class); }};
  return {&check_list, &track_bar};
}

}  // namespace qm
