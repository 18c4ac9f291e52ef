#include "wizard/html/html_document.h"

#include <algorithm>
#include <array>
#include <utility>

namespace qm {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr char32_t kHighestCodePoint = 0x10FFFF;
constexpr std::size_t kTabWidth = 8;
// The longest entity name we know ("hellip") and then some: a longer one is
// not an entity, and the reader need not look further for its ';'.
constexpr std::size_t kLongestEntityName = 8;

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_hex_digit(char c) { return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowered(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = lower(c);
  return result;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

std::size_t find_ignoring_case(std::string_view text, std::string_view word, std::size_t from) {
  for (std::size_t at = from; at + word.size() <= text.size(); ++at)
    if (equal_ignoring_case(text.substr(at, word.size()), word)) return at;
  return std::string_view::npos;
}

// Character references 128 to 159 name the characters Windows-1252 has
// there, as browsers read them, not the control characters of that range.
char32_t windows_1252_meaning(char32_t code_point) {
  static constexpr std::array<char32_t, 32> kMeanings = {
      0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
  if (code_point >= 0x80 && code_point <= 0x9F) return kMeanings[code_point - 0x80];
  return code_point;
}

std::optional<char32_t> named_entity(std::string_view name) {
  static constexpr std::pair<std::string_view, char32_t> kNames[] = {
      {"amp", '&'},       {"lt", '<'},        {"gt", '>'},         {"quot", '"'},      {"apos", '\''},
      {"nbsp", 0xA0},     {"copy", 0xA9},     {"reg", 0xAE},       {"trade", 0x2122},  {"hellip", 0x2026},
      {"mdash", 0x2014},  {"ndash", 0x2013},  {"laquo", 0xAB},     {"raquo", 0xBB},    {"bull", 0x2022},
      {"middot", 0xB7},   {"lsquo", 0x2018},  {"rsquo", 0x2019},   {"ldquo", 0x201C},  {"rdquo", 0x201D},
      {"euro", 0x20AC},   {"deg", 0xB0},      {"times", 0xD7},     {"sect", 0xA7},     {"para", 0xB6}};
  for (const auto& [known, code_point] : kNames)
    if (name == known) return code_point;
  return std::nullopt;
}

// Reads the character reference at text[at] == '&'. Gives the code point and
// the bytes it took, or nothing when the '&' is plain text ("AT&T").
std::optional<std::pair<char32_t, std::size_t>> character_reference(std::string_view text, std::size_t at) {
  std::size_t next = at + 1;
  if (next < text.size() && text[next] == '#') {
    ++next;
    const bool hex = next < text.size() && (text[next] == 'x' || text[next] == 'X');
    if (hex) ++next;
    const std::size_t digits_start = next;
    char32_t value = 0;
    while (next < text.size() && (hex ? is_hex_digit(text[next]) : is_digit(text[next]))) {
      const char c = text[next++];
      const char32_t digit = is_digit(c) ? c - '0' : lower(c) - 'a' + 10;
      // Saturates: a number past the last code point is not a character anyway.
      value = std::min<char32_t>(value * (hex ? 16 : 10) + digit, kHighestCodePoint + 1);
    }
    if (next == digits_start) return std::nullopt;
    if (next < text.size() && text[next] == ';') ++next;
    if (value == 0 || value > kHighestCodePoint || (value >= 0xD800 && value <= 0xDFFF)) value = kReplacementCharacter;
    return std::pair{windows_1252_meaning(value), next - at};
  }
  const std::size_t name_start = next;
  while (next < text.size() && next - name_start <= kLongestEntityName && (is_letter(text[next]) || is_digit(text[next])))
    ++next;
  if (next >= text.size() || text[next] != ';') return std::nullopt;
  const std::optional<char32_t> code_point = named_entity(text.substr(name_start, next - name_start));
  if (!code_point) return std::nullopt;
  return std::pair{*code_point, next + 1 - at};
}

std::string decode_entities(std::string_view text, const CharacterConverter& to_ansi) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const auto reference = text[at] == '&' ? character_reference(text, at) : std::nullopt;
    if (!reference) {
      result += text[at++];
      continue;
    }
    const char32_t code_point = reference->first;
    if (code_point < 0x80)
      result += static_cast<char>(code_point);
    else
      result += to_ansi(code_point);
    at += reference->second;
  }
  return result;
}

std::string collapsed_whitespace(std::string_view text) {
  std::string result;
  bool space = false;
  for (const char c : text) {
    if (is_space(c)) {
      space = !result.empty();
      continue;
    }
    if (space) result += ' ';
    space = false;
    result += c;
  }
  return result;
}

struct Tag {
  std::string name;  // lower case
  bool closing = false;
  std::vector<std::pair<std::string, std::string>> attributes;  // names in lower case

  const std::string* attribute(std::string_view wanted) const {
    for (const auto& [name, value] : attributes)
      if (name == wanted) return &value;
    return nullptr;
  }
};

bool is_heading(const std::string& name) {
  return name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6';
}

bool is_paragraph_like(const std::string& name) {
  static constexpr std::string_view kNames[] = {"p",     "div",    "center",  "blockquote", "address", "dl",
                                                "dt",    "dd",     "table",   "tr",         "form",    "section",
                                                "article", "header", "footer", "nav",        "main",    "figure",
                                                "caption", "body",   "html"};
  return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

HtmlStyle style_of_tag(const std::string& name) {
  HtmlStyle style;
  style.bold = name == "b" || name == "strong";
  style.italic = name == "i" || name == "em" || name == "cite" || name == "var" || name == "dfn";
  style.underline = name == "u" || name == "ins";
  return style;
}

bool is_inline_style(const std::string& name) { return style_of_tag(name) != HtmlStyle{}; }

// Builds the blocks from the text and tags the reader meets, in order.
class DocumentBuilder {
 public:
  explicit DocumentBuilder(const HtmlLimits& limits) : limits_(limits) {}

  void add_text(std::string_view text) {
    for (const char c : text) {
      if (full_) return;
      if (preformatted_depth_ > 0)
        add_preformatted(c);
      else
        add_flowing(c);
    }
  }

  void start_tag(const Tag& tag) {
    const std::string& name = tag.name;
    if (is_heading(name)) {
      start_block(HtmlBlockKind::heading);
      current_.heading_level = name[1] - '0';
    } else if (is_paragraph_like(name)) {
      start_block(HtmlBlockKind::paragraph);
    } else if (name == "br") {
      line_break();
    } else if (name == "hr") {
      add_rule();
    } else if (name == "pre" || name == "listing" || name == "xmp") {
      start_block(HtmlBlockKind::preformatted);
      ++preformatted_depth_;
      skip_newline_ = true;
    } else if (name == "ul" || name == "ol" || name == "dir" || name == "menu") {
      open_list(name, tag);
    } else if (name == "li") {
      start_list_item();
    } else if (name == "td" || name == "th") {
      // Cells of a row read as words of one line.
      if (has_text_on_line() && !pending_space_) {
        pending_space_ = true;
        space_position_ = {};
      }
    } else if (name == "a") {
      open_link(tag);
    } else if (is_inline_style(name)) {
      open_inline({name, style_of_tag(name), {}});
    }
  }

  void end_tag(const Tag& tag) {
    const std::string& name = tag.name;
    if (is_heading(name) || is_paragraph_like(name) || name == "li") {
      finish_block();
    } else if (name == "pre" || name == "listing" || name == "xmp") {
      if (preformatted_depth_ > 0) --preformatted_depth_;
      finish_block();
    } else if (name == "ul" || name == "ol" || name == "dir" || name == "menu") {
      close_list(name == "ol");
    } else if (name == "a" || is_inline_style(name)) {
      close_inline(name);
    }
  }

  std::vector<HtmlBlock> take_blocks() {
    finish_block();
    return std::move(blocks_);
  }

 private:
  struct OpenInline {
    std::string name;
    HtmlStyle style;
    std::string href;
  };
  struct OpenList {
    bool ordered = false;
    int next_number = 1;
  };
  struct Position {
    HtmlStyle style;
    std::string href;
  };

  Position position() const {
    Position result;
    for (const OpenInline& open : inline_) {
      result.style.bold |= open.style.bold;
      result.style.italic |= open.style.italic;
      result.style.underline |= open.style.underline;
      if (open.name == "a") result.href = open.href;
    }
    return result;
  }

  void append(char c, const Position& at) {
    std::vector<HtmlRun>& runs = current_.runs;
    if (runs.empty() || runs.back().style != at.style || runs.back().href != at.href)
      runs.push_back({{}, at.style, at.href});
    runs.back().text += c;
  }

  bool has_text_on_line() const {
    return !current_.runs.empty() && !current_.runs.back().text.empty() && current_.runs.back().text.back() != '\n';
  }

  // A space is held back until something follows it on the same line, so
  // that no line begins or ends with one; it keeps the style it was written
  // in, so the space before a link is not underlined.
  void add_flowing(char c) {
    if (is_space(c)) {
      if (!pending_space_ && has_text_on_line()) {
        pending_space_ = true;
        space_position_ = position();
      }
      return;
    }
    if (pending_space_) append(' ', space_position_);
    pending_space_ = false;
    append(c, position());
  }

  void add_preformatted(char c) {
    const bool skip = skip_newline_;
    skip_newline_ = false;
    if (c == '\r') return;
    if (c == '\n') {
      if (!skip) append_preformatted_newline();
      return;
    }
    if (c == '\t') {
      do append(' ', position());
      while (++column_ % kTabWidth != 0);
      return;
    }
    append(c, position());
    ++column_;
  }

  void append_preformatted_newline() {
    append('\n', position());
    column_ = 0;
  }

  void line_break() {
    if (full_) return;
    pending_space_ = false;
    append('\n', position());
    column_ = 0;
  }

  bool is_empty_list_item() const { return current_.kind == HtmlBlockKind::list_item && current_.runs.empty(); }

  void start_block(HtmlBlockKind kind) {
    // <li><p>text</p></li>: the paragraph is the item's text, and keeps its bullet.
    if (kind == HtmlBlockKind::paragraph && is_empty_list_item()) return;
    finish_block();
    current_.kind = kind;
  }

  void finish_block() {
    pending_space_ = false;
    skip_newline_ = false;
    column_ = 0;
    if (!current_.runs.empty() || current_.kind == HtmlBlockKind::rule) {
      // A line break that ends a block adds nothing a browser would show.
      if (current_.kind != HtmlBlockKind::preformatted && !current_.runs.empty()) trim_final_break();
      if (blocks_.size() < limits_.max_blocks)
        blocks_.push_back(std::move(current_));
      else
        full_ = true;
    }
    current_ = HtmlBlock{};
    current_.list_depth = static_cast<int>(lists_.size());
    if (preformatted_depth_ > 0) current_.kind = HtmlBlockKind::preformatted;
  }

  void trim_final_break() {
    std::vector<HtmlRun>& runs = current_.runs;
    std::string& last = runs.back().text;
    if (last.back() != '\n' || (last.size() == 1 && runs.size() == 1)) return;
    last.pop_back();
    if (last.empty()) runs.pop_back();
  }

  void add_rule() {
    finish_block();
    current_.kind = HtmlBlockKind::rule;
    finish_block();
  }

  void open_list(const std::string& name, const Tag& tag) {
    finish_block();
    if (lists_.size() >= limits_.max_depth) return;
    OpenList list{name == "ol", 1};
    if (const std::string* start = tag.attribute("start"); start && list.ordered) list.next_number = number_of(*start);
    lists_.push_back(list);
    current_.list_depth = static_cast<int>(lists_.size());
  }

  void close_list(bool ordered) {
    finish_block();
    const auto innermost = std::find_if(lists_.rbegin(), lists_.rend(), [&](const OpenList& l) { return l.ordered == ordered; });
    if (innermost == lists_.rend()) return;
    lists_.erase(std::prev(innermost.base()), lists_.end());
    current_.list_depth = static_cast<int>(lists_.size());
  }

  void start_list_item() {
    finish_block();
    current_.kind = HtmlBlockKind::list_item;
    current_.list_depth = std::max(1, static_cast<int>(lists_.size()));
    if (lists_.empty()) return;
    current_.ordered = lists_.back().ordered;
    if (current_.ordered) current_.number = lists_.back().next_number++;
  }

  void open_link(const Tag& tag) {
    // Links do not nest: a new one ends the one still open.
    close_inline("a");
    const std::string* href = tag.attribute("href");
    open_inline({"a", {}, href ? *href : std::string()});
  }

  void open_inline(OpenInline open) {
    if (inline_.size() < limits_.max_depth) inline_.push_back(std::move(open));
  }

  // Closes the innermost element of that name and only it: with
  // <b><i>x</b>y</i>, y stays italic, as in a browser.
  void close_inline(const std::string& name) {
    const auto innermost = std::find_if(inline_.rbegin(), inline_.rend(), [&](const OpenInline& o) { return o.name == name; });
    if (innermost != inline_.rend()) inline_.erase(std::prev(innermost.base()));
  }

  static int number_of(std::string_view text) {
    constexpr int kLargest = 1000000;
    int value = 0;
    std::size_t at = 0;
    while (at < text.size() && is_space(text[at])) ++at;
    while (at < text.size() && is_digit(text[at])) value = std::min(value * 10 + (text[at++] - '0'), kLargest);
    return value;
  }

  const HtmlLimits& limits_;
  std::vector<HtmlBlock> blocks_;
  HtmlBlock current_;
  std::vector<OpenInline> inline_;
  std::vector<OpenList> lists_;
  int preformatted_depth_ = 0;
  bool skip_newline_ = false;  // the line end right after <pre> is not part of the text
  std::size_t column_ = 0;     // in preformatted text, for tab stops
  bool pending_space_ = false;
  Position space_position_;
  bool full_ = false;
};

// Walks the text: character data, tags, comments and the bodies of elements
// whose content is not markup.
class HtmlReader {
 public:
  HtmlReader(std::string_view text, const HtmlOptions& options)
      : text_(text.substr(0, std::min(text.size(), options.limits.max_document_bytes))),
        options_(options),
        builder_(options.limits) {}

  HtmlDocument read() {
    while (at_ < text_.size()) {
      const std::size_t tag_start = text_.find('<', at_);
      const std::size_t text_end = tag_start == std::string_view::npos ? text_.size() : tag_start;
      builder_.add_text(decode_entities(text_.substr(at_, text_end - at_), options_.to_ansi));
      at_ = text_end;
      if (at_ < text_.size()) read_markup();
    }
    document_.blocks = builder_.take_blocks();
    return std::move(document_);
  }

 private:
  // At a '<'.
  void read_markup() {
    const std::string_view rest = text_.substr(at_);
    if (rest.starts_with("<!--")) {
      skip_past("-->", at_ + 4);
    } else if (rest.starts_with("<!") || rest.starts_with("<?")) {
      skip_past(">", at_ + 2);
    } else if (rest.size() > 2 && rest[1] == '/' && is_letter(rest[2])) {
      at_ += 2;
      Tag tag = read_tag();
      tag.closing = true;
      builder_.end_tag(tag);
    } else if (rest.size() > 1 && is_letter(rest[1])) {
      at_ += 1;
      const Tag tag = read_tag();
      handle_start_tag(tag);
    } else {
      builder_.add_text("<");
      ++at_;
    }
  }

  void skip_past(std::string_view end, std::size_t from) {
    const std::size_t found = text_.find(end, from);
    at_ = found == std::string_view::npos ? text_.size() : found + end.size();
  }

  // A tag the text leaves unfinished is dropped with the rest, as browsers do.
  Tag read_tag() {
    Tag tag;
    const std::size_t name_start = at_;
    while (at_ < text_.size() && !is_space(text_[at_]) && text_[at_] != '>' && text_[at_] != '/') ++at_;
    tag.name = lowered(text_.substr(name_start, at_ - name_start));
    while (at_ < text_.size()) {
      while (at_ < text_.size() && (is_space(text_[at_]) || text_[at_] == '/')) ++at_;
      if (at_ >= text_.size()) break;
      if (text_[at_] == '>') {
        ++at_;
        return tag;
      }
      read_attribute(tag);
    }
    tag.name.clear();
    return tag;
  }

  void read_attribute(Tag& tag) {
    const std::size_t name_start = at_;
    while (at_ < text_.size() && !is_space(text_[at_]) && text_[at_] != '>' && text_[at_] != '=' &&
           !(text_[at_] == '/' && at_ > name_start))
      ++at_;
    if (at_ == name_start) ++at_;  // a stray '=': not an attribute
    std::string name = lowered(text_.substr(name_start, at_ - name_start));
    std::size_t after_name = at_;
    while (after_name < text_.size() && is_space(text_[after_name])) ++after_name;
    if (after_name >= text_.size() || text_[after_name] != '=') {
      tag.attributes.emplace_back(std::move(name), std::string());
      return;
    }
    at_ = after_name + 1;
    while (at_ < text_.size() && is_space(text_[at_])) ++at_;
    tag.attributes.emplace_back(std::move(name), decode_entities(read_attribute_value(), options_.to_ansi));
  }

  std::string_view read_attribute_value() {
    if (at_ < text_.size() && (text_[at_] == '"' || text_[at_] == '\'')) {
      const char quote = text_[at_++];
      const std::size_t end = std::min(text_.find(quote, at_), text_.size());
      const std::string_view value = text_.substr(at_, end - at_);
      at_ = std::min(end + 1, text_.size());
      return value;
    }
    const std::size_t start = at_;
    while (at_ < text_.size() && !is_space(text_[at_]) && text_[at_] != '>') ++at_;
    return text_.substr(start, at_ - start);
  }

  void handle_start_tag(const Tag& tag) {
    if (tag.name == "script" || tag.name == "style" || tag.name == "textarea") {
      raw_text_of(tag.name);
    } else if (tag.name == "title") {
      const std::string title = collapsed_whitespace(decode_entities(raw_text_of("title"), options_.to_ansi));
      if (!seen_title_) document_.title = title;
      seen_title_ = true;
    } else if (tag.name == "meta") {
      read_meta(tag);
    } else {
      builder_.start_tag(tag);
    }
  }

  // The body of an element that holds no markup, up to its end tag.
  std::string_view raw_text_of(const std::string& name) {
    const std::size_t end = find_ignoring_case(text_, "</" + name, at_);
    const std::string_view body = text_.substr(at_, end == std::string_view::npos ? std::string_view::npos : end - at_);
    if (end == std::string_view::npos)
      at_ = text_.size();
    else
      skip_past(">", end);
    return body;
  }

  void read_meta(const Tag& tag) {
    const std::string* equivalent = tag.attribute("http-equiv");
    const std::string* content = tag.attribute("content");
    if (document_.meta_refresh || !equivalent || !content || !equal_ignoring_case(*equivalent, "refresh")) return;
    document_.meta_refresh = parse_meta_refresh(*content, options_.limits);
  }

  std::string_view text_;
  std::size_t at_ = 0;
  const HtmlOptions& options_;
  DocumentBuilder builder_;
  HtmlDocument document_;
  bool seen_title_ = false;
};

}  // namespace

std::string latin1_character(char32_t code_point) {
  return std::string(1, code_point <= 0xFF ? static_cast<char>(code_point) : '?');
}

HtmlDocument parse_html(std::string_view text, const HtmlOptions& options) {
  return HtmlReader(text, options).read();
}

std::optional<HtmlMetaRefresh> parse_meta_refresh(std::string_view content, const HtmlLimits& limits) {
  std::size_t at = 0;
  while (at < content.size() && is_space(content[at])) ++at;
  if (at >= content.size() || !is_digit(content[at])) return std::nullopt;
  HtmlMetaRefresh refresh;
  while (at < content.size() && is_digit(content[at]))
    refresh.delay_seconds = std::min(refresh.delay_seconds * 10 + (content[at++] - '0'), limits.max_refresh_seconds);
  // "2.5" waits 2 seconds, as browsers read it.
  while (at < content.size() && (is_digit(content[at]) || content[at] == '.')) ++at;
  while (at < content.size() && is_space(content[at])) ++at;
  if (at < content.size() && (content[at] == ';' || content[at] == ',')) ++at;
  while (at < content.size() && is_space(content[at])) ++at;
  if (equal_ignoring_case(content.substr(at, 3), "url")) {
    std::size_t after = at + 3;
    while (after < content.size() && is_space(content[after])) ++after;
    if (after < content.size() && content[after] == '=') {
      at = after + 1;
      while (at < content.size() && is_space(content[at])) ++at;
    }
  }
  std::string_view url = content.substr(at);
  if (!url.empty() && (url.front() == '"' || url.front() == '\'')) {
    const char quote = url.front();
    url = url.substr(1);
    url = url.substr(0, url.find(quote));
  }
  while (!url.empty() && is_space(url.back())) url.remove_suffix(1);
  refresh.url = std::string(url);
  return refresh;
}

std::string plain_text_of(const HtmlDocument& document) {
  std::string result;
  for (const HtmlBlock& block : document.blocks) {
    if (block.list_depth > 0) result += std::string(2 * static_cast<std::size_t>(block.list_depth - 1), ' ');
    if (block.kind == HtmlBlockKind::rule) result += "----";
    if (block.kind == HtmlBlockKind::list_item) result += block.ordered ? std::to_string(block.number) + ". " : "* ";
    for (const HtmlRun& run : block.runs) result += run.text;
    result += '\n';
  }
  return result;
}

}  // namespace qm
