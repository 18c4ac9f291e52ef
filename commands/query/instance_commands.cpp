// Handlers of the catalogue's instance rows: the script's side of the
// installed instance's data (engine/selection_data.h,
// engine/instance_bootstrap.h).

#include <string>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "engine/instance_bootstrap.h"
#include "engine/selection_data.h"

namespace qm {

// "Save Feature Selections" — field 1: the file path, substituted. Writes the
// component model, TARGETDIR, ALLUSERS, STARTMENU, the kept variables and the
// target platform to that file, replacing it, with an empty data folder line.
// A file that cannot be written is a run-time error.
void save_feature_selections_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard redirection(engine);
  write_selection_file(engine, expanded_field(engine, line, 1), SelectionWriteMode::kFull, false);
}

// "Load Feature Selections" — field 1: the file path, substituted. When the
// file exists, the components the model has take their saved states, the
// deleted, hidden and choice-locked sets become the saved ones, and the
// saved settings and kept variables are defined again.
void load_feature_selections_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard redirection(engine);
  read_selection_file(engine, expanded_field(engine, line, 1), SelectionReadMode::kMerge);
}

// "Transform Instance" — no fields. A run from the distribution media of an
// installed product (NEWINSTANCE true, no patch) becomes the installation of
// a new instance: new product and revision codes, found not installed.
void transform_instance_command(Engine& engine, const ScriptLine&) { transform_instance(engine); }

}  // namespace qm
