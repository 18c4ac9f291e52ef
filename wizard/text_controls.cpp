#include "wizard/text_controls.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/system_library.h"
#include "script/ansi_text.h"
#include "script/integer_text.h"
#include "wizard/appearance.h"
#include "wizard/published_properties.h"
#include "wizard/standard_controls.h"

namespace qm {

namespace {

using K = PropertyKind;

constexpr const char* kOriginalProcedure = "QuillmoreRichEditProcedure";
// "No limit" as the designer's rich edit sets it; Windows' own default of
// 32767 characters would cut a long licence short.
constexpr LPARAM kUnlimited = 0x7FFFFFF0;

bool is(std::string_view property, std::string_view name) { return ascii_equal_ignore_case(property, name); }

// The window class of the newest rich edit the system folder has, its
// library loaded from there by full path; null when there is none.
const char* rich_edit_class() {
  static const char* const name = [] () -> const char* {
    if (platform::load_system_library("msftedit.dll") != nullptr) return "RICHEDIT50W";
    if (platform::load_system_library("riched20.dll") != nullptr) return "RichEdit20W";
    return nullptr;
  }();
  return name;
}

bool looks_like_rich_text(std::string_view bytes) { return bytes.starts_with("{\\rtf") || bytes.starts_with("{\\urtf"); }

std::string without_last_line_end(std::string text) {
  if (text.ends_with("\r\n")) text.resize(text.size() - 2);
  else if (text.ends_with("\n") || text.ends_with("\r")) text.pop_back();
  return text;
}

struct StreamSource {
  std::string_view bytes;
  std::size_t at = 0;
};

DWORD CALLBACK read_stream(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
  auto* source = reinterpret_cast<StreamSource*>(cookie);
  std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(std::max<LONG>(wanted, 0)),
                                            source->bytes.size() - source->at);
  // A CR LF cut between two pieces would be read as two line ends.
  const std::size_t end = source->at + count;
  if (count > 1 && end < source->bytes.size() && source->bytes[end - 1] == '\r' && source->bytes[end] == '\n') --count;
  std::memcpy(buffer, source->bytes.data() + source->at, count);
  source->at += count;
  *given = static_cast<LONG>(count);
  return 0;
}

// A family's properties with some of them given other initial values, and
// the class's own after them.
std::vector<PropertyDefinition> overridden(std::vector<PropertyDefinition> all,
                                           std::initializer_list<PropertyDefinition> own) {
  for (const PropertyDefinition& definition : own) {
    const auto same = std::find_if(all.begin(), all.end(), [&](const PropertyDefinition& known) {
      return ascii_equal_ignore_case(known.name, definition.name);
    });
    if (same != all.end()) *same = definition;
    else all.push_back(definition);
  }
  return all;
}

const ControlClass& rich_edit_class_definition() {
  static const ControlClass c{
      "TRichEdit", nullptr,
      overridden(joined({&control_properties(), &windowed_properties(), &appearance_properties()}, {}),
                 {{"Color", K::kIdentifier, "clWindow"},
                  {"ParentColor", K::kBoolean, "False"},
                  {"Lines", K::kStrings},
                  {"Text", K::kText},
                  {"Alignment", K::kIdentifier, "taLeftJustify"},
                  {"BorderStyle", K::kIdentifier, "bsSingle"},
                  {"BorderWidth", K::kInteger, "0"},
                  {"EnableURLs", K::kBoolean},
                  {"HideScrollBars", K::kBoolean, "True"},
                  {"HideSelection", K::kBoolean, "True"},
                  {"MaxLength", K::kInteger, "0"},
                  {"PlainText", K::kBoolean, "False"},
                  {"ReadOnly", K::kBoolean, "False"},
                  {"ScrollBars", K::kIdentifier, "ssNone"},
                  {"WantReturns", K::kBoolean, "True"},
                  {"WantTabs", K::kBoolean, "False"},
                  {"WordWrap", K::kBoolean, "True"},
                  {"Zoom", K::kInteger, "100"},
                  {"OnChange", K::kEvent},
                  {"OnSelectionChange", K::kEvent},
                  {"OnProtectChange", K::kEvent},
                  {"OnResizeRequest", K::kEvent},
                  {"OnSaveClipboard", K::kEvent},
                  {"OnLinkClick", K::kEvent}}),
      [](const ControlClass& control_class) { return std::make_unique<RichEditControl>(control_class); }};
  return c;
}

}  // namespace

std::vector<const ControlClass*> text_control_classes() { return {&rich_edit_class_definition()}; }

