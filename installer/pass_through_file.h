#pragma once
// The property pass-through list kept beside the installed product as
// "<engine name>.par", one item per line, for later maintenance runs.

#include <string>

#include "script/installer_properties.h"

namespace qm {

// Appends the pairs of a ".par" file to the pass-through list, so they come
// ahead of everything recorded afterwards. Gives false, and leaves the list as
// it is, when the file does not exist or cannot be read: a product installed
// without one simply has no earlier properties to carry over.
bool load_pass_through_file(InstallerPropertyLists& lists, const std::string& par_file);

// Writes the pass-through list. The file is replaced as a whole or not at
// all; throws platform::WindowsError when it cannot be written.
void save_pass_through_file(const InstallerPropertyLists& lists, const std::string& par_file);

}  // namespace qm
