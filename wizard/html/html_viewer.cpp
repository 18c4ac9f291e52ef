#include "wizard/html/html_viewer.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "platform/dialog_form.h"
#include "platform/window_class.h"

namespace qm {

namespace {

using platform::DpiScale;

constexpr const char* kClassName = "QuillmoreHtmlViewer";
constexpr const char* kMonospaceFace = "Courier New";
// Heading sizes in percent of the body text, h1 to h6, as browsers draw them.
constexpr int kHeadingPercent[] = {200, 150, 117, 100, 83, 67};

// Design pixels (96 dpi).
constexpr int kListIndent = 24;
constexpr int kParagraphGap = 8;
constexpr int kListItemGap = 2;
constexpr int kRuleGap = 6;
constexpr int kBulletSize = 5;
constexpr int kMarkerGap = 6;
constexpr int kWheelLines = 3;

std::string ansi_character(char32_t code_point) {
  wchar_t wide[2];
  int length = 1;
  if (code_point > 0xFFFF) {
    code_point -= 0x10000;
    wide[0] = static_cast<wchar_t>(0xD800 + (code_point >> 10));
    wide[1] = static_cast<wchar_t>(0xDC00 + (code_point & 0x3FF));
    length = 2;
  } else {
    wide[0] = static_cast<wchar_t>(code_point);
  }
  char bytes[8];
  const int written = WideCharToMultiByte(CP_ACP, 0, wide, length, bytes, sizeof bytes, "?", nullptr);
  return written > 0 ? std::string(bytes, static_cast<std::size_t>(written)) : std::string("?");
}

HtmlOptions page_options() {
  HtmlOptions options;
  options.to_ansi = ansi_character;
  return options;
}

// At most the bytes a page may have; nothing when the file cannot be read.
std::optional<std::string> read_page_file(const std::string& path, std::size_t limit) {
  const platform::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[64 * 1024];
  DWORD read = 0;
  while (bytes.size() < limit && ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
    bytes.append(buffer, std::min<std::size_t>(read, limit - bytes.size()));
  return bytes;
}

std::string folder_of(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Extensions and schemes are ASCII: no code page is needed to compare them.
char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool ends_with_ignoring_case(std::string_view text, std::string_view end) {
  return text.size() >= end.size() &&
         std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                    [](char a, char b) { return ascii_lower(a) == ascii_lower(b); });
}

bool starts_with_ignoring_case(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && std::equal(start.begin(), start.end(), text.begin(),
                                                   [](char a, char b) { return ascii_lower(a) == ascii_lower(b); });
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string percent_decoded(std::string_view text) {
  std::string result;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '%' && at + 2 < text.size() && hex_value(text[at + 1]) >= 0 && hex_value(text[at + 2]) >= 0) {
      result += static_cast<char>(hex_value(text[at + 1]) * 16 + hex_value(text[at + 2]));
      at += 2;
    } else {
      result += text[at];
    }
  }
  return result;
}

bool is_page_file(const std::string& path) {
  return ends_with_ignoring_case(path, ".htm") || ends_with_ignoring_case(path, ".html");
}

}  // namespace

// Fills lines from left to right and top to bottom: words go on the line
// while they fit; a word wider than a whole line is cut between characters.
class HtmlViewer::LineBuilder {
 public:
  LineBuilder(HtmlViewer& viewer, HDC dc, Layout& layout, int top)
      : viewer_(viewer), dc_(dc), layout_(layout), top_(top) {}

  void start_block(int left, int right) {
    left_ = left;
    right_ = std::max(right, left + 1);
    x_ = left_;
  }
  int top() const { return top_; }
  void move_down(int pixels) { top_ += pixels; }

  // Text that wraps at blanks.
  void add_flowing(std::string_view text, const FontKey& font, const std::string& href) {
    select(font);
    std::size_t at = 0;
    while (at < text.size()) {
      if (text[at] == '\n') {
        end_line(font);
        ++at;
        continue;
      }
      std::size_t end = text.find_first_of(" \n", at);
      if (end == std::string_view::npos) end = text.size();
      const std::size_t word_end = end;
      while (end < text.size() && text[end] == ' ') ++end;
      add_word(text.substr(at, word_end - at), text.substr(word_end, end - word_end), font, href);
      at = end;
    }
  }

