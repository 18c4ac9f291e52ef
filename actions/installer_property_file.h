#pragma once
// The installer property file: what the engine hands the product's own
// database besides the command line. It lies in the temporary folder, named
// by the product code, and holds triples of lines (CR LF, the system's 8-bit
// code page): a property name, its value, and the marker "$ex". A value never
// spans lines: the engine writes line breaks as "$NEWLINE$".
//
// Pure C++ without <windows.h>: the file sits in a folder any program of the
// user can write, so its reading is fuzzed (fuzz/installer_property_file_fuzz.cpp).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm::actions {

struct InstallerProperty {
  std::string name;
  std::string value;

  bool operator==(const InstallerProperty&) const = default;
};

// The line that ends every triple.
inline constexpr std::string_view kEndOfProperty = "$ex";
// Longest line taken; a longer one spoils the property it belongs to, which
// is left out (a property value of megabytes is no setting).
inline constexpr std::size_t kMaxLineLength = 1024 * 1024;
// Most bytes of the file read; what lies beyond is left unread.
inline constexpr std::size_t kMaxFileSize = 64 * 1024 * 1024;

// The properties of the file, in file order, values decoded
// (decode_file_value). A damaged file gives what can be told apart:
//  - a triple whose third line is not "$ex" takes its value from every line
//    up to the next "$ex", joined again with the line ends they had (a value
//    with a bare line feed, which the engine does not encode, thus survives);
//  - a line "$ex" where a name belongs is a stray marker and is skipped;
//  - a name and a value at the end without the final "$ex" still count; any
//    other remainder without "$ex" is dropped;
//  - an empty name, or a line above kMaxLineLength, drops its property.
// LF ends a line, a CR before it is dropped; a last line without LF counts.
std::vector<InstallerProperty> parse_installer_property_file(std::string_view text);

// A value of the file as the installer gets it: "$NEWLINE$" becomes CR LF
// and "$QUOTE$" "'" (both markers in any case).
std::string decode_file_value(std::string_view value);

// A value of the database's Property table: the engine stores "'" there as
// "$QUOTE$" (any case); this turns it back and leaves the rest.
std::string restore_quotes(std::string_view value);
bool holds_quote_marker(std::string_view value);

}  // namespace qm::actions
