#pragma once
// The control classes that show media: the common control's animation
// (TAnimate), the support page viewer (THTMLViewer, around html/HtmlViewer)
// and the movie frame (TFlashFrame), which shows its caption where a movie
// player would be.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "wizard/control_class.h"
#include "wizard/drawn_control.h"
#include "wizard/html/html_viewer.h"

namespace qm {

std::vector<const ControlClass*> media_control_classes();

// An animation of Windows' animation control: a silent AVI file (FileName)
// or one of the system's own (CommonAVI), played while Active.
class AnimateControl : public Control {
 public:
  using Control::Control;

  // Opens the animation and plays it; false (and nothing shown) when it
  // cannot be opened or played. Active reads back whether it plays.
  bool play();
  void stop();
  bool playing() const { return playing_; }

  void notify(UINT code, LPARAM details) override;

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override;
  void apply(std::string_view property) override;
  std::optional<std::string> live_text(std::string_view property) const override;

 private:
  DWORD style() const;
  bool open(HWND self);
  bool play_in(HWND self);

  bool playing_ = false;
};

// The support page viewer. A hot-spot click raises kHotSpotClick with the
// link in details.link; when the handler does not set details.handled, the
// viewer follows the link itself (a local page is loaded). A page with a
// meta refresh raises kMetaRefresh with details.delay (seconds) and
// details.link (the URL as written).
class HtmlViewerControl : public Control {
 public:
  using Control::Control;
  ~HtmlViewerControl() override;

  // Shows the page in the file at `path`; its relative links resolve against
  // its folder. False, and the empty page, when it cannot be read.
  bool load_file(const std::string& path);
  // Shows HTML text; relative links resolve against `base_folder`.
  void load_html(std::string_view html, std::string base_folder = {});
  // Shows `text` as it stands (not markup) as the page.
  void show_text(const std::string& text);
  // The file shown (empty for a text) and its title.
  std::string document_path() const;
  std::string document_title() const;
  // The file a link names, as the viewer resolves it (empty for none).
  std::string file_name_of_link(const std::string& href) const;

  // The viewer itself, once the window is made.
  HtmlViewer* viewer() const { return viewer_.get(); }

 protected:
  HWND make_window(HWND parent, const RECT& bounds) override;
  void apply(std::string_view property) override;

 private:
  static LRESULT CALLBACK host_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void apply_look();
  void apply_border();

  std::unique_ptr<HtmlViewer> viewer_;
};

// The movie frame. No movie player is available to this engine, so the
// frame shows its caption (the text that says what to add) centred; loading
// a movie reports that it cannot play.
class FlashFrameControl : public DrawnControl {
 public:
  using DrawnControl::DrawnControl;

  // The player's component file ("flash.ocx" in the support folder), kept
  // for a player to come.
  void set_movie_component(std::string path) { movie_component_ = std::move(path); }
  const std::string& movie_component() const { return movie_component_; }
  // Loads and starts the movie at `path`; false when it cannot play, and the
  // caption stays.
  bool load_movie(const std::string& path);
  void stop();
  bool playing() const { return false; }

 protected:
  void paint(HDC dc, const RECT& client) override;

 private:
  std::string movie_component_;
};

}  // namespace qm
