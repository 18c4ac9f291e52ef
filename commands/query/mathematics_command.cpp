// Handler of the catalogue's "Mathematics" row.

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "script/arithmetic.h"

namespace qm {

// "Mathematics" — fields 1 and 2 (substituted): the operands; field 3: the
// operation (script/arithmetic.h); field 4: the result variable, defined
// when new, or empty to compute without keeping the result (a draw from
// the generator still advances it). A computation that fails stores the
// empty text; it never stops the script.
void mathematics_command(Engine& engine, const ScriptLine& line) {
  const std::string result_name = bare_variable_field(engine, line, 4);
  if (!result_name.empty() && !engine.variables.exists(result_name))
    set_or_define_result(engine, line, result_name, "");
  const std::string result = mathematics(engine.field(line, 3), expanded_field(engine, line, 1),
                                         expanded_field(engine, line, 2), engine.random_generator);
  if (!result_name.empty()) set_result(engine, line, result_name, result);
}

}  // namespace qm
