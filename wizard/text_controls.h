#pragma once
// The rich edit control class (TRichEdit): Windows' rich edit from the
// system folder (Msftedit's RICHEDIT50W, else riched20's RichEdit20W), which
// shows readme and licence texts in rich-text form and edits lines bound to a
// variable.

#include <string>
#include <string_view>
#include <vector>

#include "wizard/control_class.h"

namespace qm {

std::vector<const ControlClass*> text_control_classes();

class RichEditControl : public Control {
 public:
  using Control::Control;

  // Shows a rich-text document (RTF bytes, as a .rtf file holds them); false,
  // and the text left as it was, when the control cannot read it.
  bool load_rich_text(std::string_view rtf);
  // Shows `text` as it stands (lines ended by CR LF, LF or CR), never read as
  // rich text.
  void load_plain_text(std::string_view text);
  // The text's lines, without their line ends.
  std::vector<std::string> lines() const;
  void set_lines(const std::vector<std::string>& lines);
  // The whole text, its lines joined by CR LF.
  std::string text() const;
  // Both scroll bars, each shown when the text needs it (ScrollBars ssBoth).
  void show_both_scroll_bars();

  void notify(UINT code, LPARAM details) override;

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override;
  void apply(std::string_view property) override;
  std::optional<std::string> live_text(std::string_view property) const override;

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  // Streams `bytes` in as rich text or as plain text; false when the control
  // refused them.
  bool stream_in(std::string_view bytes, bool rich);
  void show_lines_property();
  void apply_scroll_bars();
  void apply_word_wrap();
  void apply_colours();
  void apply_max_length();
  LRESULT dialog_code(LRESULT code, const MSG* message) const;

  std::string pending_rich_text_;  // loaded before the window was made
  bool loading_ = false;          // the text changes, not the user
  bool set_up_ = false;           // the window has its font, settings and first text
};

}  // namespace qm
