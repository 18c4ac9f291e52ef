#include "wizard/standard_controls.h"

#include <commctrl.h>

#include "platform/window_class.h"
#include "script/ansi_text.h"
#include "script/integer_text.h"
#include "script/translations.h"
#include "wizard/container_control.h"
#include "wizard/published_properties.h"

namespace qm {

namespace {

using K = PropertyKind;

bool is(std::string_view property, std::string_view name) { return ascii_equal_ignore_case(property, name); }

std::string window_text(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(length, 0)));
  return text;
}

HWND make_child(const char* window_class, const std::string& text, DWORD style, DWORD extended, HWND parent,
                const RECT& bounds) {
  return CreateWindowExA(extended, window_class, text.c_str(), WS_CHILD | style, bounds.left, bounds.top,
                         bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

// --- text controls

class LabelControl : public Control {
 public:
  using Control::Control;
  void notify(UINT code, LPARAM) override {
    if (code == STN_CLICKED) raise(ControlEvent::kClick);
  }

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override {
    return make_child("STATIC", stored("Caption"), style(), 0, parent, bounds);
  }
  void apply(std::string_view property) override {
    if (is(property, "Alignment") || is(property, "WordWrap") || is(property, "ShowAccelChar")) {
      SetWindowLongPtrA(window(), GWL_STYLE, WS_CHILD | style() | (IsWindowVisible(window()) ? WS_VISIBLE : 0));
      InvalidateRect(window(), nullptr, TRUE);
      return;
    }
    Control::apply(property);
  }

 private:
  DWORD style() const {
    DWORD style = SS_NOTIFY;
    const std::string& alignment = stored("Alignment");
    if (is(alignment, "taCenter")) style |= SS_CENTER;
    else if (is(alignment, "taRightJustify")) style |= SS_RIGHT;
    else style |= stored("WordWrap") == "True" ? SS_LEFT : SS_LEFTNOWORDWRAP;
    if (stored("ShowAccelChar") == "False") style |= SS_NOPREFIX;
    return style;
  }
};

class StaticTextControl : public LabelControl {
 public:
  using LabelControl::LabelControl;
};

class EditControl : public Control {
 public:
  using Control::Control;
  void notify(UINT code, LPARAM) override {
    if (code == EN_CHANGE) raise(ControlEvent::kChange);
  }

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override {
    DWORD style = WS_TABSTOP | ES_AUTOHSCROLL;
    if (stored("ReadOnly") == "True") style |= ES_READONLY;
    HWND edit = make_child("EDIT", stored("Text"), style, WS_EX_CLIENTEDGE, parent, bounds);
    SendMessageA(edit, EM_LIMITTEXT, static_cast<WPARAM>(max_length()), 0);
    apply_password_character(edit);
    return edit;
  }
  void apply(std::string_view property) override {
    if (is(property, "MaxLength")) {
      SendMessageA(window(), EM_LIMITTEXT, static_cast<WPARAM>(max_length()), 0);
    } else if (is(property, "ReadOnly")) {
      SendMessageA(window(), EM_SETREADONLY, stored("ReadOnly") == "True", 0);
    } else if (is(property, "PasswordChar")) {
      apply_password_character(window());
    } else {
      Control::apply(property);
    }
  }
  std::optional<std::string> live_text(std::string_view property) const override {
    if (is(property, "Text")) return window_text(window());
    return std::nullopt;
  }

 private:
  int max_length() const { return std::max(0, parse_integer_text(stored("MaxLength")).value_or(0)); }
  // "#0" (no character) or a character, as the designer writes a Char.
  void apply_password_character(HWND edit) const {
    const std::string& text = stored("PasswordChar");
    char character = 0;
    if (text.size() == 1) character = text[0];
    else if (text.size() > 1 && text[0] == '#') character = static_cast<char>(parse_integer_text(text.substr(1)).value_or(0));
    SendMessageA(edit, EM_SETPASSWORDCHAR, static_cast<unsigned char>(character), 0);
  }
};

class MemoControl : public Control {
 public:
  using Control::Control;
  void notify(UINT code, LPARAM) override {
    if (code == EN_CHANGE) raise(ControlEvent::kChange);
  }

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override {
    DWORD style = WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | scroll_bars();
    if (stored("WordWrap") == "False") style |= ES_AUTOHSCROLL;
    if (stored("ReadOnly") == "True") style |= ES_READONLY;
    return make_child("EDIT", without_last_line_end(stored("Lines")), style, WS_EX_CLIENTEDGE, parent, bounds);
  }
  void apply(std::string_view property) override {
    if (is(property, "Lines") || is(property, "Text")) {
      SetWindowTextA(window(), without_last_line_end(stored(property)).c_str());
    } else if (is(property, "ReadOnly")) {
      SendMessageA(window(), EM_SETREADONLY, stored("ReadOnly") == "True", 0);
    } else {
      Control::apply(property);
    }
  }
  std::optional<std::string> live_text(std::string_view property) const override {
    if (is(property, "Lines")) return strings_text(strings_lines(window_text(window())));
    if (is(property, "Text")) return window_text(window());
    return std::nullopt;
  }

 private:
  DWORD scroll_bars() const {
    const std::string& bars = stored("ScrollBars");
    if (is(bars, "ssVertical")) return WS_VSCROLL;
    if (is(bars, "ssHorizontal")) return WS_HSCROLL;
    if (is(bars, "ssBoth")) return WS_VSCROLL | WS_HSCROLL;
    return 0;
  }
  static std::string without_last_line_end(std::string text) {
    if (text.size() >= 2 && text.ends_with("\r\n")) text.resize(text.size() - 2);
    return text;
  }
};

// --- buttons

class ButtonControl : public Control {
 public:
  using Control::Control;
  void notify(UINT code, LPARAM) override {
    if (code == BN_CLICKED) raise(ControlEvent::kClick);
  }

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override {
    const DWORD kind = stored("Default") == "True" ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    return make_child("BUTTON", stored("Caption"), WS_TABSTOP | kind | BS_MULTILINE, 0, parent, bounds);
  }
};

class CheckControl : public Control {
 public:
  CheckControl(const ControlClass& control_class, DWORD kind) : Control(control_class), kind_(kind) {}
  void notify(UINT code, LPARAM) override {
    if (code == BN_CLICKED) raise(ControlEvent::kClick);
  }

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override {
    DWORD style = WS_TABSTOP | kind_ | BS_MULTILINE;
    if (is(stored("Alignment"), "taLeftJustify")) style |= BS_LEFTTEXT | BS_RIGHTBUTTON;
    HWND button = make_child("BUTTON", stored("Caption"), style, 0, parent, bounds);
    SendMessageA(button, BM_SETCHECK, stored("Checked") == "True" ? BST_CHECKED : BST_UNCHECKED, 0);
    return button;
  }
  void apply(std::string_view property) override {
    if (is(property, "Checked")) {
      SendMessageA(window(), BM_SETCHECK, stored("Checked") == "True" ? BST_CHECKED : BST_UNCHECKED, 0);
      return;
    }
    Control::apply(property);
  }
  std::optional<std::string> live_text(std::string_view property) const override {
    if (is(property, "Checked"))
      return std::string(SendMessageA(window(), BM_GETCHECK, 0, 0) == BST_CHECKED ? "True" : "False");
    return std::nullopt;
  }

 private:
  DWORD kind_;
};

// --- lists

class ListBoxControl : public Control {
 public:
  using Control::Control;
  void notify(UINT code, LPARAM) override {
    if (code == LBN_SELCHANGE) raise(ControlEvent::kClick);
  }
  std::vector<std::string> selected_texts() const override {
    std::vector<std::string> selected;
    const std::vector<std::string> all = items();
    for (std::size_t i = 0; i < all.size(); ++i)
      if (SendMessageA(window(), LB_GETSEL, static_cast<WPARAM>(i), 0) > 0) selected.push_back(all[i]);
    return selected;
  }

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override {
    DWORD style = WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    if (stored("MultiSelect") == "True") style |= stored("ExtendedSelect") == "False" ? LBS_MULTIPLESEL : LBS_EXTENDEDSEL;
    if (stored("Sorted") == "True") style |= LBS_SORT;
    HWND list = make_child("LISTBOX", "", style, WS_EX_CLIENTEDGE, parent, bounds);
    fill(list);
    return list;
  }
  void apply(std::string_view property) override {
    if (is(property, "Items")) {
      fill(window());
    } else if (is(property, "ItemIndex")) {
      SendMessageA(window(), LB_SETCURSEL, static_cast<WPARAM>(item_index()), 0);
    } else {
      Control::apply(property);
    }
  }
  std::optional<std::string> live_text(std::string_view property) const override {
    if (is(property, "ItemIndex")) return std::to_string(SendMessageA(window(), LB_GETCURSEL, 0, 0));
    if (is(property, "Items")) return strings_text(items());
    return std::nullopt;
  }

 private:
  int item_index() const { return parse_integer_text(stored("ItemIndex")).value_or(-1); }
  void fill(HWND list) const {
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& item : strings_lines(stored("Items")))
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(item_index()), 0);
  }
  std::vector<std::string> items() const {
    std::vector<std::string> lines;
    const LRESULT count = SendMessageA(window(), LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      const LRESULT length = SendMessageA(window(), LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
      std::string item(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
      SendMessageA(window(), LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
      item.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
      lines.push_back(std::move(item));
    }
    return lines;
  }
};

class ComboBoxControl : public Control {
 public:
  using Control::Control;
  void notify(UINT code, LPARAM) override {
    if (code == CBN_SELCHANGE) {
      raise(ControlEvent::kClick);
      raise(ControlEvent::kChange);
    } else if (code == CBN_EDITCHANGE) {
      raise(ControlEvent::kChange);
    }
  }

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override {
    const std::string& style_name = stored("Style");
    DWORD style = WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL;
    style |= is(style_name, "csDropDownList") ? CBS_DROPDOWNLIST : is(style_name, "csSimple") ? CBS_SIMPLE : CBS_DROPDOWN;
    if (stored("Sorted") == "True") style |= CBS_SORT;
    // The height a combo box is made with bounds its open list.
    RECT with_list = bounds;
    with_list.bottom = bounds.top + scale()(200);
    HWND combo = make_child("COMBOBOX", "", style, 0, parent, with_list);
    fill(combo);
    return combo;
  }
  void apply(std::string_view property) override {
    if (is(property, "Items")) {
      fill(window());
    } else if (is(property, "ItemIndex")) {
      SendMessageA(window(), CB_SETCURSEL, static_cast<WPARAM>(parse_integer_text(stored("ItemIndex")).value_or(-1)), 0);
    } else if (is(property, "Text")) {
      select_text(window(), stored("Text"));
    } else {
      Control::apply(property);
    }
  }
  std::optional<std::string> live_text(std::string_view property) const override {
    if (is(property, "Text")) return window_text(window());
    if (is(property, "ItemIndex")) return std::to_string(SendMessageA(window(), CB_GETCURSEL, 0, 0));
    return std::nullopt;
  }

 private:
  void fill(HWND combo) const {
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : strings_lines(stored("Items")))
      SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    const int index = parse_integer_text(stored("ItemIndex")).value_or(-1);
    if (index >= 0) SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    else select_text(combo, stored("Text"));
  }
  // A drop-down list shows only its items: the text selects the item it
  // equals; other combo boxes show any text.
  void select_text(HWND combo, const std::string& text) const {
    if (is(stored("Style"), "csDropDownList")) {
      SendMessageA(combo, CB_SETCURSEL,
                   static_cast<WPARAM>(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                    reinterpret_cast<LPARAM>(text.c_str()))),
                   0);
    } else {
      SetWindowTextA(combo, text.c_str());
    }
  }
};

// --- frames

class GroupBoxControl : public ContainerControl {
 public:
  using ContainerControl::ContainerControl;
  // An etched frame with the caption set into its top edge, drawn by us:
  // a themed group box window under the children paints its inside over
  // them where the theme gives it no transparency.
  void paint(HDC dc, const RECT& client) override {
    HGDIOBJ old_font = SelectObject(dc, font());
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    RECT frame = client;
    frame.top += metrics.tmHeight / 2;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    const std::string caption = stored("Caption");
    if (!caption.empty()) {
      SIZE extent{};
      GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
      const int inset = scale()(8);
      RECT label{client.left + inset - 2, client.top, client.left + inset + extent.cx + 2, client.top + metrics.tmHeight};
      FillRect(dc, &label, background_brush());
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, IsWindowEnabled(window()) ? text_colour() : GetSysColor(COLOR_GRAYTEXT));
      TextOutA(dc, client.left + inset, client.top, caption.c_str(), static_cast<int>(caption.size()));
    }
    SelectObject(dc, old_font);
  }

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override { return make_host(parent, bounds); }
  void apply(std::string_view property) override {
    if (is(property, "Caption")) {
      InvalidateRect(window(), nullptr, TRUE);
      return;
    }
    Control::apply(property);
  }
};

