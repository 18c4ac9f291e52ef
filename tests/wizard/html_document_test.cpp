#include <gtest/gtest.h>

#include <string>

#include "wizard/html/html_document.h"

namespace qm {
namespace {

constexpr HtmlStyle kPlain{};
constexpr HtmlStyle kBold{true, false, false};
constexpr HtmlStyle kItalic{false, true, false};
constexpr HtmlStyle kBoldItalic{true, true, false};
constexpr HtmlStyle kUnderline{false, false, true};

HtmlBlock heading(int level, std::string text) {
  return {HtmlBlockKind::heading, level, 0, false, 0, {{std::move(text), kPlain, {}}}};
}
HtmlBlock bullet(int depth, std::string text) {
  return {HtmlBlockKind::list_item, 0, depth, false, 0, {{std::move(text), kPlain, {}}}};
}
HtmlBlock numbered(int depth, int number, std::string text) {
  return {HtmlBlockKind::list_item, 0, depth, true, number, {{std::move(text), kPlain, {}}}};
}
HtmlBlock rule() { return {HtmlBlockKind::rule, 0, 0, false, 0, {}}; }
HtmlBlock preformatted(std::string text) {
  return {HtmlBlockKind::preformatted, 0, 0, false, 0, {{std::move(text), kPlain, {}}}};
}
HtmlBlock text_block(std::string text, int depth = 0) {
  return {HtmlBlockKind::paragraph, 0, depth, false, 0, {{std::move(text), kPlain, {}}}};
}

TEST(HtmlDocumentTest, BlocksOfAPage) {
  const struct {
    const char* html;
    std::vector<HtmlBlock> blocks;
  } cases[] = {
      {"<h1>Welcome</h1><p>First.</p><p>Second.</p>",
       {heading(1, "Welcome"), text_block("First."), text_block("Second.")}},
      {"<H3>Upper case</H3><h6>six</h6><h7>not a heading</h7>",
       {heading(3, "Upper case"), heading(6, "six"), text_block("not a heading")}},
      // Text outside any block is a paragraph of its own.
      {"loose text<p>inside</p>after", {text_block("loose text"), text_block("inside"), text_block("after")}},
      {"<p>one<p>two", {text_block("one"), text_block("two")}},
      {"<p>a<br>b</p>", {text_block("a\nb")}},
      // A break at the end of a block adds nothing; a break alone is an empty line.
      {"<p>a<br></p><p><br></p>", {text_block("a"), text_block("\n")}},
      {"<ul><li>one<li>two</ul>", {bullet(1, "one"), bullet(1, "two")}},
      {"<ol><li>a</li><li>b</li></ol>", {numbered(1, 1, "a"), numbered(1, 2, "b")}},
      {"<ol start=\"7\"><li>seven</ol>", {numbered(1, 7, "seven")}},
      {"<ul><li>outer<ol><li>inner</ol><li>again</ul>",
       {bullet(1, "outer"), numbered(2, 1, "inner"), bullet(1, "again")}},
      // A paragraph that is an item's text keeps the item's bullet.
      {"<ul><li><p>item</p></li></ul>", {bullet(1, "item")}},
      // Text between items of a list is indented with them.
      {"<ul><li>a</li>between</ul>", {bullet(1, "a"), text_block("between", 1)}},
      {"<li>no list</li>", {bullet(1, "no list")}},
      {"a<hr>b", {text_block("a"), rule(), text_block("b")}},
      {"<p>a</p><pre>\nx  y\n</pre>", {text_block("a"), preformatted("x  y\n")}},
      {"<hr/><hr>", {rule(), rule()}},
      {"<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>", {text_block("a b"), text_block("c")}},
      {"", {}},
      {"<p></p><div>  </div>", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_html(c.html).blocks, c.blocks) << c.html;
}

TEST(HtmlDocumentTest, RunsCarryStylesAndLinks) {
  const struct {
    const char* html;
    std::vector<HtmlRun> runs;
  } cases[] = {
      {"<b>bold</b> <i>italic</i> <u>under</u>",
       {{"bold", kBold, {}}, {" ", kPlain, {}}, {"italic", kItalic, {}}, {" ", kPlain, {}}, {"under", kUnderline, {}}}},
      {"<strong>s</strong><em>e</em>", {{"s", kBold, {}}, {"e", kItalic, {}}}},
      {"<b>a <i>b</i></b>", {{"a ", kBold, {}}, {"b", kBoldItalic, {}}}},
      // Closed out of order: only the element named is closed.
      {"<b><i>x</b>y</i>z", {{"x", kBoldItalic, {}}, {"y", kItalic, {}}, {"z", kPlain, {}}}},
      // Never closed: the style runs to the end.
      {"<b>to the end", {{"to the end", kBold, {}}}},
      {"</b>stray end", {{"stray end", kPlain, {}}}},
      // The space before a link is not part of it.
      {"Click <a href=\"two.htm\">here</a> now.",
       {{"Click ", kPlain, {}}, {"here", kPlain, "two.htm"}, {" now.", kPlain, {}}}},
      {"<a href=two.htm><b>bold link</b></a>", {{"bold link", kBold, "two.htm"}}},
      {"<A HREF='x.htm?a=1&amp;b=2'>q</A>", {{"q", kPlain, "x.htm?a=1&b=2"}}},
      // Links do not nest: the second ends the first.
      {"<a href=a.htm>a<a href=b.htm>b</a>c", {{"a", kPlain, "a.htm"}, {"b", kPlain, "b.htm"}, {"c", kPlain, {}}}},
      {"<a name=top>anchor</a>", {{"anchor", kPlain, {}}}},
      {"<font color=red><span>kept</span></font>", {{"kept", kPlain, {}}}},
  };
  for (const auto& c : cases) {
    const HtmlDocument document = parse_html(c.html);
    ASSERT_EQ(document.blocks.size(), 1u) << c.html;
    EXPECT_EQ(document.blocks[0].runs, c.runs) << c.html;
  }
}

TEST(HtmlDocumentTest, TextAsABrowserReadsIt) {
  const struct {
    const char* html;
    const char* text;
  } cases[] = {
      {"&amp; &lt; &gt; &quot; &apos;", "& < > \" '\n"},
      {"&#65;&#x42;&#X43;&#100", "ABCd\n"},
      {"a&nbsp;&nbsp;b", "a\xA0\xA0" "b\n"},
      {"&copy; &eacute;", "\xA9 &eacute;\n"},
      // References to 128-159 mean the Windows-1252 characters; to nothing, '?'.
      {"&#150;&#0;&#xD800;&#99999999999;", "????????\n"},
      {"AT&T &amp &; &#; &#x;", "AT&T &amp &; &#; &#x;\n"},
      {"  lots   of\n\t space  ", "lots of space\n"},
      {"<p>  leading</p>", "leading\n"},
      {"a <b> b</b>", "a b\n"},
      {"line<br>   next", "line\nnext\n"},
      {"a<!-- <p>hidden</p> -->b", "ab\n"},
      {"a<!-- never closed", "a\n"},
      {"a<!DOCTYPE html><?xml version='1.0'?>b", "ab\n"},
      {"<script>document.write('<p>x</p>')</script><style>p { }</style>seen", "seen\n"},
      {"<SCRIPT>if (a < b) x();</Script >after", "after\n"},
      {"<script>never closed", ""},
      {"1 < 2 and 3 <= 4 <", "1 < 2 and 3 <= 4 <\n"},
      {"a<b", "a\n"},
      {"<p title=\"a > b\">quoted bracket</p>", "quoted bracket\n"},
      {"<unknown attr=1>kept</unknown>", "kept\n"},
      {"<pre>\n  two  spaces\n\tx</pre>", "  two  spaces\n        x\n"},
      {"<pre>a\r\nb</pre>", "a\nb\n"},
      {"<ul><li>a<li>b</ul><ol><li>c</ol>", "* a\n* b\n1. c\n"},
  };
  HtmlOptions options;
  options.to_ansi = [](char32_t code_point) { return code_point <= 0xFF ? latin1_character(code_point) : "??"; };
  for (const auto& c : cases) EXPECT_EQ(plain_text_of(parse_html(c.html, options)), c.text) << c.html;
}

TEST(HtmlDocumentTest, EntitiesAboveAsciiGoThroughTheConverter) {
  HtmlOptions options;
  std::u32string seen;
  options.to_ansi = [&](char32_t code_point) {
    seen += code_point;
    return std::string("#");
  };
  EXPECT_EQ(plain_text_of(parse_html("&euro;&#8364;&#128;&nbsp;&#65;", options)), "####A\n");
  EXPECT_EQ(seen, (std::u32string{0x20AC, 0x20AC, 0x20AC, 0xA0}));
}

TEST(HtmlDocumentTest, TheFirstTitleCounts) {
  const struct {
    const char* html;
    const char* title;
  } cases[] = {
      {"<html><head><title>Setup Help</title></head></html>", "Setup Help"},
      {"<TITLE>\n  Read  &amp;  Install \n</TITLE>", "Read & Install"},
      {"<title>one</title><title>two</title>", "one"},
      {"<title><b>not markup</b></title>", "<b>not markup</b>"},
      {"<title>never closed", "never closed"},
      {"<p>no title</p>", ""},
  };
  for (const auto& c : cases) {
    const HtmlDocument document = parse_html(c.html);
    EXPECT_EQ(document.title, c.title) << c.html;
  }
}

TEST(HtmlDocumentTest, MetaRefreshForms) {
  const struct {
    const char* html;
    std::optional<HtmlMetaRefresh> refresh;
  } cases[] = {
      {"<meta http-equiv=\"refresh\" content=\"5; url=page2.htm\">", HtmlMetaRefresh{5, "page2.htm"}},
      {"<META HTTP-EQUIV=Refresh CONTENT=\"0;URL=next.htm\">", HtmlMetaRefresh{0, "next.htm"}},
      {"<meta content='3; URL = \"quoted.htm\"' http-equiv='REFRESH'>", HtmlMetaRefresh{3, "quoted.htm"}},
      {"<meta http-equiv=refresh content=10;url=unquoted.htm>", HtmlMetaRefresh{10, "unquoted.htm"}},
      {"<meta http-equiv=refresh content=\"2, page.htm\">", HtmlMetaRefresh{2, "page.htm"}},
      {"<meta http-equiv=refresh content=\"2.5; url=a%20b.htm \">", HtmlMetaRefresh{2, "a%20b.htm"}},
      {"<meta http-equiv=refresh content=\"30\">", HtmlMetaRefresh{30, ""}},
      {"<meta http-equiv=refresh content=\"url=nodelay.htm\">", std::nullopt},
      {"<meta http-equiv=refresh content=\"\">", std::nullopt},
      {"<meta http-equiv=refresh>", std::nullopt},
      {"<meta name=refresh content=\"5; url=x.htm\">", std::nullopt},
      {"<meta charset=\"utf-8\">", std::nullopt},
      // The first one counts.
      {"<meta http-equiv=refresh content=\"1;url=a.htm\"><meta http-equiv=refresh content=\"2;url=b.htm\">",
       HtmlMetaRefresh{1, "a.htm"}},
      // A delay past what a timer can count in milliseconds is cut down.
      {"<meta http-equiv=refresh content=\"99999999999999999999;url=late.htm\">", HtmlMetaRefresh{2147483, "late.htm"}},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_html(c.html).meta_refresh, c.refresh) << c.html;
}

TEST(HtmlDocumentTest, HostileInputIsBounded) {
  HtmlOptions options;
  options.limits.max_depth = 4;
  options.limits.max_blocks = 3;
  options.limits.max_document_bytes = 64;

  // Nesting past the bound drops the deeper tags, not their text.
  std::string nested;
  for (int i = 0; i < 10; ++i) nested += "<ul>";
  nested += "<li>deep";
  const HtmlDocument lists = parse_html(nested, options);
  ASSERT_EQ(lists.blocks.size(), 1u);
  EXPECT_EQ(lists.blocks[0].list_depth, 4);

  const HtmlDocument rules = parse_html("<hr><hr><hr><hr><hr><p>late</p>", options);
  EXPECT_EQ(rules.blocks.size(), 3u);

  const HtmlDocument cut = parse_html(std::string(61, 'a') + "<b>bbbbbbbbbbbbbbbbbbbbbbb</b>", options);
  EXPECT_EQ(plain_text_of(cut), std::string(61, 'a') + "\n");

  // Deep inline nesting with the default bounds: no recursion, no trouble.
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<b><i>";
  deep += "x";
  EXPECT_EQ(plain_text_of(parse_html(deep)), "x\n");
}

}  // namespace
}  // namespace qm
