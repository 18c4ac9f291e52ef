#pragma once
// Everything between reading the package and running the first script line:
// the script is validated, the variables are set up, a pending resume entry
// is removed, every machine-changing line is marked as not yet run, the
// language is chosen, and the command line's NAME=VALUE pairs are applied.

namespace qm {

struct Engine;

enum class InitialisationResult {
  kRun,               // run the script
  kInvalidScript,     // the validator refused the script: end the process with 314
  kNoInstallerDatabase,  // nothing to install: the script does not run
  kLanguageCancelled,    // the user cancelled the language choice: the script does not run
};

inline constexpr int kExitInvalidScript = 314;

InitialisationResult initialise_run(Engine& engine);

// The variables every run starts with, defined in their fixed order.
void define_predefined_variables(Engine& engine);

}  // namespace qm
