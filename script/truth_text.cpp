#include "script/truth_text.h"

#include "script/ansi_text.h"

namespace qm {

bool is_true(std::string_view text) { return text == "-1" || ascii_equal_ignore_case(text, kTrueText); }

std::string newlines_to_text(std::string_view text) {
  return replace_ignore_case(text, kNewlineMarker, "\r\n");
}

std::string text_to_newlines(std::string_view text) { return replace_exact(text, "\r\n", kNewlineMarker); }

}  // namespace qm
