#include "wizard/control.h"

#include <algorithm>

#include "script/ansi_text.h"
#include "script/integer_text.h"
#include "wizard/appearance.h"
#include "wizard/control_class.h"

namespace qm {

namespace {

// What a text means as a value of a property of this kind, in the form the
// property gives it back; nothing when it is no such value.
std::optional<std::string> value_of_kind(PropertyKind kind, std::string_view text) {
  switch (kind) {
    case PropertyKind::kBoolean:
      if (ascii_equal_ignore_case(text, "True")) return std::string("True");
      if (ascii_equal_ignore_case(text, "False")) return std::string("False");
      return std::nullopt;
    case PropertyKind::kInteger: {
      const std::optional<std::int32_t> number = parse_integer_text(text);
      if (!number) return std::nullopt;
      return std::to_string(*number);
    }
    case PropertyKind::kIdentifier:
      if (text.empty()) return std::nullopt;
      return std::string(text);
    case PropertyKind::kText:
    case PropertyKind::kStrings:
    case PropertyKind::kSet:
    case PropertyKind::kEvent:
      return std::string(text);
    case PropertyKind::kBinary:
    case PropertyKind::kCollection:
    case PropertyKind::kObject:
      return std::nullopt;  // no text form of their own
  }
  return std::nullopt;
}

// The kind of a dotted property ("Font.Size"): a text; its first part must be
// an object property.
std::optional<PropertyKind> kind_of_property(const ControlClass& control_class, std::string_view name) {
  const PropertyDefinition* definition = control_class.find_property(name);
  if (definition == nullptr) return std::nullopt;
  const bool dotted = name.find('.') != std::string_view::npos;
  if (dotted) {
    if (definition->kind != PropertyKind::kObject) return std::nullopt;
    return PropertyKind::kText;
  }
  return definition->kind;
}

}  // namespace

bool Control::NameLess::operator()(const std::string& a, const std::string& b) const {
  const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [&](char x, char y) { return lower(x) < lower(y); });
}

Control::Control(const ControlClass& control_class) : control_class_(control_class) {
  for (const ControlClass* level = &control_class; level != nullptr; level = level->base)
    for (const PropertyDefinition& definition : level->properties)
      if (!definition.initial.empty()) texts_.emplace(std::string(definition.name), std::string(definition.initial));
}

Control::~Control() {
  // Children go first: their windows are children of this one's.
  children_.clear();
  if (window_ != nullptr && IsWindow(window_)) {
    if (HANDLE atom = RemovePropA(window_, kControlNameProperty)) GlobalDeleteAtom(static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(atom)));
    DestroyWindow(window_);
  }
}

std::string_view Control::class_name() const { return control_class_.name; }

bool Control::is_a(std::string_view class_name) const { return control_class_.is_a(class_name); }

std::string Control::name() const { return property_text("Name").value_or(""); }
std::string Control::hint() const { return property_text("Hint").value_or(""); }
int Control::tag() const { return parse_integer_text(property_text("Tag").value_or("0")).value_or(0); }
int Control::tab_order() const { return parse_integer_text(property_text("TabOrder").value_or("-1")).value_or(-1); }

bool Control::has_property(std::string_view name) const { return kind_of_property(control_class_, name).has_value(); }

std::optional<std::string> Control::property_text(std::string_view name) const {
  const std::optional<PropertyKind> kind = kind_of_property(control_class_, name);
  if (!kind || *kind == PropertyKind::kBinary || *kind == PropertyKind::kCollection) return std::nullopt;
  if (window_ != nullptr)
    if (std::optional<std::string> live = live_text(name)) return live;
  const auto found = texts_.find(std::string(name));
  return found == texts_.end() ? std::string() : found->second;
}

bool Control::set_property_text(std::string_view name, std::string_view text) {
  const std::optional<PropertyKind> kind = kind_of_property(control_class_, name);
  if (!kind) return false;
  std::optional<std::string> value = value_of_kind(*kind, text);
  if (!value) return false;
  texts_[std::string(name)] = std::move(*value);
  assigned_[std::string(name)] = true;
  if (window_ != nullptr) apply(name);
  return true;
}

const std::string& Control::stored(std::string_view property) const {
  static const std::string kNone;
  const auto found = texts_.find(std::string(property));
  return found == texts_.end() ? kNone : found->second;
}

void Control::store(std::string_view property, std::string text) { texts_[std::string(property)] = std::move(text); }

void Control::set_handler(ControlEvent event, EventHandler handler) { handlers_[event] = std::move(handler); }
void Control::clear_handler(ControlEvent event) { handlers_.erase(event); }
void Control::clear_handlers() { handlers_.clear(); }
bool Control::has_handler(ControlEvent event) const { return handlers_.count(event) != 0; }

void Control::raise(ControlEvent event, EventDetails& details) {
  const auto found = handlers_.find(event);
  if (found == handlers_.end()) return;
  // The handler may replace itself (binding runs while events arrive).
  const EventHandler handler = found->second;
  handler(*this, details);
}