class PanelControl : public ContainerControl {
 public:
  using ContainerControl::ContainerControl;
  void paint(HDC dc, const RECT& client) override {
    RECT area = client;
    const auto edge = [](const std::string& bevel) -> UINT {
      if (is(bevel, "bvLowered")) return BDR_SUNKENOUTER;
      if (is(bevel, "bvRaised")) return BDR_RAISEDINNER;
      return 0;
    };
    if (const UINT outer = edge(stored("BevelOuter"))) DrawEdge(dc, &area, outer, BF_RECT | BF_ADJUST);
    if (const UINT inner = edge(stored("BevelInner"))) DrawEdge(dc, &area, inner, BF_RECT | BF_ADJUST);
    if (stored("ShowCaption") == "False" || stored("Caption").empty()) return;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text_colour());
    HGDIOBJ old = SelectObject(dc, font());
    std::string caption = stored("Caption");
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
  }

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override { return make_host(parent, bounds); }
  void apply(std::string_view property) override {
    if (is(property, "Caption") || is(property, "BevelOuter") || is(property, "BevelInner")) {
      InvalidateRect(window(), nullptr, TRUE);
      return;
    }
    Control::apply(property);
  }
};

class BevelControl : public Control {
 public:
  using Control::Control;

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override {
    const std::string& shape = stored("Shape");
    DWORD style = SS_ETCHEDFRAME;
    if (is(shape, "bsTopLine") || is(shape, "bsBottomLine")) style = SS_ETCHEDHORZ;
    if (is(shape, "bsLeftLine") || is(shape, "bsRightLine")) style = SS_ETCHEDVERT;
    RECT placed = bounds;
    if (is(shape, "bsBottomLine")) placed.top = placed.bottom - 2;
    if (is(shape, "bsRightLine")) placed.left = placed.right - 2;
    return make_child("STATIC", "", style, 0, parent, placed);
  }
};

