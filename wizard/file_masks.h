#pragma once
// File masks and the filters that offer them, as a dialog definition writes
// them: "*.txt;*.ini" (several masks), "Text files (*.txt)|*.txt|All files
// (*.*)|*.*" (descriptions and masks in turn). Pure C++ without
// <windows.h>: the texts come from the definition, which a user can replace.

#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The masks of a mask text: "*.txt;*.ini" gives two; blanks around each are
// dropped; no mask at all means "*.*".
std::vector<std::string> split_masks(std::string_view masks);

// Whether a file name fits a mask with the wildcards "*" (any run of
// characters) and "?" (one character), ignoring case. As on the command line,
// "*.*" fits every name and "*." the names without an extension. Unlike
// Windows' own search, the short 8.3 names play no part, so "*.htm" does not
// bring in "page.html". Time grows with the product of the two lengths at
// worst.
bool matches_mask(std::string_view name, std::string_view mask);
bool matches_any_mask(std::string_view name, const std::vector<std::string>& masks);

struct FilterChoice {
  std::string description;
  std::string mask;
};

// The choices of a filter text: "description|mask|description|mask...". A
// description without its mask lists every file ("*.*"); empty pairs are
// dropped.
std::vector<FilterChoice> filter_choices(std::string_view filter);

}  // namespace qm
