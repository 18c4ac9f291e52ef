#include "script/labels.h"

#include "script/ansi_text.h"

namespace qm {

std::vector<Label> collect_labels(const SetupPackage& package) {
  std::vector<Label> labels;
  for (std::size_t line = 0; line < package.line_count(); ++line)
    if (package.command(line) == "Label") labels.push_back({ansi_upper(package.field_of_line(line, 1)), line});
  return labels;
}

}  // namespace qm