  // Text that keeps its line ends and never wraps.
  void add_preformatted(std::string_view text, const FontKey& font) {
    select(font);
    std::size_t at = 0;
    while (at <= text.size()) {
      const std::size_t end = std::min(text.find('\n', at), text.size());
      if (end > at) place(text.substr(at, end - at), font, {});
      if (end == text.size()) break;
      end_line(font);
      at = end + 1;
    }
  }

  // Ends the line being filled; an empty line (a break alone) is as high as
  // the text of `font`.
  void end_line(const FontKey& font) {
    if (line_.empty()) {
      select(font);
      TEXTMETRICA metrics{};
      GetTextMetricsA(dc_, &metrics);
      top_ += metrics.tmHeight;
      x_ = left_;
      return;
    }
    int ascent = 0;
    int descent = 0;
    for (const Placed& placed : line_) {
      ascent = std::max(ascent, placed.ascent);
      descent = std::max(descent, placed.height - placed.ascent);
    }
    // Pieces of different sizes share one baseline.
    for (Placed& placed : line_) {
      placed.piece.area.top = top_ + ascent - placed.ascent;
      placed.piece.area.bottom = placed.piece.area.top + placed.height;
      layout_.pieces.push_back(std::move(placed.piece));
    }
    line_.clear();
    top_ += ascent + descent;
    x_ = left_;
  }

  bool line_empty() const { return line_.empty(); }

 private:
  struct Placed {
    Piece piece;
    int ascent;
    int height;
  };

  void select(const FontKey& font) { SelectObject(dc_, viewer_.font(font)); }

  int width_of(std::string_view text) const {
    SIZE size{};
    GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
  }

  void add_word(std::string_view word, std::string_view blanks, const FontKey& font, const std::string& href) {
    int width = width_of(word);
    if (x_ + width > right_ && !line_.empty()) end_line(font);
    while (x_ + width > right_ && !word.empty()) {
      const std::size_t fit = characters_that_fit(word, right_ - x_);
      place(word.substr(0, fit), font, href);
      end_line(font);
      word.remove_prefix(fit);
      width = width_of(word);
    }
    if (!word.empty()) place(word, font, href);
    // Blanks at the end of a line take no room: they are not placed there.
    if (!blanks.empty() && !line_.empty() && x_ + width_of(blanks) <= right_) place(blanks, font, href);
  }

  // At least one character, so that even a line narrower than one letter
  // moves on; never half of a double-byte character.
  std::size_t characters_that_fit(std::string_view word, int room) const {
    std::size_t fit = 0;
    while (fit < word.size()) {
      const char* next = CharNextA(word.data() + fit);
      const std::size_t next_fit = std::min(static_cast<std::size_t>(next - word.data()), word.size());
      if (next_fit == fit) break;
      if (fit > 0 && width_of(word.substr(0, next_fit)) > room) break;
      fit = next_fit;
    }
    return std::max<std::size_t>(fit, 1);
  }

  void place(std::string_view text, const FontKey& font, const std::string& href) {
    select(font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc_, &metrics);
    const int width = width_of(text);
    // Neighbours of the same font and link are one piece: one hot spot per
    // link and line, and fewer calls to draw.
    if (!line_.empty() && line_.back().piece.font == font && line_.back().piece.href == href &&
        line_.back().piece.area.right == x_) {
      line_.back().piece.text += text;
      line_.back().piece.area.right += width;
    } else {
      line_.push_back({{{x_, 0, x_ + width, 0}, std::string(text), font, href}, metrics.tmAscent, metrics.tmHeight});
    }
    x_ += width;
  }

  HtmlViewer& viewer_;
  HDC dc_;
  Layout& layout_;
  std::vector<Placed> line_;
  int top_;
  int left_ = 0;
  int right_ = 1;
  int x_ = 0;
};

HtmlViewer::HtmlViewer(HWND parent, int control_id, const RECT& bounds) {
  platform::register_window_class({kClassName, procedure, IDC_ARROW, false, CS_DBLCLKS});
  window_.reset(CreateWindowExA(WS_EX_CLIENTEDGE, kClassName, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, bounds.left,
                                bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id)), GetModuleHandleA(nullptr),
                                this));
  show_empty_page();
}

HtmlViewer::~HtmlViewer() {
  // The members the window procedure uses go before the window does.
  if (window_) SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
}

