#include "script/comma_text.h"

namespace qm {

namespace {

bool is_blank_or_control(char c) { return static_cast<unsigned char>(c) <= 32; }
bool is_skippable(char c) { return c != '\0' && is_blank_or_control(c); }

bool needs_quotes(std::string_view item, char delimiter) {
  for (char c : item)
    if (is_blank_or_control(c) || c == '"' || c == delimiter) return true;
  return false;
}

void append_quoted(std::string& out, std::string_view item) {
  out += '"';
  for (char c : item) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace

std::string to_comma_text(const std::vector<std::string>& items) { return to_delimited_text(items, ','); }

std::string to_delimited_text(const std::vector<std::string>& items, char delimiter) {
  if (items.size() == 1 && items[0].empty()) return "\"\"";
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += delimiter;
    if (needs_quotes(items[i], delimiter))
      append_quoted(out, items[i]);
    else
      out += items[i];
  }
  return out;
}

std::vector<std::string> from_comma_text(std::string_view text) {
  text = text.substr(0, text.find('\0'));  // the text ends at a NUL, as a C string would
  std::vector<std::string> items;
  std::size_t i = 0;
  auto skip = [&] {
    while (i < text.size() && is_skippable(text[i])) ++i;
  };
  skip();
  while (i < text.size()) {
    std::string item;
    if (text[i] == '"') {
      ++i;
      while (i < text.size()) {
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += text[i++];
      }
    } else {
      while (i < text.size() && text[i] != ',' && !is_blank_or_control(text[i])) item += text[i++];
    }
    items.push_back(std::move(item));
    skip();
    if (i < text.size() && text[i] == ',') {
      ++i;
      skip();
      if (i == text.size()) items.emplace_back();  // a trailing comma adds an empty item
    }
  }
  return items;
}

}  // namespace qm