class ProgressBarControl : public Control {
 public:
  using Control::Control;

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override {
    DWORD style = 0;
    if (stored("Smooth") == "True") style |= PBS_SMOOTH;
    if (is(stored("Orientation"), "pbVertical")) style |= PBS_VERTICAL;
    HWND bar = make_child(PROGRESS_CLASSA, "", style, 0, parent, bounds);
    apply_range(bar);
    apply_style(bar);
    return bar;
  }
  void apply(std::string_view property) override {
    if (is(property, "Min") || is(property, "Max") || is(property, "Position")) {
      apply_range(window());
      return;
    }
    if (is(property, "Style") || is(property, "MarqueeInterval")) {
      apply_style(window());
      return;
    }
    Control::apply(property);
  }
  std::optional<std::string> live_text(std::string_view property) const override {
    if (is(property, "Position")) return std::to_string(SendMessageA(window(), PBM_GETPOS, 0, 0));
    return std::nullopt;
  }

 private:
  void apply_range(HWND bar) const {
    const auto number = [this](const char* name) { return parse_integer_text(stored(name)).value_or(0); };
    SendMessageA(bar, PBM_SETRANGE32, static_cast<WPARAM>(number("Min")), number("Max"));
    SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(number("Position")), 0);
  }
  // A marquee bar runs on its own timer; turned back into a normal bar it
  // shows the range and position it holds.
  void apply_style(HWND bar) const {
    const bool marquee = is(stored("Style"), "pbstMarquee");
    const LONG_PTR style = GetWindowLongPtrA(bar, GWL_STYLE);
    if (((style & PBS_MARQUEE) != 0) == marquee) return;
    SetWindowLongPtrA(bar, GWL_STYLE, marquee ? style | PBS_MARQUEE : style & ~PBS_MARQUEE);
    const int interval = parse_integer_text(stored("MarqueeInterval")).value_or(10);
    SendMessageA(bar, PBM_SETMARQUEE, marquee ? TRUE : FALSE, interval);
    if (!marquee) apply_range(bar);
  }
};

