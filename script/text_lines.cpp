#include "script/text_lines.h"

namespace qm {

std::optional<TakenLine> take_line(std::string_view buffer, bool more_may_follow) {
  if (buffer.empty()) return std::nullopt;
  const std::size_t end = buffer.find_first_of("\r\n");
  if (end == std::string_view::npos) {
    if (more_may_follow) return std::nullopt;
    return TakenLine{buffer, buffer.size()};
  }
  std::size_t consumed = end + 1;
  if (buffer[end] == '\r') {
    // Whether an LF follows decides how much of the line end is ours.
    if (end + 1 == buffer.size() && more_may_follow) return std::nullopt;
    if (end + 1 < buffer.size() && buffer[end + 1] == '\n') ++consumed;
  }
  return TakenLine{buffer.substr(0, end), consumed};
}

std::vector<std::string> split_lines(std::string_view text) {
  std::vector<std::string> lines;
  while (const std::optional<TakenLine> line = take_line(text, false)) {
    lines.emplace_back(line->text);
    text.remove_prefix(line->consumed);
  }
  return lines;
}

std::string join_lines_crlf(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace qm
