#pragma once
// Where the interpreter stands in the script: position, open conditional
// branches, skipping, the wizard loop, labels, and whether the script ended.
// Control-flow commands change it; other handlers only read it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "script/labels.h"

namespace qm {

enum class SkipMode {
  kNone,
  kFalseBranch,  // a condition failed: skip to the matching Else, Else If or End
  kDoneBranch,   // a branch ran to its end: skip to the matching End
};

enum class WizardDirection { kBackward = -1, kLeave = 0, kForward = 1 };

struct ScriptState {
  // Number of the current line (index + 1); the next line read in normal flow
  // is the one at index == position.
  std::size_t position = 0;
  std::int32_t open_branches = 0;
  SkipMode skip = SkipMode::kNone;
  // Set when a false-branch skip stopped at an "Else If": that line's
  // condition is evaluated instead of ending a branch.
  bool else_if_ends_skip = false;
  bool wizard_active = false;
  WizardDirection wizard_direction = WizardDirection::kForward;
  // The script's labels, in script order (a jump takes the first of a name).
  std::vector<Label> labels;
  // An ending command ran: the script ends normally after this line.
  bool ended = false;

  std::size_t current_index() const { return position - 1; }

  // A jump leaves every block and loop behind.
  void forget_blocks() {
    open_branches = 0;
    skip = SkipMode::kNone;
    else_if_ends_skip = false;
    wizard_active = false;
    wizard_direction = WizardDirection::kForward;
  }

  // How a dialog's result steers a wizard loop: "CANCEL" leaves it, "NEXT"
  // goes forward, "BACK" backward; anything else keeps the direction.
  void follow_dialog_result(std::string_view result) {
    if (!wizard_active) return;
    if (result == "CANCEL") wizard_direction = WizardDirection::kLeave;
    else if (result == "NEXT") wizard_direction = WizardDirection::kForward;
    else if (result == "BACK") wizard_direction = WizardDirection::kBackward;
  }
};

}  // namespace qm
