#pragma once
// The engine's command line: switches, switch values and NAME=VALUE pairs.
//
//   /s, /qn                 silent run            (also with "-", any case)
//   /update, /updatesetup   no splash windows
//   /l=PATH  -l=PATH        trace file
//   /m=PATH                 the setup file that started the engine
//   /g=PATH                 group policy path
//   /p=FOLDER  -p=FOLDER    setup source folder
//   NAME=VALUE              defines or overrides variable NAME

#include <string>
#include <string_view>
#include <vector>

#include "script/variable_store.h"

namespace qm {

struct CommandLine {
  std::string remainder;  // everything after the program name
  bool silent = false;
  bool no_splash = false;
  std::string trace_file;
  std::string setup_file;
  std::string group_policy_path;
  std::string source_folder;
  std::vector<OverrideValue> overrides;
};

// `raw` is the whole command line as Windows gives it; `parameters` are the
// arguments after the program name, split as the C runtime splits them.
CommandLine parse_command_line(std::string_view raw, const std::vector<std::string>& parameters);

}  // namespace qm
