#pragma once
// Runs a script through the real run initialisation and interpreter, in this
// process: the package from PackageText, every built-in command, a silent run,
// and a scripted "Display Dialog" that answers from a list.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/interpreter.h"
#include "engine/run_initialisation.h"
#include "tests/support/package_text.h"
#include "tests/support/temp_folder.h"

namespace qm::test {

class EngineRun {
 public:
  explicit EngineRun(const PackageText& package, std::vector<OverrideValue> overrides = {});

  // Initialises and runs the script; false when initialisation stopped it.
  bool run();

  Engine& engine() { return *engine_; }
  std::string get(const std::string& name) const { return engine_->variables.get(name); }
  const RunOutcome& outcome() const { return outcome_; }
  InitialisationResult initialisation() const { return initialisation_; }

  // Answers for "Display Dialog" lines, in order; "NEXT" once they run out.
  std::deque<std::string> dialog_answers;
  // Field 1 of every dialog shown.
  std::vector<std::string> dialogs_shown;
  // Restart requests the script made.
  std::vector<RestartKind> restarts;

  const TempFolder& folder() const { return folder_; }

 private:
  TempFolder folder_;
  std::unique_ptr<Engine> engine_ = std::make_unique<Engine>();
  RunOutcome outcome_;
  InitialisationResult initialisation_ = InitialisationResult::kRun;
};

}  // namespace qm::test