// --- the classes

template <typename ControlType>
std::function<std::unique_ptr<Control>(const ControlClass&)> maker() {
  return [](const ControlClass& control_class) { return std::make_unique<ControlType>(control_class); };
}

const ControlClass& label_class() {
  static const ControlClass c{"TLabel", nullptr,
                              joined({&control_properties(), &appearance_properties()},
                                     {{"Caption", K::kText},
                                      {"Alignment", K::kIdentifier, "taLeftJustify"},
                                      {"AutoSize", K::kBoolean, "True"},
                                      {"EllipsisPosition", K::kIdentifier},
                                      {"FocusControl", K::kIdentifier},
                                      {"GlowSize", K::kInteger},
                                      {"Layout", K::kIdentifier, "tlTop"},
                                      {"ShowAccelChar", K::kBoolean, "True"},
                                      {"Transparent", K::kBoolean},
                                      {"WordWrap", K::kBoolean, "False"}}),
                              maker<LabelControl>()};
  return c;
}

const ControlClass& static_text_class() {
  static const ControlClass c{"TStaticText", nullptr,
                              joined({&control_properties(), &windowed_properties(), &appearance_properties()},
                                     {{"Caption", K::kText},
                                      {"Alignment", K::kIdentifier, "taLeftJustify"},
                                      {"AutoSize", K::kBoolean, "True"},
                                      {"BorderStyle", K::kIdentifier, "sbsNone"},
                                      {"FocusControl", K::kIdentifier},
                                      {"ShowAccelChar", K::kBoolean, "True"},
                                      {"Transparent", K::kBoolean},
                                      {"WordWrap", K::kBoolean, "True"}}),
                              maker<StaticTextControl>()};
  return c;
}

