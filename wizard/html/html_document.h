#pragma once
// Reads the HTML of a setup's support pages into a small document model: the
// title, a meta refresh, and blocks of styled text with links.
//
// This is not a browser. It knows the markup help pages are written in:
// headings, paragraphs, line breaks, lists, rules, preformatted text, bold,
// italic, underline and links. Everything else is read the way a browser
// reads a tag it does not know: the tag is dropped, its text is kept.
// Whitespace collapses as in a browser; <script> and <style> bodies and
// comments are skipped; tags left open or closed out of order are tolerated.
//
// The pages come from the setup's resource archive, which a user can replace,
// so the reader is bounded (HtmlLimits): what lies past a bound is dropped,
// never refused, and the page shows what could be read.
//
// Text stays 8-bit in the system's ANSI code page; a <meta charset> is taken
// as information only. Characters written as entities go through a
// CharacterConverter to reach that code page.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct HtmlStyle {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool operator==(const HtmlStyle&) const = default;
};

// Text of one style; a link when `href` is not empty. A line break (<br>, or
// a line end inside preformatted text) is a '\n' in the text.
struct HtmlRun {
  std::string text;
  HtmlStyle style;
  std::string href;
  bool operator==(const HtmlRun&) const = default;
};

enum class HtmlBlockKind { paragraph, heading, list_item, rule, preformatted };

struct HtmlBlock {
  HtmlBlockKind kind = HtmlBlockKind::paragraph;
  int heading_level = 0;  // 1 to 6 for a heading
  int list_depth = 0;     // how many lists hold the block: its indentation
  bool ordered = false;   // a list item of a numbered list...
  int number = 0;         // ...and its number
  std::vector<HtmlRun> runs;
  bool operator==(const HtmlBlock&) const = default;
};

// <meta http-equiv="refresh" content="5; url=page2.htm">: go to `url` after
// `delay_seconds`. An empty url means the page itself.
struct HtmlMetaRefresh {
  int delay_seconds = 0;
  std::string url;
  bool operator==(const HtmlMetaRefresh&) const = default;
};

struct HtmlDocument {
  std::string title;
  std::optional<HtmlMetaRefresh> meta_refresh;
  std::vector<HtmlBlock> blocks;
};

struct HtmlLimits {
  std::size_t max_document_bytes = 1024 * 1024;  // the rest of a longer text is not read
  std::size_t max_depth = 64;                    // open inline elements and lists inside each other
  std::size_t max_blocks = 20000;
  // Above this a refresh delay is cut down, so that the delay in milliseconds
  // still fits a 32-bit timer interval.
  int max_refresh_seconds = 2147483;
};

// Turns a character written as an entity (&#8364;, &copy;) into text in the
// system's ANSI code page.
using CharacterConverter = std::function<std::string(char32_t)>;

// Without a code page at hand: code points 0 to 255 become the same byte,
// any other becomes '?'.
std::string latin1_character(char32_t code_point);

struct HtmlOptions {
  CharacterConverter to_ansi = latin1_character;
  HtmlLimits limits;
};

HtmlDocument parse_html(std::string_view text, const HtmlOptions& options = {});

// The refresh a meta tag's content attribute asks for ("5; url=page2.htm",
// "0;URL='next.htm'", "3"); nothing when it does not begin with a delay.
std::optional<HtmlMetaRefresh> parse_meta_refresh(std::string_view content, const HtmlLimits& limits = {});

// The text of a document as it reads, blocks on lines of their own: for
// tests and for finding things in a page.
std::string plain_text_of(const HtmlDocument& document);

}  // namespace qm
