#pragma once
// Lines of a text file, as the script's text-file commands read and write
// them: a line ends at CR LF, at a lone LF or at a lone CR, and the last line
// may have no line end at all. A file of lines is written back with CR LF
// after every line.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct TakenLine {
  std::string_view text;  // without its line end
  std::size_t consumed;   // bytes taken from the buffer, line end included
};

// The first line of `buffer`, which holds the next bytes of a file. With
// `more_may_follow` the buffer may stop in the middle of a line: then only a
// line whose end lies inside it is taken, and a CR as its last byte waits for
// the next byte (an LF there belongs to the same line end). Without it the
// buffer runs to the end of the file, and whatever is left is the last line.
// Nothing when no line can be taken (an empty buffer, or a line not complete
// yet).
std::optional<TakenLine> take_line(std::string_view buffer, bool more_may_follow);

// All lines of a whole text. A line end at the very end starts no further
// line; an empty text has no lines.
std::vector<std::string> split_lines(std::string_view text);

// The lines, each followed by CR LF.
std::string join_lines_crlf(const std::vector<std::string>& lines);

}  // namespace qm
