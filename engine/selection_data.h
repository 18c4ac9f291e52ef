#pragma once
// The selection file of an installed instance (script/selection_file.h) read
// into and written from the run: the component model, TARGETDIR, ALLUSERS,
// STARTMENU, the variables kept with the instance, and the target platform.

#include <string>
#include <string_view>

namespace qm {

struct Engine;

// The category of every variable a selection file defines.
inline constexpr std::string_view kLoadedSelectionCategory = "LoadComponents";

enum class SelectionReadMode {
  // The file's components join the model: names, states, the three sets, and
  // its size pairs after those the model has (so the package's sizes are
  // found first). A name the model has already takes the file's state.
  kFull,
  // The same, without the file's sizes: the package's stay the only ones.
  kFullWithoutSizes,
  // Only the components the model has take their states from the file (the
  // last the file gives for them); the three sets become the file's, each
  // that the file holds in full.
  kMerge,
};

enum class SelectionWriteMode {
  // The whole file from the run, replacing an earlier one.
  kFull,
  // An earlier file keeps its components, settings and target platform and
  // takes the run's kept variables; without an earlier file nothing is written.
  kUpdate,
};

// Loads the file at `path`; a file that does not exist, or is too large to
// be one, changes nothing. The file's settings and variables are defined in
// every mode, and its variables are kept with the instance again.
void read_selection_file(Engine& engine, const std::string& path, SelectionReadMode mode);

// Writes the file at `path`; `with_data_folder_line`: the data folder's short
// form on its line, otherwise an empty line. The file is replaced as a whole
// or not at all; throws platform::WindowsError when it cannot be written.
void write_selection_file(Engine& engine, const std::string& path, SelectionWriteMode mode,
                          bool with_data_folder_line);

// Where the instance's selection file lies: the per-user engine cache when
// the file is there, otherwise the one for all users; the folder named by the
// engine cache key (run_values.h), with a trailing backslash.
std::string selection_folder(const Engine& engine);
std::string selection_file_path(const Engine& engine);

// After the script (also after a run-time error), unless the run removed the
// engine cache: the variables kept with the instance are saved, in the whole
// file when the run wrote the engine cache, otherwise into the earlier file.
// Never throws: the run is over, and there is nobody left to tell.
void save_selection_data(Engine& engine);

}  // namespace qm
