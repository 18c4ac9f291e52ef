#pragma once
// A control whose Windows control lives inside a small window of ours (the
// host), so that what that control sends its parent (notifications, owner
// drawing, colour questions, the answers a tree view expects) comes to the
// control itself instead of to the page. The folder and shell controls are
// made this way.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wizard/control.h"
#include "wizard/folder_glyphs.h"

namespace qm {

// Whether a change came from the program (binding, dialog rules, the API) or
// from the user, on the control itself or on one linked to it. Only the
// user's changes raise events.
enum class ChangeCause { kProgram, kUser };

class HostedControl : public Control {
 public:
  using Control::Control;
  ~HostedControl() override;

  // The Windows control inside (null before the window is made).
  HWND inner() const { return inner_; }

  // A message the host received; nothing leaves it to the host's default
  // handling. Runs inside a window procedure.
  virtual std::optional<LRESULT> host_message(UINT message, WPARAM wparam, LPARAM lparam);
  // Enter was pressed in the inner control (see take_enter_key).
  virtual void enter_pressed() {}
  // The inner control took a new font.
  virtual void font_changed() {}

 protected:
  HWND make_window(HWND parent, const RECT& bounds) final;
  // Makes the inner control as a child of `host`, filling `client`.
  virtual HWND make_inner(HWND host, const RECT& client) = 0;
  // The inner control exists and has its font: fill it.
  virtual void inner_made() {}
  // The height the host needs beyond its definition's (a combo box's edit
  // field is as high as its font makes it); 0 when the definition's serves.
  virtual int needed_height() const { return 0; }
  void apply(std::string_view property) override;

  // Gives the Enter key to `window` (the inner control or a part of it), so
  // that it reaches enter_pressed instead of pressing the page's default
  // button.
  void take_enter_key(HWND window);

  // Destroys the window while the derived control's resources still live.
  void destroy_window();

  // Item colours: the definition's Color and Font.Color, else the system's
  // window colours.
  COLORREF field_background() const;
  COLORREF field_text() const;
  // The height of a line of the control's font, in pixels.
  int text_height() const;
  // A glyph's side at the page's scale.
  int glyph_size() const { return scale()(16); }

  // Draws an owner-drawn list item: its background (selected or not), an
  // icon or a glyph `indent` pixels in, the text, and the focus frame.
  struct ItemPicture {
    std::string_view text;
    std::optional<Glyph> glyph;
    const ItemIcons* icons = nullptr;  // with `icon`, instead of a glyph
    int icon = -1;
    int indent = 0;
  };
  void draw_item(const DRAWITEMSTRUCT& item, const ItemPicture& picture) const;

 private:
  HWND inner_ = nullptr;
};

// A combo box in a host: it keeps its own height and the height of its
// opened list, whatever the definition's Height.
class HostedComboBox : public HostedControl {
 public:
  using HostedControl::HostedControl;
  std::optional<LRESULT> host_message(UINT message, WPARAM wparam, LPARAM lparam) override;
  void font_changed() override;

 protected:
  HWND make_combo(HWND host, const RECT& client, DWORD style);
  int needed_height() const override;
  // The height of an item of the list (and of the selection field).
  int item_height() const;
  int list_height() const;
  // Whether the combo's WM_COMMAND completes the user's choice of an entry:
  // choosing sends more than one notification, and arrows in the opened
  // list only point at entries. The choice is best read once it is posted
  // on (post_to_host), when the combo has finished with the user's input.
  bool completes_choice(WPARAM wparam, LPARAM lparam) const;
  // Paints an item past the combo's entries as empty field.
  void draw_empty_item(const DRAWITEMSTRUCT& item) const;
};

// The published properties every folder and shell control has: those of
// windowed controls with their own look, and the bevel a form designer may
// draw around them.
const std::vector<PropertyDefinition>& field_control_properties();

// The control of the same page named `name` (without regard to case), or null.
Control* find_on_page(const Control& from, std::string_view name);
// Every control of the page `from` is on, the page itself first.
std::vector<Control*> controls_on_page(const Control& from);

// Posts an action to the host, which receives it as kHostAction once the
// Windows control that is notifying now has finished handling the user's
// input (changing a list while it handles a click on it is asking for
// trouble).
void post_to_host(HWND host, WPARAM action, LPARAM argument);
// The message post_to_host sends.
inline constexpr UINT kHostAction = WM_APP + 0x51;

}  // namespace qm