HtmlViewer* HtmlViewer::of_window(HWND window) {
  char name[32] = {};
  if (window == nullptr || GetClassNameA(window, name, sizeof name) == 0 || lstrcmpiA(name, kClassName) != 0)
    return nullptr;
  return reinterpret_cast<HtmlViewer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void HtmlViewer::set_look(Look look) {
  look_ = std::move(look);
  if (look_.face.empty()) look_.face = Look{}.face;
  if (look_.points <= 0) look_.points = Look{}.points;
  look_.points = std::min(look_.points, 72);
  look_.margin_width = std::max(look_.margin_width, 0);
  look_.margin_height = std::max(look_.margin_height, 0);
  fonts_.clear();
  relayout();
}

void HtmlViewer::set_empty_page_text(std::string text) {
  empty_page_text_ = std::move(text);
  if (document_path_.empty() && base_folder_.empty() && document_.title.empty()) show_empty_page();
}

bool HtmlViewer::load_file(const std::string& path) {
  const std::optional<std::string> text = read_page_file(path, page_options().limits.max_document_bytes);
  if (!text) {
    show_empty_page();
    return false;
  }
  show(parse_html(*text, page_options()), path, folder_of(path));
  return true;
}

void HtmlViewer::load_text(std::string_view html, std::string base_folder) {
  if (!base_folder.empty() && base_folder.back() != '\\' && base_folder.back() != '/') base_folder += '\\';
  show(parse_html(html, page_options()), {}, std::move(base_folder));
}

std::string HtmlViewer::file_name_of_link(const std::string& href) const {
  std::string name = percent_decoded(href.substr(0, href.find_first_of("#?")));
  if (name.empty()) return {};
  bool network = false;
  if (starts_with_ignoring_case(name, "file:///")) {
    name.erase(0, 8);
  } else if (starts_with_ignoring_case(name, "file://")) {
    name.erase(0, 7);
    network = true;
  } else if (starts_with_ignoring_case(name, "file:")) {
    name.erase(0, 5);
  } else if (const std::size_t colon = name.find(':'); colon != std::string::npos && colon > 1) {
    return {};  // http:, mailto: and the like
  }
  std::replace(name.begin(), name.end(), '/', '\\');
  std::replace(name.begin(), name.end(), '|', ':');  // "C|/setup/page.htm"
  if (network) return "\\\\" + name;
  const bool absolute = name.starts_with("\\") || (name.size() > 1 && name[1] == ':');
  return absolute ? name : base_folder_ + name;
}

std::vector<HtmlViewer::HotSpot> HtmlViewer::hot_spots() const {
  std::vector<HotSpot> spots;
  for (const Piece& piece : layout_.pieces) {
    if (piece.href.empty()) continue;
    RECT area = piece.area;
    OffsetRect(&area, 0, -scroll_top_);
    spots.push_back({area, piece.href});
  }
  return spots;
}

void HtmlViewer::show(HtmlDocument document, std::string path, std::string base_folder) {
  document_ = std::move(document);
  document_path_ = std::move(path);
  base_folder_ = std::move(base_folder);
  pressed_href_.reset();
  scroll_top_ = 0;
  relayout();
  report_meta_refresh();
}

void HtmlViewer::show_empty_page() {
  document_ = empty_page();
  document_path_.clear();
  base_folder_.clear();
  pressed_href_.reset();
  scroll_top_ = 0;
  relayout();
}

// The text as it stands: it is not markup.
HtmlDocument HtmlViewer::empty_page() const {
  HtmlDocument page;
  if (!empty_page_text_.empty()) page.blocks.push_back({HtmlBlockKind::paragraph, 0, 0, false, 0, {{empty_page_text_, {}, {}}}});
  return page;
}

// A refresh of the page itself would only show the same page again and
// again; only a refresh to another page is reported.
void HtmlViewer::report_meta_refresh() {
  if (!meta_refresh_handler_ || !document_.meta_refresh || document_.meta_refresh->url.empty()) return;
  const HtmlMetaRefresh refresh = *document_.meta_refresh;
  meta_refresh_handler_(refresh.delay_seconds, refresh.url);
}

HFONT HtmlViewer::font(const FontKey& key) {
  const int dpi = DpiScale::of_window(window_.get()).dpi();
  if (dpi != fonts_dpi_) {
    fonts_.clear();
    fonts_dpi_ = dpi;
  }
  auto found = fonts_.find(key);
  if (found == fonts_.end()) {
    LOGFONTA description{};
    description.lfHeight = -MulDiv(look_.points * key.size_percent, dpi, 72 * 100);
    description.lfWeight = key.bold ? FW_BOLD : FW_NORMAL;
    description.lfItalic = key.italic;
    description.lfUnderline = key.underline;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfQuality = DEFAULT_QUALITY;
    description.lfPitchAndFamily = static_cast<BYTE>(key.monospace ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS);
    lstrcpynA(description.lfFaceName, key.monospace ? kMonospaceFace : look_.face.c_str(), LF_FACESIZE);
    found = fonts_.emplace(key, platform::UniqueGdiObject(CreateFontIndirectA(&description))).first;
  }
  return static_cast<HFONT>(found->second.get());
}

HtmlViewer::Layout HtmlViewer::lay_out(int width) {
  Layout layout;
  layout.width = width;
  const DpiScale scale = DpiScale::of_window(window_.get());
  HDC dc = GetDC(window_.get());
  const HGDIOBJ original_font = GetCurrentObject(dc, OBJ_FONT);
  LineBuilder lines(*this, dc, layout, scale(look_.margin_height));
  for (const HtmlBlock& block : document_.blocks) lay_out_block(block, lines, layout);
  layout.height = lines.top() + scale(look_.margin_height);
  SelectObject(dc, original_font);
  ReleaseDC(window_.get(), dc);
  return layout;
}

void HtmlViewer::lay_out_block(const HtmlBlock& block, LineBuilder& lines, Layout& layout) {
  const DpiScale scale = DpiScale::of_window(window_.get());
  const int left = scale(look_.margin_width + kListIndent * std::min(block.list_depth, 10));
  const int right = layout.width - scale(look_.margin_width);
  const int size = block.kind == HtmlBlockKind::heading ? kHeadingPercent[std::clamp(block.heading_level, 1, 6) - 1] : 100;
  const bool monospace = block.kind == HtmlBlockKind::preformatted;
  const FontKey body{size, block.kind == HtmlBlockKind::heading, false, false, monospace};
  if (block.kind == HtmlBlockKind::rule) {
    lines.move_down(scale(kRuleGap));
    layout.markers.push_back({Marker::rule, {left, lines.top(), right, lines.top() + 2}, {}});
    lines.move_down(scale(kRuleGap));
    return;
  }
  const int block_top = lines.top();
  lines.start_block(left, right);
  for (const HtmlRun& run : block.runs) {
    const bool link = !run.href.empty();
    const FontKey font{size, run.style.bold || body.bold, run.style.italic, run.style.underline || link, monospace};
    if (monospace)
      lines.add_preformatted(run.text, font);
    else
      lines.add_flowing(run.text, font, run.href);
  }
  if (!lines.line_empty()) lines.end_line(body);
  if (block.kind == HtmlBlockKind::list_item) {
    // The marker sits in the indentation, level with the item's first line.
    TEXTMETRICA metrics{};
    HDC dc = GetDC(window_.get());
    const HGDIOBJ original = SelectObject(dc, font(body));
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, original);
    ReleaseDC(window_.get(), dc);
    const int marker_right = left - scale(kMarkerGap);
    if (block.ordered) {
      layout.markers.push_back({Marker::number, {marker_right - scale(kListIndent), block_top, marker_right,
                                                 block_top + metrics.tmHeight}, std::to_string(block.number) + "."});
    } else {
      const int bullet = scale(kBulletSize);
      const int bullet_top = block_top + (metrics.tmAscent - bullet) / 2 + metrics.tmInternalLeading / 2;
      const Marker::Kind kinds[] = {Marker::disc, Marker::circle, Marker::square};
      layout.markers.push_back({kinds[(std::max(block.list_depth, 1) - 1) % 3],
                                {marker_right - bullet, bullet_top, marker_right, bullet_top + bullet}, {}});
    }
  }
  const bool in_list = block.kind == HtmlBlockKind::list_item;
  lines.move_down(scale(in_list ? kListItemGap : kParagraphGap));
}