void Control::raise(ControlEvent event) {
  EventDetails details;
  raise(event, details);
}

Control& Control::adopt(std::unique_ptr<Control> child) {
  child->parent_ = this;
  children_.push_back(std::move(child));
  return *children_.back();
}

RECT Control::scaled_bounds() const {
  const auto design = [this](const char* property) { return parse_integer_text(stored(property)).value_or(0); };
  const int left = design("Left");
  const int top = design("Top");
  return RECT{scale_(left), scale_(top), scale_(left + design("Width")), scale_(top + design("Height"))};
}

void Control::create_window(HWND parent, const platform::DpiScale& scale, HFONT font) {
  scale_ = scale;
  const RECT bounds = scaled_bounds();
  font_ = font;
  if (has_property("Font") && stored("ParentFont") == "False") {
    own_font_ = font_for(*this, font, scale);
    font_ = static_cast<HFONT>(own_font_.get());
  }
  window_ = make_window(parent, bounds);
  if (window_ == nullptr) return;
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  // Programs that drive the wizard from outside (accessibility and test
  // tools) find a control by its Name: a global atom, readable from any process.
  if (const std::string own_name = name(); !own_name.empty()) {
    if (const ATOM atom = GlobalAddAtomA(own_name.c_str()))
      SetPropA(window_, kControlNameProperty, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(atom)));
  }
  SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  apply("Enabled");
  for (const std::unique_ptr<Control>& child : children_) child->create_window(window_, scale, font_);
  apply("Visible");
}

void Control::notify(UINT, LPARAM) {}

void Control::connect(const std::function<Control*(std::string_view)>&) {}

std::vector<std::string> Control::selected_texts() const { return {}; }

void Control::assign_binary(std::string_view, const std::vector<std::uint8_t>&) {}

std::optional<COLORREF> Control::own_background() const {
  if (!has_property("Color")) return std::nullopt;
  // Setting Color takes the control off its parent's colour, as ParentColor
  // False says.
  const bool own = stored("ParentColor") == "False" || assigned_.count("Color") != 0 || parent_ == nullptr;
  return own ? colour_of(stored("Color")) : std::nullopt;
}

COLORREF Control::background() const {
  if (const std::optional<COLORREF> own = own_background()) return *own;
  return parent_ != nullptr ? parent_->background() : GetSysColor(COLOR_BTNFACE);
}

COLORREF Control::text_colour() const {
  if (own_font_ && !stored("Font.Color").empty())
    if (const std::optional<COLORREF> colour = colour_of(stored("Font.Color"))) return *colour;
  return parent_ != nullptr ? parent_->text_colour() : GetSysColor(COLOR_BTNTEXT);
}

HBRUSH Control::background_brush() {
  const COLORREF colour = background();
  if (!brush_ || brush_colour_ != colour) {
    brush_.reset(CreateSolidBrush(colour));
    brush_colour_ = colour;
  }
  return static_cast<HBRUSH>(brush_.get());
}

void Control::apply(std::string_view property) {
  if (ascii_equal_ignore_case(property, "Enabled")) {
    EnableWindow(window_, stored("Enabled") != "False");
  } else if (ascii_equal_ignore_case(property, "Visible")) {
    ShowWindow(window_, stored("Visible") == "False" ? SW_HIDE : SW_SHOWNA);
  } else if (ascii_equal_ignore_case(property, "Caption") || ascii_equal_ignore_case(property, "Text")) {
    SetWindowTextA(window_, stored(property).c_str());
  } else if (ascii_equal_ignore_case(property, "Left") || ascii_equal_ignore_case(property, "Top") ||
             ascii_equal_ignore_case(property, "Width") || ascii_equal_ignore_case(property, "Height")) {
    const RECT bounds = scaled_bounds();
    SetWindowPos(window_, nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

std::optional<std::string> Control::live_text(std::string_view) const { return std::nullopt; }

Control* control_of_window(HWND window) {
  return window == nullptr ? nullptr : reinterpret_cast<Control*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

std::optional<LRESULT> control_colours(UINT message, WPARAM wparam, LPARAM lparam) {
  Control* control = control_of_window(reinterpret_cast<HWND>(lparam));
  if (control == nullptr) return std::nullopt;
  // Edits and lists keep the window colour unless the definition gives one.
  const bool field = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
  if (field && !control->own_background()) return std::nullopt;
  HDC dc = reinterpret_cast<HDC>(wparam);
  SetTextColor(dc, control->text_colour());
  SetBkColor(dc, control->background());
  return reinterpret_cast<LRESULT>(control->background_brush());
}

bool erase_background(HWND window, HDC dc) {
  Control* control = control_of_window(window);
  if (control == nullptr) return false;
  RECT client{};
  GetClientRect(window, &client);
  FillRect(dc, &client, control->background_brush());
  return true;
}

}  // namespace qm
