#pragma once
// The common ground of the controls this wizard draws itself (gauges, shapes,
// speed and bitmap buttons, the form shape, the movie frame): a window of our
// own class that paints off screen, knows when the mouse is over it, and
// raises BN_CLICKED to its parent as Windows' buttons do; and the drawing of
// button faces and of the definition's pictures.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/picture.h"
#include "platform/unique_resource.h"
#include "wizard/control.h"

namespace qm {

class DrawnControl : public Control {
 public:
  using Control::Control;

  // Whether the mouse is over the control (hot tracking).
  bool hot() const { return hot_; }

 protected:
  // Paints the whole client area, which is already filled with the
  // control's background.
  virtual void paint(HDC dc, const RECT& client) = 0;
  // A message of the control's window before the common handling; nothing to
  // let that (and DefWindowProc) answer it.
  virtual std::optional<LRESULT> handle(UINT message, WPARAM wparam, LPARAM lparam);
  // Styles of the window beyond WS_CHILD.
  virtual DWORD window_style() const { return 0; }
  virtual DWORD window_extended_style() const { return 0; }
  // The mouse came or went.
  virtual void hot_changed() {}

  HWND make_window(HWND parent, const RECT& bounds) override;
  // Every property may change what the control shows.
  void apply(std::string_view property) override;

  void redraw() const;
  // Tells the parent the control was clicked, as a button does
  // (WM_COMMAND, BN_CLICKED); the page raises the control's click event.
  void notify_clicked() const;

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT common(UINT message, WPARAM wparam, LPARAM lparam);

  bool hot_ = false;
};

// A picture of a definition ready to draw: its bitmap made once, on first use.
class DrawnPicture {
 public:
  DrawnPicture() = default;
  explicit DrawnPicture(std::optional<platform::Picture> picture) : picture_(std::move(picture)) {}

  bool has_picture() const { return picture_.has_value(); }
  int width() const { return picture_ ? picture_->width : 0; }
  int height() const { return picture_ ? picture_->height : 0; }
  const platform::Picture* picture() const { return picture_ ? &*picture_ : nullptr; }

  // Pixels of `colour` become transparent, as the designer's bitmaps show a
  // colour key; a picture with an alpha of its own keeps it.
  void make_colour_transparent(COLORREF colour);
  // The colour of the bottom-left pixel, the designer's automatic key colour.
  std::optional<COLORREF> corner_colour() const;

  // Draws the part `source` (picture pixels) into `target`, blended by its
  // alpha and `opacity` (0-255).
  void draw(HDC dc, const RECT& target, const RECT& source, BYTE opacity = 255);
  void draw(HDC dc, const RECT& target) { draw(dc, target, {0, 0, width(), height()}); }

 private:
  std::optional<platform::Picture> picture_;
  platform::UniqueGdiObject bitmap_;
};

// Picture data of a definition: a bitmap property's data (size, then the
// file) or a picture property's (class name, then the file); nothing when it
// is neither or corrupt.
std::optional<platform::Picture> picture_of_property_data(const std::vector<std::uint8_t>& bytes);

enum class FaceState { normal, hot, pressed, disabled };

// A push button's face in the system's look (the visual style when one is
// active); a flat face shows an edge only when hot or pressed.
void draw_button_face(HWND window, HDC dc, const RECT& area, FaceState state, bool flat);

}  // namespace qm
