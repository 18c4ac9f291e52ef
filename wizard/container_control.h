#pragma once
// Controls that hold others (panels, group boxes, tab sheets): a window of
// ours that keeps their children and passes the children's notifications on
// to the page, as a page's own controls send theirs to it.

#include <windows.h>

#include "wizard/control.h"

namespace qm {

class ContainerControl : public Control {
 public:
  using Control::Control;
  // Draws what the container shows beside its children (a frame, a caption).
  virtual void paint(HDC, const RECT&) {}

 protected:
  // The holding window, at `bounds` in the parent's pixels, hidden.
  HWND make_host(HWND parent, const RECT& bounds);
};

}  // namespace qm
