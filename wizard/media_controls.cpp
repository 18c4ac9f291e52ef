#include "wizard/media_controls.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/system_library.h"
#include "platform/window_class.h"
#include "script/ansi_text.h"
#include "script/integer_text.h"
#include "wizard/appearance.h"
#include "wizard/published_properties.h"

namespace qm {

namespace {

using K = PropertyKind;

constexpr const char* kViewerHostClass = "QuillmoreHtmlViewerHost";

bool is(std::string_view property, std::string_view name) { return ascii_equal_ignore_case(property, name); }

int number(const std::string& text, int fallback) { return parse_integer_text(text).value_or(fallback); }

// The system's own animations, resources of shell32 by number.
struct CommonAnimation {
  std::string_view name;
  int resource;
};
constexpr CommonAnimation kCommonAnimations[] = {
    {"aviFindFolder", 150}, {"aviFindFile", 151},    {"aviFindComputer", 152}, {"aviCopyFiles", 161},
    {"aviCopyFile", 160},   {"aviRecycleFile", 162}, {"aviEmptyRecycle", 163}, {"aviDeleteFile", 164}};

int common_animation(std::string_view name) {
  for (const CommonAnimation& animation : kCommonAnimations)
    if (is(name, animation.name)) return animation.resource;
  return 0;
}

template <typename ControlType>
std::function<std::unique_ptr<Control>(const ControlClass&)> maker() {
  return [](const ControlClass& control_class) { return std::make_unique<ControlType>(control_class); };
}

const ControlClass& animate_class() {
  static const ControlClass c{"TAnimate", nullptr,
                              joined({&control_properties(), &windowed_properties(), &appearance_properties()},
                                     {{"Active", K::kBoolean, "False"},
                                      {"AutoSize", K::kBoolean, "True"},
                                      {"Center", K::kBoolean, "True"},
                                      {"CommonAVI", K::kIdentifier, "aviNone"},
                                      {"FileName", K::kText},
                                      {"Open", K::kBoolean, "False"},
                                      {"Repetitions", K::kInteger, "0"},
                                      {"StartFrame", K::kInteger, "1"},
                                      {"StopFrame", K::kInteger, "0"},
                                      {"Timers", K::kBoolean, "False"},
                                      {"Transparent", K::kBoolean, "True"},
                                      {"OnOpen", K::kEvent},
                                      {"OnClose", K::kEvent},
                                      {"OnStart", K::kEvent},
                                      {"OnStop", K::kEvent}}),
                              maker<AnimateControl>()};
  return c;
}

const ControlClass& html_viewer_class() {
  static const ControlClass c{"THTMLViewer", nullptr,
                              joined({&control_properties(), &windowed_properties(), &appearance_properties()},
                                     {{"DefBackground", K::kIdentifier, "clWindow"},
                                      {"DefFontName", K::kText, "Tahoma"},
                                      {"DefFontSize", K::kInteger, "8"},
                                      {"DefFontColor", K::kIdentifier, "clWindowText"},
                                      {"DefHotSpotColor", K::kIdentifier, "$00CC0000"},
                                      {"DefOverLinkColor", K::kIdentifier},
                                      {"DefVisitedLinkColor", K::kIdentifier},
                                      {"DefPreFontName", K::kText},
                                      {"BorderStyle", K::kIdentifier, "htFocused"},
                                      {"ScrollBars", K::kIdentifier, "ssVertical"},
                                      {"ViewImages", K::kBoolean, "True"},
                                      {"MarginHeight", K::kInteger, "8"},
                                      {"MarginWidth", K::kInteger, "8"},
                                      {"CharSet", K::kIdentifier},
                                      {"CodePage", K::kInteger},
                                      {"HistoryMaxCount", K::kInteger, "0"},
                                      {"ImageCacheCount", K::kInteger},
                                      {"NoSelect", K::kBoolean, "False"},
                                      {"PrintMarginBottom", K::kText},
                                      {"PrintMarginLeft", K::kText},
                                      {"PrintMarginRight", K::kText},
                                      {"PrintMarginTop", K::kText},
                                      {"PrintScale", K::kText},
                                      {"QuirksMode", K::kIdentifier},
                                      {"ServerRoot", K::kText},
                                      {"Text", K::kText},
                                      {"OnHotSpotClick", K::kEvent},
                                      {"OnHotSpotCovered", K::kEvent},
                                      {"OnMetaRefresh", K::kEvent},
                                      {"OnImageRequest", K::kEvent},
                                      {"OnFormSubmit", K::kEvent},
                                      {"OnHistoryChange", K::kEvent},
                                      {"OnInclude", K::kEvent},
                                      {"OnLink", K::kEvent},
                                      {"OnObjectClick", K::kEvent},
                                      {"OnProcessing", K::kEvent},
                                      {"OnRightClick", K::kEvent},
                                      {"OnScript", K::kEvent},
                                      {"OnSoundRequest", K::kEvent}}),
                              maker<HtmlViewerControl>()};
  return c;
}

const ControlClass& flash_frame_class() {
  static const ControlClass c{"TFlashFrame", nullptr,
                              joined({&control_properties(), &windowed_properties(), &appearance_properties()},
                                     {{"Caption", K::kText},
                                      {"AutoScroll", K::kBoolean, "False"},
                                      {"AutoSize", K::kBoolean, "False"},
                                      {"HorzScrollBar", K::kObject},
                                      {"VertScrollBar", K::kObject},
                                      {"ParentBackground", K::kBoolean, "True"}}),
                              maker<FlashFrameControl>()};
  return c;
}

}  // namespace

std::vector<const ControlClass*> media_control_classes() {
  return {&animate_class(), &html_viewer_class(), &flash_frame_class()};
}

// --- AnimateControl

DWORD AnimateControl::style() const {
  DWORD style = 0;
  if (stored("Center") != "False") style |= ACS_CENTER;
  if (stored("Transparent") != "False") style |= ACS_TRANSPARENT;
  if (stored("Timers") == "True") style |= ACS_TIMER;
  return style;
}

HWND AnimateControl::make_window(HWND parent, const RECT& bounds) {
  HWND animation = CreateWindowExA(0, ANIMATE_CLASSA, "", WS_CHILD | style(), bounds.left, bounds.top,
                                   bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
  // A definition's active animation plays from the start; one that cannot
  // be opened shows nothing.
  if (animation != nullptr && stored("Active") == "True") play_in(animation);
  return animation;
}

bool AnimateControl::open(HWND self) {
  if (self == nullptr) return false;
  SendMessageA(self, ACM_OPENA, 0, 0);  // closes what was open
  if (const int resource = common_animation(stored("CommonAVI")); resource != 0) {
    HMODULE shell = platform::load_system_library("shell32.dll");
    return shell != nullptr && SendMessageA(self, ACM_OPENA, reinterpret_cast<WPARAM>(shell),
                                            reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(resource))) != 0;
  }
  const std::string& file = stored("FileName");
  return !file.empty() && SendMessageA(self, ACM_OPENA, 0, reinterpret_cast<LPARAM>(file.c_str())) != 0;
}

bool AnimateControl::play() { return play_in(window()); }

bool AnimateControl::play_in(HWND self) {
  playing_ = false;
  if (!open(self)) return false;
  // Repetitions 0 is for ever; frames count from 1, StopFrame 0 is the last.
  const int repetitions = number(stored("Repetitions"), 0);
  const int first = std::clamp(number(stored("StartFrame"), 1) - 1, 0, 0xFFFE);
  const int last = number(stored("StopFrame"), 0);
  const WORD to = last <= 0 ? 0xFFFF : static_cast<WORD>(std::clamp(last - 1, first, 0xFFFE));
  playing_ = SendMessageA(self, ACM_PLAY, static_cast<WPARAM>(repetitions > 0 ? repetitions : -1),
                          MAKELPARAM(first, to)) != 0;
  return playing_;
}

void AnimateControl::stop() {
  if (window() != nullptr) SendMessageA(window(), ACM_STOP, 0, 0);
  playing_ = false;
}

void AnimateControl::notify(UINT code, LPARAM) {
  if (code == ACN_STOP) playing_ = false;
}

void AnimateControl::apply(std::string_view property) {
  const bool active = stored("Active") == "True";
  if (is(property, "Active")) {
    if (active) play();
    else stop();
  } else if (is(property, "FileName") || is(property, "CommonAVI") || is(property, "Center") ||
             is(property, "Transparent") || is(property, "Timers")) {
    SetWindowLongPtrA(window(), GWL_STYLE,
                      static_cast<LONG_PTR>(WS_CHILD | style() | (IsWindowVisible(window()) ? WS_VISIBLE : 0)));
    // The first frame shows while the animation waits to be played.
    if (active) play();
    else open(window());
  } else if (is(property, "Open")) {
    if (stored("Open") == "True") {
      open(window());
    } else {
      stop();
      SendMessageA(window(), ACM_OPENA, 0, 0);  // closes the animation
    }
  } else if (is(property, "Repetitions") || is(property, "StartFrame") || is(property, "StopFrame")) {
    if (active && playing_) play();
  } else {
    Control::apply(property);
  }
}

std::optional<std::string> AnimateControl::live_text(std::string_view property) const {
  if (is(property, "Active")) return std::string(playing_ ? "True" : "False");
  return std::nullopt;
}

// --- HtmlViewerControl

HtmlViewerControl::~HtmlViewerControl() = default;

LRESULT CALLBACK HtmlViewerControl::host_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      if (HWND viewer = GetWindow(window, GW_CHILD))
        MoveWindow(viewer, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
      return 0;
    case WM_SETFOCUS:
      if (HWND viewer = GetWindow(window, GW_CHILD)) SetFocus(viewer);
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

HWND HtmlViewerControl::make_window(HWND parent, const RECT& bounds) {
  // The viewer keeps its own data with its window: the control's window is a
  // host around it, which the viewer fills.
  platform::register_window_class({kViewerHostClass, host_procedure, IDC_ARROW, false});
  HWND host = CreateWindowExA(WS_EX_CONTROLPARENT, kViewerHostClass, "", WS_CHILD | WS_CLIPCHILDREN, bounds.left,
                              bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (host == nullptr) return nullptr;
  viewer_ = std::make_unique<HtmlViewer>(host, 0, RECT{0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top});
  viewer_->set_hot_spot_handler([this](const std::string& href) {
    EventDetails details;
    details.link = href;
    raise(ControlEvent::kHotSpotClick, details);
    return details.handled;
  });
  viewer_->set_meta_refresh_handler([this](int delay, const std::string& url) {
    EventDetails details;
    details.delay = delay;
    details.link = url;
    raise(ControlEvent::kMetaRefresh, details);
  });
  apply_look();
  apply_border();
  return host;
}

void HtmlViewerControl::apply_look() {
  if (!viewer_) return;
  HtmlViewer::Look look;
  look.face = stored("DefFontName");
  look.points = number(stored("DefFontSize"), look.points);
  look.background = colour_of(stored("DefBackground"));
  look.text = colour_of(stored("DefFontColor"));
  look.link = colour_of(stored("DefHotSpotColor")).value_or(look.link);
  look.margin_width = number(stored("MarginWidth"), look.margin_width);
  look.margin_height = number(stored("MarginHeight"), look.margin_height);
  const std::string& bars = stored("ScrollBars");
  look.scroll_bar = !is(bars, "ssNone") && !is(bars, "ssHorizontal");
  viewer_->set_look(std::move(look));
}

void HtmlViewerControl::apply_border() {
  if (!viewer_) return;
  HWND viewer = viewer_->window();
  const std::string& border = stored("BorderStyle");
  const bool none = is(border, "htNone") || is(border, "bsNone");
  LONG_PTR extended = GetWindowLongPtrA(viewer, GWL_EXSTYLE);
  extended = none ? (extended & ~WS_EX_CLIENTEDGE) : (extended | WS_EX_CLIENTEDGE);
  SetWindowLongPtrA(viewer, GWL_EXSTYLE, extended);
  SetWindowPos(viewer, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void HtmlViewerControl::apply(std::string_view property) {
  if (is(property, "BorderStyle")) {
    apply_border();
  } else if (property.size() > 3 && (is(property.substr(0, 3), "Def") || is(property, "ScrollBars") ||
                                     is(property, "MarginWidth") || is(property, "MarginHeight"))) {
    apply_look();
  } else {
    Control::apply(property);
  }
}

bool HtmlViewerControl::load_file(const std::string& path) { return viewer_ && viewer_->load_file(path); }

void HtmlViewerControl::load_html(std::string_view html, std::string base_folder) {
  if (viewer_) viewer_->load_text(html, std::move(base_folder));
}

void HtmlViewerControl::show_text(const std::string& text) {
  if (!viewer_) return;
  viewer_->set_empty_page_text(text);
  viewer_->clear();
}

std::string HtmlViewerControl::document_path() const { return viewer_ ? viewer_->document_path() : std::string(); }

std::string HtmlViewerControl::document_title() const { return viewer_ ? viewer_->title() : std::string(); }

std::string HtmlViewerControl::file_name_of_link(const std::string& href) const {
  return viewer_ ? viewer_->file_name_of_link(href) : std::string();
}

// --- FlashFrameControl

bool FlashFrameControl::load_movie(const std::string&) { return false; }

void FlashFrameControl::stop() {}

void FlashFrameControl::paint(HDC dc, const RECT& client) {
  const std::string& caption = stored("Caption");
  if (caption.empty()) return;
  // Centred both ways, however many lines the caption takes.
  RECT measured = client;
  InflateRect(&measured, -4, -4);
  const RECT room = measured;
  const UINT format = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
  DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &measured, format | DT_CALCRECT);
  const int height = measured.bottom - measured.top;
  RECT place = room;
  place.top = room.top + std::max(0, (static_cast<int>(room.bottom - room.top) - height) / 2);
  place.bottom = place.top + height;
  DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &place, format);
}

}  // namespace qm
