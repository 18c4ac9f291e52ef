#pragma once
// The script validator ("compilation"): checks a setup script before it runs.
//
// The checks run in passes, and the first failure ends validation:
//   1. block structure: "If"/"Wizard Loop" against "End", no "Label" inside a block;
//   2. labels: no label defined twice;
//   3. variables that "Set Variable" lines mark for keeping are defined;
//   4. line checks, command by command, in script order, defining the
//      variables each command will create so that later lines may use them;
//   5. wizard-loop bodies hold only dialogs and comments.
//
// Besides the verdict, the validator leaves the interpreter's initial deferred
// line list and the collected label names.

#include <cstdint>
#include <string>
#include <vector>

#include "script/setup_package.h"
#include "script/variable_store.h"

namespace qm {

struct ValidationResult {
  static constexpr std::int32_t kValid = -1;
  // A block-count error, which belongs to no single line.
  static constexpr std::int32_t kBlockCountError = 0x7FFFFFFC;

  std::int32_t result = kValid;                 // index of the offending line, or one of the above
  std::string reason = "Script compiled successfully";
  std::vector<std::string> deferred_lines;      // one per line looked at: "SKIP", or "FALSE" for machine-changing commands
  std::vector<std::string> label_names;         // upper-cased label names collected
  bool ok() const { return result == kValid; }
};

// Empties `variables`, defines the known variables, then checks the script of
// `package`. The variables that the script's commands will create are left
// defined (with empty values) in `variables`.
ValidationResult validate_script(const SetupPackage& package, VariableStore& variables);

}  // namespace qm
