#pragma once
// A control of a wizard page, made from its block in the page's dialog
// definition: a Windows control (or one of ours) together with the published
// properties the definition and the dialog rules read and write as text by
// name, and the events binding attaches handlers to.
//
// Properties live as texts in the control, in the forms the designer's
// property access gives ("True"/"False", decimal numbers, identifiers such as
// "alClient", string lists as CR LF lines). A property whose value the
// window holds (an edit's Text, a check box's Checked) is read from the
// window; setting one changes the window at once.

#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog_form.h"
#include "platform/unique_resource.h"

namespace qm {

class Control;
struct ControlClass;

// What a definition may write into a property.
enum class PropertyKind {
  kText,        // 'a string'
  kInteger,     // 12, $0F
  kBoolean,     // True, False
  kIdentifier,  // alClient, clBtnFace, or an integer (colours may be either)
  kSet,         // [akLeft, akTop]
  kStrings,     // the lines of a string list (Items.Strings = (...))
  kBinary,      // picture data
  kCollection,  // < item ... end >
  kObject,      // a property with properties of its own: Font.Name, Constraints.MinWidth
  kEvent,       // OnClick = Button1Click: names a handler of the page
};

struct PropertyDefinition {
  std::string_view name;
  PropertyKind kind;
  std::string_view initial = {};  // the text before anything sets it
};

// Events binding attaches handlers to; the page raises them from the
// window's notifications.
enum class ControlEvent { kClick, kChange, kClickCheck, kMouseUp, kKeyUp, kHotSpotClick, kMetaRefresh };

struct EventDetails {
  POINT point{};        // mouse-up: where, in the control's coordinates
  int key = 0;          // key-up: the virtual key
  std::string link;     // hot spot: the link's target; meta refresh: the URL
  int delay = 0;        // meta refresh: seconds
  bool handled = false; // hot spot: the handler took the click
  LPARAM item = 0;      // tree view change: the node (HTREEITEM), or 0
};

using EventHandler = std::function<void(Control& control, EventDetails& details)>;

class BinaryValueRefused : public std::exception {
 public:
  const char* what() const noexcept override { return "the binary data cannot be read"; }
};

class Control {
 public:
  explicit Control(const ControlClass& control_class);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const ControlClass& control_class() const { return control_class_; }
  std::string_view class_name() const;
  // Whether the control is of this class or one derived from it.
  bool is_a(std::string_view class_name) const;

  std::string name() const;
  std::string hint() const;
  int tag() const;
  int tab_order() const;

  // A published property as text; nothing when the class has no such
  // property (names compare without regard to case; "Font.Name" reaches into
  // the font).
  std::optional<std::string> property_text(std::string_view name) const;
  // False when the class has no such property or the text is no value of it
  // ("maybe" for a boolean).
  bool set_property_text(std::string_view name, std::string_view text);
  // Whether the class publishes the property (a definition may set only those).
  bool has_property(std::string_view name) const;

  void set_handler(ControlEvent event, EventHandler handler);
  void clear_handler(ControlEvent event);
  void clear_handlers();
  bool has_handler(ControlEvent event) const;
  // Runs the handler of `event`, when one is attached.
  void raise(ControlEvent event, EventDetails& details);
  void raise(ControlEvent event);

  Control* parent() const { return parent_; }
  const std::vector<std::unique_ptr<Control>>& children() const { return children_; }
  Control& adopt(std::unique_ptr<Control> child);

  // The control's window, once the page has made it (null before).
  HWND window() const { return window_; }
  // Makes the window of this control and of its children inside `parent`,
  // laid out at `scale` with `font`.
  void create_window(HWND parent, const platform::DpiScale& scale, HFONT font);
  // The texts of the items a list control has selected, in list order (none
  // for other controls).
  virtual std::vector<std::string> selected_texts() const;

  // Binary data the definition gives a property ("Picture.Data"); a class
  // that shows pictures keeps it, others ignore it. Throws
  // BinaryValueRefused for data the class reads and finds damaged (a tree's
  // nodes); a damaged picture only shows nothing.
  virtual void assign_binary(std::string_view property, const std::vector<std::uint8_t>& bytes);

  // Once every window of the page exists: a control that names another in a
  // property (an up-down's Associate) finds it here, as the designer fixes
  // references up after loading.
  virtual void connect(const std::function<Control*(std::string_view name)>& find);

  // A notification of the control's window that reached the page
  // (WM_COMMAND's code, or WM_NOTIFY's); raises the control's events.
  virtual void notify(UINT code, LPARAM details);

  // The colours the control is drawn in: its own Color, or its parent's when
  // it takes the parent's; its Font.Color, or its parent's text colour.
  std::optional<COLORREF> own_background() const;
  COLORREF background() const;
  COLORREF text_colour() const;
  HBRUSH background_brush();
  HFONT font() const { return font_; }

 protected:
  // The class's own window, at `bounds` in the parent's pixels.
  virtual HWND make_window(HWND parent, const RECT& bounds) = 0;
  // A property changed while the window exists: show it.
  virtual void apply(std::string_view property);
  // A property whose current value the window holds; nothing when the stored
  // text is current.
  virtual std::optional<std::string> live_text(std::string_view property) const;

  // The stored text of a property (the class must publish it).
  const std::string& stored(std::string_view property) const;
  void store(std::string_view property, std::string text);

  const platform::DpiScale& scale() const { return scale_; }
  // Left, Top, Width and Height in the parent's pixels.
  RECT scaled_bounds() const;

 private:
  struct NameLess {
    bool operator()(const std::string& a, const std::string& b) const;
  };

  const ControlClass& control_class_;
  std::map<std::string, std::string, NameLess> texts_;
  std::map<std::string, bool, NameLess> assigned_;  // set by the definition or later, not initial
  platform::UniqueGdiObject own_font_;
  HFONT font_ = nullptr;
  platform::UniqueGdiObject brush_;
  COLORREF brush_colour_ = 0;
  std::map<ControlEvent, EventHandler> handlers_;
  Control* parent_ = nullptr;
  std::vector<std::unique_ptr<Control>> children_;
  HWND window_ = nullptr;
  platform::DpiScale scale_{96};
};

// The window property that holds a control's Name as a global atom.
inline constexpr const char* kControlNameProperty = "QuillmoreControlName";

// The control of ours a window belongs to, or null.
Control* control_of_window(HWND window);

// Answers a WM_CTLCOLOR... message that asks for the colours of one of our
// controls; nothing for other windows (Windows' defaults serve).
std::optional<LRESULT> control_colours(UINT message, WPARAM wparam, LPARAM lparam);

// Fills the background of a page or container in its control's colour;
// false when the window is none of ours.
bool erase_background(HWND window, HDC dc);

}  // namespace qm