std::vector<PropertyDefinition> edit_properties() {
  return joined({&control_properties(), &windowed_properties(), &appearance_properties()},
                {{"Text", K::kText},
                 {"Alignment", K::kIdentifier, "taLeftJustify"},
                 {"AutoSelect", K::kBoolean, "True"},
                 {"AutoSize", K::kBoolean, "True"},
                 {"BorderStyle", K::kIdentifier, "bsSingle"},
                 {"CharCase", K::kIdentifier, "ecNormal"},
                 {"HideSelection", K::kBoolean, "True"},
                 {"MaxLength", K::kInteger, "0"},
                 {"NumbersOnly", K::kBoolean},
                 {"OEMConvert", K::kBoolean},
                 {"PasswordChar", K::kText, "#0"},
                 {"ReadOnly", K::kBoolean, "False"},
                 {"TextHint", K::kText},
                 {"OnChange", K::kEvent}});
}

const ControlClass& edit_class() {
  static const ControlClass c{"TEdit", nullptr, edit_properties(), maker<EditControl>()};
  return c;
}

const ControlClass& mask_edit_class() {
  static const ControlClass c{"TMaskEdit", &edit_class(), {{"EditMask", K::kText}}, maker<EditControl>()};
  return c;
}

const ControlClass& memo_class() {
  static const ControlClass c{"TMemo", nullptr,
                              joined({&control_properties(), &windowed_properties(), &appearance_properties()},
                                     {{"Lines", K::kStrings},
                                      {"Text", K::kText},
                                      {"Alignment", K::kIdentifier, "taLeftJustify"},
                                      {"BorderStyle", K::kIdentifier, "bsSingle"},
                                      {"HideSelection", K::kBoolean, "True"},
                                      {"MaxLength", K::kInteger, "0"},
                                      {"OEMConvert", K::kBoolean},
                                      {"ReadOnly", K::kBoolean, "False"},
                                      {"ScrollBars", K::kIdentifier, "ssNone"},
                                      {"WantReturns", K::kBoolean, "True"},
                                      {"WantTabs", K::kBoolean, "False"},
                                      {"WordWrap", K::kBoolean, "True"},
                                      {"OnChange", K::kEvent}}),
                              maker<MemoControl>()};
  return c;
}

