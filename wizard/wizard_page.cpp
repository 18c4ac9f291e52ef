#include "wizard/wizard_page.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>

#include "platform/window_class.h"
#include "script/ansi_text.h"
#include "script/integer_text.h"
#include "wizard/control_class.h"
#include "wizard/form_text.h"
#include "wizard/published_properties.h"
#include "wizard/standard_controls.h"

namespace qm {

namespace {

using K = PropertyKind;

constexpr const char* kPageClass = "QuillmoreWizardPage";
constexpr DWORD kPageStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// Each page has its own taskbar button.
constexpr DWORD kPageExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;

// Components a definition may hold that show nothing: the designer, the
// shell resources, timers, menus, image lists. Their properties are theirs.
constexpr std::string_view kNonVisualClasses[] = {"TRFDesigner", "TShellResources", "TTimer",     "TImageList",
                                                  "TPopupMenu",  "TMainMenu",       "TMenuItem",  "TActionList",
                                                  "TAction",     "TOpenDialog",     "TSaveDialog"};

bool is_non_visual(std::string_view class_name) {
  return std::any_of(std::begin(kNonVisualClasses), std::end(kNonVisualClasses),
                     [&](std::string_view known) { return ascii_equal_ignore_case(known, class_name); });
}

LRESULT CALLBACK page_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

class FormControl : public Control {
 public:
  using Control::Control;
  WizardPage::WindowHook hook;