void HtmlViewer::relayout() {
  if (laying_out_ || !window_) return;
  laying_out_ = true;
  RECT client{};
  GetClientRect(window_.get(), &client);
  const int bar_width = GetSystemMetrics(SM_CXVSCROLL);
  const int full_width = client.right + (scroll_bar_shown_ ? bar_width : 0);
  layout_ = lay_out(full_width);
  const bool needs_bar = look_.scroll_bar && layout_.height > client.bottom;
  if (needs_bar) layout_ = lay_out(full_width - bar_width);
  scroll_bar_shown_ = needs_bar;
  scroll_top_ = std::clamp(scroll_top_, 0, std::max(0, layout_.height - static_cast<int>(client.bottom)));
  // Without a bar the page still scrolls by keys and wheel.
  SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, needs_bar ? layout_.height - 1 : 0,
                  needs_bar ? static_cast<UINT>(client.bottom) : 0, scroll_top_, 0};
  SetScrollInfo(window_.get(), SB_VERT, &info, TRUE);
  ShowScrollBar(window_.get(), SB_VERT, needs_bar);
  laying_out_ = false;
  InvalidateRect(window_.get(), nullptr, TRUE);
}

void HtmlViewer::scroll_to(int top) {
  RECT client{};
  GetClientRect(window_.get(), &client);
  top = std::clamp(top, 0, std::max(0, layout_.height - static_cast<int>(client.bottom)));
  if (top == scroll_top_) return;
  scroll_top_ = top;
  SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, scroll_top_, 0};
  SetScrollInfo(window_.get(), SB_VERT, &info, TRUE);
  InvalidateRect(window_.get(), nullptr, TRUE);
}

