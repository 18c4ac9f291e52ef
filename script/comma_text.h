#pragma once
// Comma text: the serialized form of a string list, as exchanged with plug-in
// libraries.
//
// Items are joined with ","; an item holding a character with code 0 to 32, a
// double quote or a comma is written in double quotes with inner quotes
// doubled. A list of one empty item is written as "".

#include <string>
#include <string_view>
#include <vector>

namespace qm {

std::string to_comma_text(const std::vector<std::string>& items);
std::vector<std::string> from_comma_text(std::string_view text);

// The same form with another separator (a file list joins its paths with
// "|"): an item holding the separator is quoted as one holding a comma is.
std::string to_delimited_text(const std::vector<std::string>& items, char delimiter);

}  // namespace qm
