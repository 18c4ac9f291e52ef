// Lines of text files ("Read from Text File", "Write to Text File"): the
// first byte sets the size of the pieces a reader gets the rest in. Taken
// piece by piece, the lines are those of the whole text; no line holds a line
// end, every take moves on, and the lines written back with CR LF read the
// same.

#include <algorithm>
#include <optional>

#include "fuzz_input.h"
#include "script/text_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = 1 + data[0] % 64;
  const std::string_view text = qm::fuzz::as_text(data + 1, size - 1);

  const std::vector<std::string> lines = qm::split_lines(text);
  for (const std::string& line : lines) QM_FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);

  std::vector<std::string> taken;
  std::string buffer;
  std::size_t given = 0;
  for (;;) {
    const bool more = given < text.size();
    if (const std::optional<qm::TakenLine> line = qm::take_line(buffer, more)) {
      QM_FUZZ_CHECK(line->consumed > line->text.size() || (!more && line->consumed == buffer.size()));
      QM_FUZZ_CHECK(line->consumed <= buffer.size());
      taken.emplace_back(line->text);
      buffer.erase(0, line->consumed);
      continue;
    }
    if (!more) break;
    const std::string_view next = text.substr(given, piece);
    buffer.append(next);
    given += next.size();
  }
  QM_FUZZ_CHECK(buffer.empty());
  QM_FUZZ_CHECK(taken == lines);
  QM_FUZZ_CHECK(qm::split_lines(qm::join_lines_crlf(lines)) == lines);
  return 0;
}
