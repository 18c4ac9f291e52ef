#pragma once
// The control classes this wizard draws itself: gauges (TGauge), shapes
// (TShape), speed buttons (TSpeedButton), bitmap buttons (TRzBmpButton) and
// the form shape (TRzFormShape) that gives a page the outline of its picture.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "wizard/control_class.h"
#include "wizard/drawn_control.h"

namespace qm {

std::vector<const ControlClass*> drawn_control_classes();

// A gauge: MinValue, MaxValue and Progress (32-bit) drawn as a bar, a pie, a
// needle or the percentage alone, with the percentage written in the middle
// when ShowText says so.
class GaugeControl : public DrawnControl {
 public:
  using DrawnControl::DrawnControl;

  // The progress in whole percent of the range, as drawn: the progress is
  // taken within the range; an empty range is 0 %.
  int percent_done() const;
  // Minimum, maximum and progress at once, so that no order of setting them
  // passes through a range that refuses the others.
  void set_values(std::int32_t minimum, std::int32_t maximum, std::int32_t progress);
  // The numbers of the progress record, which may exceed 32 bits: while the
  // maximum does not fit, all three are divided by 1024, so that the gauge
  // shows the same share (a position of 2500000000 of 5000000000 is half).
  void show_progress(std::int64_t minimum, std::int64_t maximum, std::int64_t position);

 protected:
  void paint(HDC dc, const RECT& client) override;

 private:
  std::int64_t number(const char* property, std::int64_t fallback) const;
  void paint_text(HDC dc, const RECT& area, const RECT* filled, COLORREF back_colour) const;
};

// A shape (rectangle, square, rounded, ellipse, circle) in its pen and brush;
// raises the mouse-up event with the point and the button (details.key:
// VK_LBUTTON, VK_RBUTTON or VK_MBUTTON).
class ShapeControl : public DrawnControl {
 public:
  explicit ShapeControl(const ControlClass& control_class);

 protected:
  void paint(HDC dc, const RECT& client) override;
  std::optional<LRESULT> handle(UINT message, WPARAM wparam, LPARAM lparam) override;
};

// What speed buttons and bitmap buttons share: pressed by the mouse (the
// click comes when the button is released over the control), Down in a
// group (GroupIndex, AllowAllUp), and a click reported to the parent as
// Windows' buttons report theirs (BN_CLICKED), which the page raises as the
// control's click event.
class PressableControl : public DrawnControl {
 public:
  using DrawnControl::DrawnControl;

  bool down() const { return down_; }
  // A click as the user's: the Down state of a grouped button changes, then
  // the click is reported.
  void click();
  void notify(UINT code, LPARAM details) override;

 protected:
  // Shown pressed: held down by the mouse over it, by the space bar, or Down.
  bool shows_pressed() const { return (pressing_ && inside_) || space_pressed_ || down_; }
  bool space_pressed() const { return space_pressed_; }
  void set_space_pressed(bool pressed);
  // Takes the focus on a click (a button with a window of its own).
  virtual bool takes_focus() const { return false; }

  HWND make_window(HWND parent, const RECT& bounds) override;
  void apply(std::string_view property) override;
  std::optional<std::string> live_text(std::string_view property) const override;
  std::optional<LRESULT> handle(UINT message, WPARAM wparam, LPARAM lparam) override;
  void hot_changed() override { redraw(); }

 private:
  int group() const;
  // The Down state as the designer sets it: only grouped buttons stay down,
  // and one that is down goes up only when its group allows all up.
  void set_down(bool down);
  void release_group_neighbours();

  bool down_ = false;
  bool pressing_ = false;
  bool inside_ = false;
  bool space_pressed_ = false;
};

// A flat or raised button with a caption and a glyph (Glyph.Data, NumGlyphs
// images side by side: up, disabled, down, stay-down).
class SpeedButtonControl : public PressableControl {
 public:
  using PressableControl::PressableControl;

  bool has_glyph() const { return glyph_.has_picture(); }
  void assign_binary(std::string_view property, const std::vector<std::uint8_t>& bytes) override;

 protected:
  void paint(HDC dc, const RECT& client) override;

 private:
  DrawnPicture glyph_;
};

// A button drawn from its bitmaps (Bitmaps.Up, Down, Disabled, Hot ...), the
// caption written over them; without an up bitmap it is drawn as a push
// button. It takes the focus, and Enter and the space bar press it.
class BitmapButtonControl : public PressableControl {
 public:
  using PressableControl::PressableControl;

  // Whether the definition gave a readable bitmap of that name ("Up", "Down",
  // "Disabled", "Hot"; without regard to case).
  bool has_bitmap(std::string_view name) const;
  void assign_binary(std::string_view property, const std::vector<std::uint8_t>& bytes) override;

 protected:
  bool takes_focus() const override { return true; }
  HWND make_window(HWND parent, const RECT& bounds) override;
  DWORD window_style() const override;
  void paint(HDC dc, const RECT& client) override;
  std::optional<LRESULT> handle(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  DrawnPicture* bitmap(const std::string& name);
  void apply_transparent_colour();

  std::map<std::string, DrawnPicture> bitmaps_;  // by upper-cased name
};

// Shows its picture and gives the page the outline of the picture's
// non-transparent pixels (a window region); without a readable picture the
// page keeps its rectangle. Dragging the picture moves the page, which may
// have no visible caption left.
class FormShapeControl : public DrawnControl {
 public:
  using DrawnControl::DrawnControl;

  bool has_picture() const { return picture_.has_picture(); }
  void assign_binary(std::string_view property, const std::vector<std::uint8_t>& bytes) override;

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override;
  void paint(HDC dc, const RECT& client) override;
  std::optional<LRESULT> handle(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void shape_page(HWND self) const;

  DrawnPicture picture_;
};

}  // namespace qm
