#pragma once
// Reads a dialog definition: the text form of a form designer's components.
//
//   definition = component
//   component  = ("object" | "inherited" | "inline") [name ":"] class ["[" integer "]"]
//                { property | component } "end"
//   property   = name ["." name]... "=" value
//   value      = string | integer | float | identifier | set | list | binary | collection
//   string     = piece { piece } { "+" piece { piece } }
//   piece      = "'" { character | "''" } "'" | "#" decimal | "#$" hexadecimal
//   integer    = ["+" | "-"] (decimal | "$" hexadecimal)        (64 bits)
//   float      = ["+" | "-"] digits ["." digits] [("E" | "e") ["+" | "-"] digits] ["s" | "c" | "d"]
//   set        = "[" [identifier { "," identifier }] "]"
//   list       = "(" { value } ")"
//   binary     = "{" { hexadecimal digit pair, blanks and line ends anywhere } "}"
//   collection = "<" { "item" ["[" integer "]"] { property } "end" } ">"
//
// Keywords are compared without regard to case. A quoted piece ends on its
// own line; "+" joins strings across lines. The file may begin with a UTF-8
// byte order mark.
//
// The definition comes from the setup's resource archive, which a user can
// replace: every size is bounded (FormTextLimits), and a text that breaks the
// grammar or a bound is refused with a FormTextError naming the file, the
// line and what was expected there.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "script/script_error.h"
#include "wizard/form_tree.h"

namespace qm {

// A definition that cannot be read. The text is a sentence for the user, such
// as "setup_welcome.dfm, line 12: a property value was expected, found 'end'";
// the start-up failure report shows it after its own prefix.
class FormTextError : public SetupError {
 public:
  using SetupError::SetupError;
};

struct FormTextLimits {
  std::size_t max_depth = 64;                     // components, lists and collections inside each other
  std::size_t max_components = 10000;             // in the whole definition
  std::size_t max_values = 1000000;               // properties, list items, set elements, collection items
  std::size_t max_string_bytes = 1024 * 1024;     // one string, after its escapes
  std::size_t max_binary_bytes = 16 * 1024 * 1024;  // one binary value (pictures)
  std::size_t max_name_length = 255;              // names and numbers as written
  std::size_t max_file_bytes = 64 * 1024 * 1024;  // the file read_form_file reads
};

// Turns UTF-16 text (the characters the text wrote as "#nnn" above 127) into
// the engine's 8-bit text in the system's ANSI code page.
using WideTextConverter = std::function<std::string(std::u16string_view)>;

// Without a code page at hand: code points 0 to 255 become the same byte, any
// other character (a surrogate pair counts as one) becomes '?'.
std::string latin1_from_utf16(std::u16string_view text);

struct FormTextOptions {
  WideTextConverter to_ansi = latin1_from_utf16;
  FormTextLimits limits;
};

// Reads the definition `text`; `source_name` names it in error texts (the
// file name, without its folder).
FormComponent parse_form_text(std::string_view text, std::string_view source_name,
                              const FormTextOptions& options = {});

// Reads the definition file at `path`; errors name the file without its folder.
FormComponent read_form_file(const std::string& path, const FormTextOptions& options = {});

}  // namespace qm