const ControlClass& button_class() {
  static const ControlClass c{"TButton", nullptr,
                              joined({&control_properties(), &windowed_properties(), &appearance_properties()},
                                     {{"Caption", K::kText},
                                      {"Action", K::kIdentifier},
                                      {"Cancel", K::kBoolean, "False"},
                                      {"Default", K::kBoolean, "False"},
                                      {"ModalResult", K::kIdentifier, "mrNone"},
                                      {"WordWrap", K::kBoolean, "False"},
                                      {"Style", K::kIdentifier},
                                      {"ImageAlignment", K::kIdentifier},
                                      {"ImageIndex", K::kInteger},
                                      {"Images", K::kIdentifier},
                                      {"ImageMargins", K::kObject},
                                      {"ElevationRequired", K::kBoolean}}),
                              maker<ButtonControl>()};
  return c;
}

const ControlClass& bit_button_class() {
  static const ControlClass c{"TBitBtn", &button_class(),
                              {{"Glyph", K::kObject},
                               {"Kind", K::kIdentifier, "bkCustom"},
                               {"Layout", K::kIdentifier, "blGlyphLeft"},
                               {"Margin", K::kInteger, "-1"},
                               {"NumGlyphs", K::kInteger, "1"},
                               {"Spacing", K::kInteger, "4"}},
                              maker<ButtonControl>()};
  return c;
}

std::vector<PropertyDefinition> check_properties(bool with_state) {
  std::vector<PropertyDefinition> own = {{"Caption", K::kText},
                                         {"Checked", K::kBoolean, "False"},
                                         {"Alignment", K::kIdentifier, "taRightJustify"},
                                         {"WordWrap", K::kBoolean, "False"},
                                         {"Transparent", K::kBoolean},
                                         {"FrameColor", K::kIdentifier},
                                         {"HighlightColor", K::kIdentifier},
                                         {"HotTrack", K::kBoolean},
                                         {"HotTrackColor", K::kIdentifier},
                                         {"TextStyle", K::kIdentifier},
                                         {"CustomGlyphs", K::kObject}};
  if (with_state) {
    own.push_back({"AllowGrayed", K::kBoolean, "False"});
    own.push_back({"State", K::kIdentifier, "cbUnchecked"});
  }
  std::vector<PropertyDefinition> all =
      joined({&control_properties(), &windowed_properties(), &appearance_properties()}, {});
  all.insert(all.end(), own.begin(), own.end());
  return all;
}

const ControlClass& check_box_class() {
  static const ControlClass c{"TRzCheckBox", nullptr, check_properties(true),
                              [](const ControlClass& control_class) {
                                return std::make_unique<CheckControl>(control_class, BS_AUTOCHECKBOX);
                              }};
  return c;
}

const ControlClass& radio_button_class() {
  static const ControlClass c{"TRzRadioButton", nullptr, check_properties(false),
                              [](const ControlClass& control_class) {
                                return std::make_unique<CheckControl>(control_class, BS_AUTORADIOBUTTON);
                              }};
  return c;
}

const ControlClass& list_box_class() {
  static const ControlClass c{"TListBox", nullptr,
                              joined({&control_properties(), &windowed_properties(), &appearance_properties()},
                                     {{"Items", K::kStrings},
                                      {"ItemIndex", K::kInteger, "-1"},
                                      {"AutoComplete", K::kBoolean, "True"},
                                      {"BorderStyle", K::kIdentifier, "bsSingle"},
                                      {"Columns", K::kInteger, "0"},
                                      {"ExtendedSelect", K::kBoolean, "True"},
                                      {"IntegralHeight", K::kBoolean, "False"},
                                      {"ItemHeight", K::kInteger},
                                      {"MultiSelect", K::kBoolean, "False"},
                                      {"Sorted", K::kBoolean, "False"},
                                      {"Style", K::kIdentifier, "lbStandard"},
                                      {"TabWidth", K::kInteger, "0"}}),
                              maker<ListBoxControl>()};
  return c;
}