HWND RichEditControl::make_window(HWND parent, const RECT& bounds) {
  const char* window_class = rich_edit_class();
  if (window_class == nullptr) return nullptr;
  DWORD style = WS_CHILD | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL;
  if (stored("WantReturns") != "False") style |= ES_WANTRETURN;
  if (stored("ReadOnly") == "True") style |= ES_READONLY;
  if (stored("HideSelection") == "False") style |= ES_NOHIDESEL;
  if (stored("WordWrap") == "False") style |= ES_AUTOHSCROLL;
  if (stored("HideScrollBars") == "False") style |= ES_DISABLENOSCROLL;
  const DWORD extended = is(stored("BorderStyle"), "bsNone") ? 0 : WS_EX_CLIENTEDGE;
  HWND edit = CreateWindowExA(extended, window_class, "", style, bounds.left, bounds.top, bounds.right - bounds.left,
                              bounds.bottom - bounds.top, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (edit == nullptr) return nullptr;
  // Our procedure in front of the rich edit's: the keys a wizard page moves
  // on with stay the page's unless WantTabs and WantReturns say otherwise.
  SetPropA(edit, kOriginalProcedure, reinterpret_cast<HANDLE>(GetWindowLongPtrW(edit, GWLP_WNDPROC)));
  SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
  SendMessageA(edit, EM_SETEVENTMASK, 0, ENM_CHANGE);
  return edit;
}

LRESULT CALLBACK RichEditControl::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  const auto original = reinterpret_cast<WNDPROC>(GetPropA(window, kOriginalProcedure));
  auto* self = dynamic_cast<RichEditControl*>(control_of_window(window));
  switch (message) {
    case WM_GETDLGCODE: {
      const LRESULT code = CallWindowProcW(original, window, message, wparam, lparam);
      return self != nullptr ? self->dialog_code(code, reinterpret_cast<const MSG*>(lparam)) : code;
    }
    case WM_SETFONT: {
      // The page gives the control its font once it is made; the font goes
      // over all the text, so the text is put in after it and rich text
      // keeps its own fonts.
      const LRESULT result = CallWindowProcW(original, window, message, wparam, lparam);
      if (self != nullptr && !self->set_up_) {
        self->set_up_ = true;
        self->apply_max_length();
        self->apply_word_wrap();
        self->apply_colours();
        self->apply_scroll_bars();
        self->show_lines_property();
        if (!self->pending_rich_text_.empty()) self->stream_in(std::exchange(self->pending_rich_text_, {}), true);
      }
      return result;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      RemovePropA(window, kOriginalProcedure);
      return CallWindowProcW(original, window, message, wparam, lparam);
    default:
      return CallWindowProcW(original, window, message, wparam, lparam);
  }
}

// Tab moves to the next control and Enter presses the page's button unless
// the definition lets the rich edit have them.
LRESULT RichEditControl::dialog_code(LRESULT code, const MSG* message) const {
  const bool want_tabs = stored("WantTabs") == "True";
  const bool want_returns = stored("WantReturns") != "False";
  if (!want_tabs) code &= ~DLGC_WANTTAB;
  if (message == nullptr || (message->message != WM_KEYDOWN && message->message != WM_CHAR)) return code;
  if ((message->wParam == VK_TAB && !want_tabs) || (message->wParam == VK_RETURN && !want_returns))
    code &= ~(DLGC_WANTMESSAGE | DLGC_WANTALLKEYS);
  return code;
}

bool RichEditControl::stream_in(std::string_view bytes, bool rich) {
  if (window() == nullptr) return false;
  StreamSource source{bytes};
  EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, read_stream};
  // Changes made here are not the user's: no change event.
  loading_ = true;
  const LRESULT mask = SendMessageA(window(), EM_SETEVENTMASK, 0, 0);
  SendMessageA(window(), EM_STREAMIN, rich ? SF_RTF : SF_TEXT, reinterpret_cast<LPARAM>(&stream));
  SendMessageA(window(), EM_SETEVENTMASK, 0, mask);
  loading_ = false;
  if (!rich) apply_colours();
  return stream.dwError == 0;
}

bool RichEditControl::load_rich_text(std::string_view rtf) {
  // The control empties itself before it finds that a stream is no rich
  // text: what is not, is refused here.
  if (!looks_like_rich_text(rtf)) return false;
  if (window() == nullptr) {
    pending_rich_text_ = std::string(rtf);
    return true;
  }
  return stream_in(rtf, true);
}

void RichEditControl::load_plain_text(std::string_view text) {
  pending_rich_text_.clear();
  store("Lines", strings_text(strings_lines(text)));
  // A text's last line end would leave an empty last line in the control.
  if (window() != nullptr) stream_in(without_last_line_end(std::string(text)), false);
}