void HtmlViewer::scroll_by_lines(int count) {
  const DpiScale scale = DpiScale::of_window(window_.get());
  scroll_to(scroll_top_ + count * scale(look_.points * 2));
}

void HtmlViewer::paint(HDC target) {
  RECT client{};
  GetClientRect(window_.get(), &client);
  // Drawn off screen first, so that scrolling does not flicker.
  HDC dc = CreateCompatibleDC(target);
  const platform::UniqueGdiObject bitmap(CreateCompatibleBitmap(target, std::max<LONG>(client.right, 1),
                                                                std::max<LONG>(client.bottom, 1)));
  const HGDIOBJ original_bitmap = SelectObject(dc, bitmap.get());
  const HGDIOBJ original_font = GetCurrentObject(dc, OBJ_FONT);
  const platform::UniqueGdiObject background(CreateSolidBrush(look_.background.value_or(GetSysColor(COLOR_WINDOW))));
  FillRect(dc, &client, static_cast<HBRUSH>(background.get()));
  SetBkMode(dc, TRANSPARENT);
  const COLORREF text_colour = look_.text.value_or(GetSysColor(COLOR_WINDOWTEXT));
  const COLORREF link_colour = look_.link;
  for (const Piece& piece : layout_.pieces) {
    const int top = piece.area.top - scroll_top_;
    if (piece.area.bottom - scroll_top_ < 0 || top > client.bottom) continue;
    SelectObject(dc, font(piece.font));
    SetTextColor(dc, piece.href.empty() ? text_colour : link_colour);
    TextOutA(dc, piece.area.left, top, piece.text.data(), static_cast<int>(piece.text.size()));
  }
  const platform::UniqueGdiObject brush(CreateSolidBrush(text_colour));
  const platform::UniqueGdiObject pen(CreatePen(PS_SOLID, 1, text_colour));
  const HGDIOBJ original_pen = SelectObject(dc, pen.get());
  const HGDIOBJ original_brush = GetCurrentObject(dc, OBJ_BRUSH);
  for (const Marker& marker : layout_.markers) {
    RECT area = marker.area;
    OffsetRect(&area, 0, -scroll_top_);
    switch (marker.kind) {
      case Marker::disc:
      case Marker::circle:
        SelectObject(dc, marker.kind == Marker::disc ? brush.get() : GetStockObject(NULL_BRUSH));
        Ellipse(dc, area.left, area.top, area.right, area.bottom);
        break;
      case Marker::square:
        FillRect(dc, &area, static_cast<HBRUSH>(brush.get()));
        break;
      case Marker::number:
        SelectObject(dc, font({100, false, false, false, false}));
        SetTextColor(dc, text_colour);
        DrawTextA(dc, marker.text.data(), static_cast<int>(marker.text.size()), &area,
                  DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        break;
      case Marker::rule:
        DrawEdge(dc, &area, EDGE_ETCHED, BF_TOP);
        break;
    }
  }
  BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  SelectObject(dc, original_brush);
  SelectObject(dc, original_pen);
  SelectObject(dc, original_font);
  SelectObject(dc, original_bitmap);
  DeleteDC(dc);
}

const HtmlViewer::Piece* HtmlViewer::piece_at(POINT client) const {
  const POINT page{client.x, client.y + scroll_top_};
  for (const Piece& piece : layout_.pieces)
    if (PtInRect(&piece.area, page)) return &piece;
  return nullptr;
}

void HtmlViewer::follow(const std::string& href) {
  if (hot_spot_handler_ && hot_spot_handler_(href)) return;
  const std::string file = file_name_of_link(href);
  if (file.empty() || !is_page_file(file)) return;
  // A link to a page that is not there leaves the page shown as it is.
  const std::optional<std::string> text = read_page_file(file, page_options().limits.max_document_bytes);
  if (text) show(parse_html(*text, page_options()), file, folder_of(file));
}

bool HtmlViewer::on_key(WPARAM key) {
  RECT client{};
  GetClientRect(window_.get(), &client);
  switch (key) {
    case VK_UP: scroll_by_lines(-1); return true;
    case VK_DOWN: scroll_by_lines(1); return true;
    case VK_PRIOR: scroll_to(scroll_top_ - client.bottom); return true;
    case VK_NEXT: scroll_to(scroll_top_ + client.bottom); return true;
    case VK_HOME: scroll_to(0); return true;
    case VK_END: scroll_to(layout_.height); return true;
    default: return false;
  }
}

LRESULT CALLBACK HtmlViewer::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<HtmlViewer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  // Messages before CreateWindowEx has handed the handle over find no
  // viewer yet; the constructor lays the page out afterwards.
  if (self == nullptr || self->window_.get() != window) return DefWindowProcA(window, message, wparam, lparam);
  return self->handle(message, wparam, lparam);
}

