// The script validator on a package read from the input (as package_reader_fuzz
// reads it), then a dry walk of what the interpreter decides from the validated
// store: the "If" conditions and "Evaluate Expression" lines, on the variables
// the validator left defined.

#include "fuzz_input.h"
#include "script/command_facts.h"
#include "script/condition.h"
#include "script/expression.h"
#include "script/package_reader.h"
#include "script/script_validator.h"
#include "script/variable_store.h"

namespace {

void dry_walk(const qm::SetupPackage& package, const qm::VariableStore& variables) {
  for (std::size_t line = 0; line < package.line_count(); ++line) {
    if (package.is_commented_out(line)) continue;
    const std::string_view command = package.command(line);
    if (command == "If" || command == "Else If") {
      const qm::ConditionFields fields{package.field_of_line(line, 1), package.field_of_line(line, 2),
                                       package.field_of_line(line, 3), package.field_of_line(line, 4)};
      try {
        (void)qm::condition_holds(fields, variables);
      } catch (const qm::ScriptError&) {
        // a variable the validator cannot know of (a bare name read at run time)
      }
    } else if (command == "Evaluate Expression") {
      (void)qm::evaluate_expression(variables.expand_quoted(package.field_of_line(line, 1)));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qm::SetupPackage package;
  try {
    package = qm::parse_package(qm::fuzz::as_text(data, size));
  } catch (const qm::PackageError&) {
    return 0;
  }
  qm::VariableStore variables;
  const qm::ValidationResult result = qm::validate_script(package, variables);
  const auto lines = static_cast<std::int64_t>(package.line_count());
  QM_FUZZ_CHECK(result.ok() || result.result == qm::ValidationResult::kBlockCountError ||
                (result.result >= 0 && result.result < lines));
  QM_FUZZ_CHECK(result.ok() == (result.reason == "Script compiled successfully"));
  QM_FUZZ_CHECK(result.deferred_lines.size() <= package.line_count());
  if (result.ok()) {
    QM_FUZZ_CHECK(result.deferred_lines.size() == package.line_count());
    for (const char* known : {"TARGETDIR", "PROGRESSMODE", "LANGUAGE"}) QM_FUZZ_CHECK(variables.exists(known));
    dry_walk(package, variables);
  }
  return 0;
}
