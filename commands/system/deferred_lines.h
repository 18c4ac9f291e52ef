#pragma once
// The sixteen commands that change the machine through Windows Installer.
// Running such a line changes nothing yet: it marks the line as reached,
// records the installer property "A" + header = "TRUE", and records the
// run-time values of some fields as "P" + header + "_" + n. The product's
// installer database holds the rows that make the change, conditioned on
// those properties. Which field feeds which property is the catalogue's
// "deferred" column (commands/catalogue.txt).

#include <string>
#include <string_view>

namespace qm {

// The name a Shortcut table row wants: the first six characters of the long
// name, trimmed of blanks and control characters, "~1|", the long name.
std::string shortcut_name_text(std::string_view long_name);

}  // namespace qm