LRESULT HtmlViewer::handle(UINT message, WPARAM wparam, LPARAM lparam) {
  HWND window = window_.get();
  switch (message) {
    case WM_SIZE:
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
      relayout();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint_info;
      HDC dc = BeginPaint(window, &paint_info);
      paint(dc);
      EndPaint(window, &paint_info);
      return 0;
    }
    case WM_VSCROLL: {
      SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
      GetScrollInfo(window, SB_VERT, &info);
      switch (LOWORD(wparam)) {
        case SB_LINEUP: scroll_by_lines(-1); break;
        case SB_LINEDOWN: scroll_by_lines(1); break;
        case SB_PAGEUP: scroll_to(scroll_top_ - static_cast<int>(info.nPage)); break;
        case SB_PAGEDOWN: scroll_to(scroll_top_ + static_cast<int>(info.nPage)); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: scroll_to(info.nTrackPos); break;
        case SB_TOP: scroll_to(0); break;
        case SB_BOTTOM: scroll_to(layout_.height); break;
        default: break;
      }
      return 0;
    }
    case WM_MOUSEWHEEL:
      scroll_by_lines(-GET_WHEEL_DELTA_WPARAM(wparam) * kWheelLines / WHEEL_DELTA);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_KEYDOWN:
      if (on_key(wparam)) return 0;
      break;
    case WM_SETCURSOR:
      if (LOWORD(lparam) == HTCLIENT) {
        POINT cursor{};
        GetCursorPos(&cursor);
        ScreenToClient(window, &cursor);
        const Piece* piece = piece_at(cursor);
        SetCursor(LoadCursor(nullptr, piece != nullptr && !piece->href.empty() ? IDC_HAND : IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN: {
      SetFocus(window);
      const Piece* piece = piece_at({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
      if (piece != nullptr && !piece->href.empty()) pressed_href_ = piece->href;
      else pressed_href_.reset();
      return 0;
    }
    case WM_LBUTTONUP: {
      const Piece* piece = piece_at({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
      std::optional<std::string> pressed = std::exchange(pressed_href_, std::nullopt);
      // The handler may load another page: the piece goes, the copy stays.
      if (piece != nullptr && pressed && piece->href == *pressed) follow(*pressed);
      return 0;
    }
    case WM_NCDESTROY:
      // Destroyed with its parent: nothing is left to destroy later.
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      (void)window_.take();
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace qm