 protected:
  HWND make_window(HWND, const RECT&) override {
    platform::register_window_class({kPageClass, page_procedure});
    const auto number = [this](const char* name, int fallback) {
      return parse_integer_text(stored(name)).value_or(fallback);
    };
    RECT frame{0, 0, scale()(number("ClientWidth", 462)), scale()(number("ClientHeight", 181))};
    AdjustWindowRectEx(&frame, kPageStyle, FALSE, kPageExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    const int top = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    return CreateWindowExA(kPageExStyle, kPageClass, stored("Caption").c_str(), kPageStyle, left, top, width, height,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  void apply(std::string_view property) override {
    // The page is placed by the wizard, not by its design-time position.
    if (ascii_equal_ignore_case(property, "Left") || ascii_equal_ignore_case(property, "Top")) return;
    Control::apply(property);
  }
};

const ControlClass& form_class() {
  static const ControlClass c{"TPoolTemplate", nullptr,
                              joined({&control_properties(), &windowed_properties(), &appearance_properties()},
                                     {{"Caption", K::kText},
                                      {"ClientWidth", K::kInteger, "462"},
                                      {"ClientHeight", K::kInteger, "181"},
                                      {"BorderStyle", K::kIdentifier, "bsDialog"},
                                      {"BorderIcons", K::kSet},
                                      {"Position", K::kIdentifier, "poScreenCenter"},
                                      {"OldCreateOrder", K::kBoolean},
                                      {"PixelsPerInch", K::kInteger, "96"},
                                      {"TextHeight", K::kInteger},
                                      {"Scaled", K::kBoolean, "True"},
                                      {"AutoScroll", K::kBoolean},
                                      {"AutoSize", K::kBoolean},
                                      {"KeyPreview", K::kBoolean},
                                      {"FormStyle", K::kIdentifier},
                                      {"WindowState", K::kIdentifier},
                                      {"GlassFrame", K::kObject},
                                      {"Icon", K::kObject},
                                      {"DesignSize", K::kStrings},
                                      {"OnCreate", K::kEvent},
                                      {"OnShow", K::kEvent},
                                      {"OnCloseQuery", K::kEvent},
                                      {"OnDestroy", K::kEvent},
                                      {"OnClose", K::kEvent},
                                      {"OnActivate", K::kEvent},
                                      {"OnResize", K::kEvent}}),
                              [](const ControlClass& control_class) {
                                return std::make_unique<FormControl>(control_class);
                              }};
  return c;
}

LRESULT CALLBACK page_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (auto* form = dynamic_cast<FormControl*>(control_of_window(window)); form != nullptr && form->hook) {
    if (const std::optional<LRESULT> answer = form->hook(message, wparam, lparam)) return *answer;
  }
  switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (const std::optional<LRESULT> colours = control_colours(message, wparam, lparam)) return *colours;
      return DefWindowProcA(window, message, wparam, lparam);
    case WM_ERASEBKGND:
      if (erase_background(window, reinterpret_cast<HDC>(wparam))) return 1;
      return DefWindowProcA(window, message, wparam, lparam);
    case WM_COMMAND:
      if (Control* control = control_of_window(reinterpret_cast<HWND>(lparam))) control->notify(HIWORD(wparam), lparam);
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
      // Track bars and up-downs report their moves with the scroll code.
      if (Control* control = control_of_window(reinterpret_cast<HWND>(lparam))) control->notify(LOWORD(wparam), lparam);
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (Control* control = control_of_window(header->hwndFrom)) control->notify(header->code, lparam);
      return 0;
    }
    case WM_CLOSE:
      return 0;  // a page goes only when the wizard hides it
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

[[noreturn]] void refuse(const std::string& file_name, const FormComponent& component, const std::string& what) {
  throw FormTextError(file_name + ", line " + std::to_string(component.line) + ": " + what);
}

// Assigns a definition's property to a control as the designer does.
void assign(Control& control, const FormComponent& component, const FormProperty& property,
            const std::string& file_name) {
  const std::string& name = property.name;
  const std::string_view head = std::string_view(name).substr(0, name.find('.'));
  const PropertyDefinition* definition = control.control_class().find_property(name);
  if (definition == nullptr)
    refuse(file_name, component, std::string(control.class_name()) + " has no property '" + name + "'");

  // "Items.Strings = (...)": the lines of a string list.
  if (definition->kind == PropertyKind::kStrings && name.size() > head.size()) {
    if (!ascii_equal_ignore_case(name.substr(head.size()), ".Strings"))
      refuse(file_name, component, std::string(control.class_name()) + " has no property '" + name + "'");
    control.set_property_text(head, text_of(property.value).value_or(""));
    return;
  }
  // Picture data goes to the control that shows it; collections wait for the
  // controls that have them.
  const FormValueKind kind = kind_of(property.value);
  if (kind == FormValueKind::kBinary) {
    try {
      control.assign_binary(name, std::get<FormBinary>(property.value.data).bytes);
    } catch (const BinaryValueRefused&) {
      refuse(file_name, component, "the property '" + name + "' of " + std::string(control.class_name()) +
                                       " holds data that cannot be read");
    }
    return;
  }
  if (kind == FormValueKind::kCollection) return;
  const std::optional<std::string> text = text_of(property.value);
  if (!text || !control.set_property_text(name, *text))
    refuse(file_name, component, "the property '" + name + "' of " + std::string(control.class_name()) +
                                     " cannot take the value written for it");
}

std::unique_ptr<Control> make_control(const ControlClass& control_class, const FormComponent& component,
                                      const std::string& file_name) {
  std::unique_ptr<Control> control = control_class.make(control_class);
  if (!component.name.empty()) control->set_property_text("Name", component.name);
  for (const FormProperty& property : component.properties) assign(*control, component, property, file_name);
  for (const FormComponent& child : component.children) {
    if (child.is_form_designer() || is_non_visual(child.class_name)) continue;
    const ControlClass* child_class = find_control_class(child.class_name);
    if (child_class == nullptr) refuse(file_name, child, "the class '" + child.class_name + "' is not known");
    control->adopt(make_control(*child_class, child, file_name));
  }
  return control;
}

void collect(Control& control, std::vector<Control*>& all) {
  for (const std::unique_ptr<Control>& child : control.children()) {
    all.push_back(child.get());
    collect(*child, all);
  }
}

// The page's font: the definition's Font.Name and Font.Size (or Font.Height,
// in pixels at the definition's PixelsPerInch), Tahoma 8 point without them.
platform::UniqueGdiObject page_font(const Control& form, const platform::DpiScale& scale) {
  std::string face = form.property_text("Font.Name").value_or("");
  if (face.empty()) face = "Tahoma";
  int points = parse_integer_text(form.property_text("Font.Size").value_or("")).value_or(0);
  const int height = parse_integer_text(form.property_text("Font.Height").value_or("")).value_or(0);
  const int design_dpi = std::max(1, parse_integer_text(form.property_text("PixelsPerInch").value_or("96")).value_or(96));
  if (points <= 0 && height != 0) points = std::max(1, MulDiv(std::abs(height), 72, design_dpi));
  if (points <= 0) points = 8;
  return platform::create_point_font(face.c_str(), points, scale.dpi());
}

}  // namespace

WizardPage::WizardPage(std::string file_name, std::unique_ptr<Control> form)
    : file_name_(std::move(file_name)), form_(std::move(form)) {}

WizardPage::~WizardPage() = default;

std::unique_ptr<WizardPage> WizardPage::load(const FormComponent& definition, const std::string& file_name) {
  return std::unique_ptr<WizardPage>(new WizardPage(file_name, make_control(form_class(), definition, file_name)));
}

std::vector<Control*> WizardPage::controls() const {
  std::vector<Control*> all;
  collect(*form_, all);
  return all;
}

Control* WizardPage::find(std::string_view name) const {
  for (Control* control : controls())
    if (ascii_equal_ignore_case(control->name(), name)) return control;
  return nullptr;
}

HWND WizardPage::create_window() {
  platform::init_common_controls(ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES |
                                 ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_ANIMATE_CLASS);
  const platform::DpiScale scale = platform::DpiScale::of_screen();
  font_ = page_font(*form_, scale);
  form_->set_property_text("Visible", "False");
  form_->create_window(nullptr, scale, static_cast<HFONT>(font_.get()));
  const auto find_control = [this](std::string_view name) { return find(name); };
  for (Control* control : controls()) control->connect(find_control);
  return form_->window();
}

void WizardPage::set_window_hook(WindowHook hook) { static_cast<FormControl&>(*form_).hook = std::move(hook); }

}  // namespace qm
