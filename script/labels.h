#pragma once
// The labels of a script: every "Label" line, commented-out ones too, with its
// upper-cased name (field 1). The validator refuses a name given twice; the
// interpreter jumps to the first line of a name.

#include <cstddef>
#include <string>
#include <vector>

#include "script/setup_package.h"

namespace qm {

struct Label {
  std::string name;  // upper-cased
  std::size_t line;  // index of the "Label" line
};

// In script order, duplicates included.
std::vector<Label> collect_labels(const SetupPackage& package);

}  // namespace qm
