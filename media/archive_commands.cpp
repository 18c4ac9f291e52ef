// The handler of "Extract 7Zip Archive": an archive extracted by the script
// itself, into a folder it names.

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "media/direct_extract_media.h"

namespace qm {

// Field 1: the archive; 2: the destination folder; 3: a variable for the
// outcome ("SUCCESS" or the archive library's error text); 4: the password;
// 5: truth, answer the library's overwrite question with "yes to all"
// (else "yes"); 6: truth, replace files that are there (the library's
// overwrite flag 0), else keep them (flag 1).
void extract_7zip_archive_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  DirectExtractInputs inputs;
  inputs.owner_window = engine.current_window;
  inputs.archive = normalized_field(engine, line, 1);
  inputs.destination = normalized_field(engine, line, 2);
  inputs.password = expanded_field(engine, line, 4);
  inputs.answer_all = truth_field(engine, line, 5);
  inputs.overwrite = truth_field(engine, line, 6) ? ArchiveOverwrite::kReplace : ArchiveOverwrite::kKeep;
  inputs.redirection_off = targets_64_bit_windows(engine);
  const MediaOutcome outcome = direct_extract_media(engine, inputs);
  const std::string variable = bare_variable_field(engine, line, 3);
  if (!variable.empty()) set_or_define_result(engine, line, variable, outcome.success ? "SUCCESS" : outcome.error_text);
}

}  // namespace qm