const ControlClass& combo_box_class() {
  static const ControlClass c{"TComboBox", nullptr,
                              joined({&control_properties(), &windowed_properties(), &appearance_properties()},
                                     {{"Items", K::kStrings},
                                      {"ItemIndex", K::kInteger, "-1"},
                                      {"Text", K::kText},
                                      {"Style", K::kIdentifier, "csDropDown"},
                                      {"AutoComplete", K::kBoolean, "True"},
                                      {"AutoDropDown", K::kBoolean, "False"},
                                      {"CharCase", K::kIdentifier, "ecNormal"},
                                      {"DropDownCount", K::kInteger, "8"},
                                      {"ItemHeight", K::kInteger},
                                      {"MaxLength", K::kInteger, "0"},
                                      {"Sorted", K::kBoolean, "False"},
                                      {"TextHint", K::kText},
                                      {"OnChange", K::kEvent},
                                      {"OnSelect", K::kEvent},
                                      {"OnDropDown", K::kEvent},
                                      {"OnCloseUp", K::kEvent}}),
                              maker<ComboBoxControl>()};
  return c;
}

const ControlClass& group_box_class() {
  static const ControlClass c{"TGroupBox", nullptr,
                              joined({&control_properties(), &windowed_properties(), &appearance_properties()},
                                     {{"Caption", K::kText}, {"ParentBackground", K::kBoolean, "True"}}),
                              maker<GroupBoxControl>()};
  return c;
}

const ControlClass& panel_class() {
  static const ControlClass c{"TPanel", nullptr,
                              joined({&control_properties(), &windowed_properties(), &appearance_properties()},
                                     {{"Caption", K::kText},
                                      {"Alignment", K::kIdentifier, "taCenter"},
                                      {"AutoSize", K::kBoolean, "False"},
                                      {"BevelEdges", K::kSet},
                                      {"BevelInner", K::kIdentifier, "bvNone"},
                                      {"BevelKind", K::kIdentifier, "bkNone"},
                                      {"BevelOuter", K::kIdentifier, "bvRaised"},
                                      {"BevelWidth", K::kInteger, "1"},
                                      {"BorderStyle", K::kIdentifier, "bsNone"},
                                      {"BorderWidth", K::kInteger, "0"},
                                      {"FullRepaint", K::kBoolean, "True"},
                                      {"Locked", K::kBoolean, "False"},
                                      {"ParentBackground", K::kBoolean, "True"},
                                      {"ShowCaption", K::kBoolean, "True"},
                                      {"VerticalAlignment", K::kIdentifier, "taVerticalCenter"}}),
                              maker<PanelControl>()};
  return c;
}

const ControlClass& bevel_class() {
  static const ControlClass c{"TBevel", nullptr,
                              joined({&control_properties()},
                                     {{"Shape", K::kIdentifier, "bsBox"}, {"Style", K::kIdentifier, "bsLowered"}}),
                              maker<BevelControl>()};
  return c;
}

const ControlClass& progress_bar_class() {
  static const ControlClass c{"TProgressBar", nullptr,
                              joined({&control_properties(), &windowed_properties()},
                                     {{"Min", K::kInteger, "0"},
                                      {"Max", K::kInteger, "100"},
                                      {"Position", K::kInteger, "0"},
                                      {"Orientation", K::kIdentifier, "pbHorizontal"},
                                      {"Smooth", K::kBoolean, "False"},
                                      {"SmoothReverse", K::kBoolean, "False"},
                                      {"Step", K::kInteger, "10"},
                                      {"MarqueeInterval", K::kInteger, "10"},
                                      {"Style", K::kIdentifier, "pbstNormal"},
                                      {"State", K::kIdentifier, "pbsNormal"},
                                      {"BarColor", K::kIdentifier},
                                      {"BackgroundColor", K::kIdentifier}}),
                              maker<ProgressBarControl>()};
  return c;
}

}  // namespace

std::string strings_text(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::vector<std::string> strings_lines(std::string_view text) { return Translations::file_lines(text); }

std::vector<const ControlClass*> standard_control_classes() {
  return {&label_class(),        &edit_class(),        &memo_class(),      &button_class(),
          &check_box_class(),    &radio_button_class(), &list_box_class(), &combo_box_class(),
          &group_box_class(),    &panel_class(),        &bit_button_class(), &mask_edit_class(),
          &bevel_class(),        &static_text_class(),  &progress_bar_class()};
}

}  // namespace qm