std::string RichEditControl::text() const {
  if (window() == nullptr) return without_last_line_end(stored("Lines"));
  GETTEXTLENGTHEX length_query{GTL_USECRLF | GTL_PRECISE | GTL_NUMBYTES, CP_ACP};
  const LRESULT length = SendMessageA(window(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length_query), 0);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  GETTEXTEX query{static_cast<DWORD>(text.size()), GT_USECRLF, CP_ACP, nullptr, nullptr};
  const LRESULT copied = SendMessageA(window(), EM_GETTEXTEX, reinterpret_cast<WPARAM>(&query),
                                      reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(copied, 0, length)));
  return text;
}

std::vector<std::string> RichEditControl::lines() const { return strings_lines(text()); }

void RichEditControl::set_lines(const std::vector<std::string>& lines) {
  store("Lines", strings_text(lines));
  if (window() != nullptr) stream_in(without_last_line_end(stored("Lines")), false);
}

void RichEditControl::show_both_scroll_bars() { set_property_text("ScrollBars", "ssBoth"); }

void RichEditControl::notify(UINT code, LPARAM) {
  if (code == EN_CHANGE && !loading_) raise(ControlEvent::kChange);
}

// The definition's lines; a text that is rich text shows as such unless the
// control is for plain text, as the designer's rich edit reads its lines.
void RichEditControl::show_lines_property() {
  const std::string text = without_last_line_end(stored("Lines"));
  if (text.empty()) return;
  stream_in(text, stored("PlainText") != "True" && looks_like_rich_text(text));
}

void RichEditControl::apply_scroll_bars() {
  const std::string& bars = stored("ScrollBars");
  const bool vertical = is(bars, "ssVertical") || is(bars, "ssBoth");
  const bool horizontal = is(bars, "ssHorizontal") || is(bars, "ssBoth");
  SendMessageA(window(), EM_SHOWSCROLLBAR, SB_VERT, vertical);
  SendMessageA(window(), EM_SHOWSCROLLBAR, SB_HORZ, horizontal);
}

void RichEditControl::apply_word_wrap() {
  // A target width of 0 wraps at the window's edge; 1 does not wrap.
  SendMessageA(window(), EM_SETTARGETDEVICE, 0, stored("WordWrap") == "False" ? 1 : 0);
}

void RichEditControl::apply_max_length() {
  const int length = parse_integer_text(stored("MaxLength")).value_or(0);
  SendMessageA(window(), EM_EXLIMITTEXT, 0, length > 0 ? length : kUnlimited);
}

void RichEditControl::apply_colours() {
  if (const std::optional<COLORREF> own = own_background()) SendMessageA(window(), EM_SETBKGNDCOLOR, 0, *own);
  else SendMessageA(window(), EM_SETBKGNDCOLOR, 0, background());
  // Only a colour of the definition's own font is forced on plain text;
  // otherwise the system's text colour serves.
  if (stored("ParentFont") != "False" || stored("Font.Color").empty()) return;
  const std::optional<COLORREF> colour = colour_of(stored("Font.Color"));
  if (!colour) return;
  CHARFORMAT2A format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_COLOR;
  format.crTextColor = *colour;
  SendMessageA(window(), EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}

void RichEditControl::apply(std::string_view property) {
  if (is(property, "Lines")) {
    show_lines_property();
    if (without_last_line_end(stored("Lines")).empty()) stream_in("", false);
  } else if (is(property, "Text")) {
    store("Lines", strings_text(strings_lines(stored("Text"))));
    apply("Lines");
  } else if (is(property, "ReadOnly")) {
    SendMessageA(window(), EM_SETREADONLY, stored("ReadOnly") == "True", 0);
  } else if (is(property, "ScrollBars")) {
    apply_scroll_bars();
  } else if (is(property, "WordWrap")) {
    apply_word_wrap();
  } else if (is(property, "MaxLength")) {
    apply_max_length();
  } else if (is(property, "HideSelection")) {
    SendMessageA(window(), EM_SETOPTIONS, stored("HideSelection") == "False" ? ECOOP_OR : ECOOP_AND,
                 stored("HideSelection") == "False" ? ECO_NOHIDESEL : ~static_cast<LPARAM>(ECO_NOHIDESEL));
  } else if (is(property, "BorderStyle")) {
    LONG_PTR extended = GetWindowLongPtrA(window(), GWL_EXSTYLE);
    extended = is(stored("BorderStyle"), "bsNone") ? extended & ~WS_EX_CLIENTEDGE : extended | WS_EX_CLIENTEDGE;
    SetWindowLongPtrA(window(), GWL_EXSTYLE, extended);
    SetWindowPos(window(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  } else if (is(property, "Color") || is(property, "ParentColor") || is(property, "Font.Color")) {
    apply_colours();
    InvalidateRect(window(), nullptr, TRUE);
  } else {
    Control::apply(property);
  }
}

std::optional<std::string> RichEditControl::live_text(std::string_view property) const {
  if (is(property, "Lines")) return strings_text(lines());
  if (is(property, "Text")) return text();
  return std::nullopt;
}

}  // namespace qm
