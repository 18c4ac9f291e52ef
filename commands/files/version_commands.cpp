// Handlers of the commands that read version resources: "Get File Version"
// and "Check File Version".

#include <string>

#include "platform/file_version.h"
#include "script/dotted_version.h"
#include "engine/command_parameters.h"
#include "engine/engine.h"

namespace qm {

// "Get File Version" — field 1: the file; field 2: $NAME$ or NAME of the
// result variable. Writes the file's version as major.minor.build.revision,
// 0.0.0.0 for a file without version information (or none at all).
void get_file_version_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  const std::string version = version_text(platform::file_version(normalized_field(engine, line, 1)));
  set_or_define_result(engine, line, variable_reference_field(engine, line, 2), version);
}

// "Check File Version" — field 1: bare variable (defined empty when
// missing); field 2: the file; field 3, truth: compare with the file of
// field 4 rather than with the dotted version text of field 5 (substituted).
// Sets variable 1 to "TRUE" only when the file's version is strictly higher.
// A piece of field 5 before a "." that is no integer is a script error.
void check_file_version_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  const std::string variable = bare_variable_field(engine, line, 1);
  if (!engine.variables.exists(variable)) set_or_define_result(engine, line, variable, "");
  const VersionNumbers version = platform::file_version(normalized_field(engine, line, 2));
  const VersionNumbers reference = truth_field(engine, line, 3) ? platform::file_version(normalized_field(engine, line, 4))
                                                                 : dotted_version(expanded_field(engine, line, 5));
  set_result(engine, line, variable, version > reference ? "TRUE" : "FALSE");
}

}  // namespace qm
