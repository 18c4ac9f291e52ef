#pragma once
// The wizard's page viewer: a child window that shows a support page (an
// HtmlDocument) laid out with GDI in the dialog font family, follows its
// links and reports a meta refresh to its owner.
//
// A click on a link asks the hot-spot handler first; when the handler leaves
// the click alone and the link names a local .htm or .html file, the viewer
// loads that file itself (relative links resolve against the folder of the
// page shown). A page that cannot be read is never an error: the viewer shows
// its empty-page text instead.

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/unique_resource.h"
#include "wizard/html/html_document.h"

namespace qm {

class HtmlViewer {
 public:
  // Answers whether it handled the click on the link `href`.
  using HotSpotHandler = std::function<bool(const std::string& href)>;
  using MetaRefreshHandler = std::function<void(int delay_seconds, const std::string& url)>;

  // How a page looks where it does not say: the text's face and size, the
  // colours, the margins (96-dpi pixels) and whether a page longer than the
  // window shows a scroll bar (it scrolls by keys and wheel either way).
  struct Look {
    std::string face = "Tahoma";  // the dialog font family
    int points = 8;
    std::optional<COLORREF> background;  // the window colour without one
    std::optional<COLORREF> text;        // the window text colour without one
    // The blue of links in browsers: the system's hot-track colour is pale
    // on some themes and reads as disabled text.
    COLORREF link = RGB(0, 0, 204);
    int margin_width = 8;
    int margin_height = 8;
    bool scroll_bar = true;
  };

  // A link's place on the screen, in client coordinates as it is now scrolled.
  struct HotSpot {
    RECT area;
    std::string href;
  };

  // Creates the child window of `parent` at `bounds` (client pixels of the parent).
  HtmlViewer(HWND parent, int control_id, const RECT& bounds);
  HtmlViewer(const HtmlViewer&) = delete;
  HtmlViewer& operator=(const HtmlViewer&) = delete;
  ~HtmlViewer();

  HWND window() const { return window_.get(); }
  // The viewer whose window this is, or null.
  static HtmlViewer* of_window(HWND window);

  void set_hot_spot_handler(HotSpotHandler handler) { hot_spot_handler_ = std::move(handler); }
  void set_meta_refresh_handler(MetaRefreshHandler handler) { meta_refresh_handler_ = std::move(handler); }
  void set_look(Look look);
  const Look& look() const { return look_; }
  // Shown as the page while nothing is loaded and when a file cannot be read.
  void set_empty_page_text(std::string text);

  // Shows the empty-page text, as when nothing is loaded.
  void clear() { show_empty_page(); }
  // Shows the page in `path`; false (and the empty-page text) when it cannot be read.
  bool load_file(const std::string& path);
  // Shows `html`; its relative links resolve against `base_folder`, if given.
  void load_text(std::string_view html, std::string base_folder = {});

  // The file shown, empty for a text or the empty page.
  const std::string& document_path() const { return document_path_; }
  const std::string& title() const { return document_.title; }
  const HtmlDocument& document() const { return document_; }

  // The file a link names: "%XX" escapes decoded, a "file:" scheme and a
  // "#place" dropped, slashes turned round, and a relative name put in the
  // folder of the page shown. Empty for a link to no file (another scheme,
  // "#place" alone).
  std::string file_name_of_link(const std::string& href) const;

  std::vector<HotSpot> hot_spots() const;
  // The scroll position and the height of the laid-out page, in pixels.
  int scroll_position() const { return scroll_top_; }
  int page_height() const { return layout_.height; }

 private:
  struct FontKey {
    int size_percent;  // of the body text
    bool bold;
    bool italic;
    bool underline;
    bool monospace;
    auto operator<=>(const FontKey&) const = default;
  };
  // A piece of text on a line, in page coordinates (before scrolling).
  struct Piece {
    RECT area;
    std::string text;
    FontKey font;
    std::string href;
  };
  struct Marker {
    enum Kind { disc, circle, square, number, rule } kind;
    RECT area;
    std::string text;  // of a number
  };
  struct Layout {
    std::vector<Piece> pieces;
    std::vector<Marker> markers;
    int width = 0;
    int height = 0;
  };
  class LineBuilder;

  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);

  void show(HtmlDocument document, std::string path, std::string base_folder);
  void show_empty_page();
  HtmlDocument empty_page() const;
  void report_meta_refresh();

  HFONT font(const FontKey& key);
  Layout lay_out(int width);
  void lay_out_block(const HtmlBlock& block, LineBuilder& lines, Layout& layout);
  void relayout();
  void paint(HDC dc);
  void scroll_to(int top);
  void scroll_by_lines(int lines);
  const Piece* piece_at(POINT client) const;
  void follow(const std::string& href);
  bool on_key(WPARAM key);

  platform::UniqueWindow window_;
  Look look_;
  HotSpotHandler hot_spot_handler_;
  MetaRefreshHandler meta_refresh_handler_;
  std::string empty_page_text_;
  HtmlDocument document_;
  std::string document_path_;
  std::string base_folder_;
  std::map<FontKey, platform::UniqueGdiObject> fonts_;
  int fonts_dpi_ = 0;
  Layout layout_;
  int scroll_top_ = 0;
  bool scroll_bar_shown_ = false;
  bool laying_out_ = false;
  // The link the mouse button went down on: a click needs both ends on it.
  std::optional<std::string> pressed_href_;
};

}  // namespace qm
