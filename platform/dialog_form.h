#pragma once
// The engine's own dialog windows: a fixed-size form laid out on the 96-dpi
// grid that form designers use, scaled to the screen's real resolution, in
// the dialog font, with standard controls, shown modally.
//
// Layouts are given in design pixels; the form scales every coordinate, so a
// form looks the same at 96 dpi and at 144 dpi. The program's manifest asks
// for common controls 6 (visual styles) and declares the process DPI-aware,
// so that Windows neither draws old-style controls nor blurs the form by
// stretching it.

#include <windows.h>

#include <string>
#include <vector>

#include "platform/unique_resource.h"

namespace qm::platform {

// Converts 96-dpi design pixels to pixels of this screen.
class DpiScale {
 public:
  static DpiScale of_screen();
  // The resolution of the monitor that shows the window (per-monitor aware
  // Windows), else of the screen.
  static DpiScale of_window(HWND window);
  explicit DpiScale(int dpi) : dpi_(dpi) {}
  int operator()(int design_pixels) const { return MulDiv(design_pixels, dpi_, 96); }
  int dpi() const { return dpi_; }

 private:
  int dpi_;
};

// A font of `face` at `points` for this screen's resolution, or for `dpi`.
UniqueGdiObject create_point_font(const char* face, int points);
UniqueGdiObject create_point_font(const char* face, int points, int dpi);

// The font Windows uses for message boxes (the user's choice of size).
UniqueGdiObject create_message_font();

// Loads comctl32 from the system folder (it is not one of the libraries
// Windows always takes from there) and registers the given control classes
// (ICC_... flags).
void init_common_controls(DWORD classes);

// The icon of the engine's own windows.
HICON engine_window_icon();

// What ended a modal form: the command identifier of the button pressed
// (IDOK, IDCANCEL, ...). Escape and the close box press the cancel button;
// the close box, without one, and the end of the thread's message loop give
// IDCANCEL.
using DialogResult = int;

enum class ButtonRole {
  kPlain,
  kDefault,  // Enter presses it
  kCancel,   // Escape and the close box press it
};

class DialogForm {
 public:
  // A form centred on the screen with a client area of the given design size,
  // in the font `face` at `points`. When the form moves to a monitor of
  // another resolution, it lays itself out again for that one.
  DialogForm(const std::string& caption, int client_width, int client_height, const char* face, int points);
  ~DialogForm();
  DialogForm(const DialogForm&) = delete;
  DialogForm& operator=(const DialogForm&) = delete;

  HWND window() const { return window_.get(); }
  const DpiScale& scale() const { return scale_; }

  // Controls at design coordinates; each takes the form's font.
  HWND add_label(const std::string& text, int left, int top, int width, int height);
  HWND add_icon(HICON icon, int left, int top);
  // A drop-down list that only offers its items (no typing); `selected` may
  // be -1 for none.
  HWND add_drop_down_list(int id, const std::vector<std::string>& items, int selected, int left, int top,
                          int width);
  // A push button that ends the modal loop with `result` when pressed.
  HWND add_button(const std::string& text, DialogResult result, ButtonRole role, int left, int top, int width,
                  int height);

  // Shows the form and handles messages until a button ends it; `owner`
  // (may be null) is disabled meanwhile, as for a modal dialog.
  DialogResult show_modal(HWND owner);

  // The text of a control's current selection or contents.
  static std::string selected_text(HWND drop_down_list);

 private:
  struct Placed {
    HWND control;
    RECT design;  // left, top, right, bottom in 96-dpi pixels
  };

  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);
  void end_with(DialogResult result);
  HWND add_control(const char* window_class, const std::string& text, DWORD style, int id, int left, int top,
                   int width, int height);
  // Sizes the form and places every control for the current scale.
  void lay_out(const RECT* suggested_frame);

  DpiScale scale_;
  std::string font_face_;
  int font_points_;
  UniqueGdiObject font_;
  int client_width_;
  int client_height_;
  std::vector<Placed> placed_;
  UniqueWindow window_;
  int default_button_ = 0;
  int cancel_button_ = 0;
  std::vector<int> result_buttons_;
  DialogResult result_ = 0;
  bool ended_ = false;
};

}  // namespace qm::platform
