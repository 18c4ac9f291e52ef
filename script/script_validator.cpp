#include "script/script_validator.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

#include "script/ansi_text.h"
#include "script/command_facts.h"
#include "script/expression.h"
#include "script/indexed_list.h"
#include "script/labels.h"
#include "script/truth_text.h"

namespace qm {

namespace {

// Category of the variables that validation defines.
constexpr std::string_view kCompilation = "Compilation";

// Entries of the deferred line list.
constexpr std::string_view kNotDeferred = "SKIP";
constexpr std::string_view kDeferred = "FALSE";

// Variables the engine itself provides, so that any line may refer to them.
constexpr std::array<std::string_view, 52> kKnownVariables = {
    "VRAKLOGO", "TIME", "DATE", "NEWINSTANCE", "SELECTED", "WINDOWHANDLE", "EXEDIR", "EXEFILE",
    "UNINSTALLLINK", "ENGINECACHE", "COPYWEBLOCK", "ABORT", "SILENT", "LOGGED", "CMDLINE", "REBOOTNOW",
    "SFXPATH", "SFXFILE", "LASTERROR", "PROGRESSMODE", "PROGRESSTEXT", "PROGRESS", "LICENSE", "USERNAME",
    "USERCOMPANY", "REBOOTCOMPUTER", "RUNAPP", "WIZARD", "VERSION", "TARGETDIR", "STARTMENU", "ADVERTISE",
    "ALLUSERS", "COMPLETE", "MINIMUM", "PERSONALIZED", "MODIFY", "REPAIR", "REMOVE", "DATADIR", "PRODUCTCODE",
    "REVISIONCODE", "ROOTDIR", "MAINTENANCE", "NEWLINE", "NEEDSUPGRADE", "TITLE", "COMPANY", "TEMPDIR",
    "SUPPORTDIR", "MSIFILE", "LANGUAGE",
};
// The one known variable that belongs to run initialisation rather than to compilation.
constexpr std::string_view kProgressMode = "PROGRESSMODE";

// Reasons.
constexpr std::string_view kLabelNested = "LABEL statements cannot be nested inside loops/conditionals";
constexpr std::string_view kInsufficientEnds = "Insufficient END statements";
constexpr std::string_view kTooManyEnds = "Too many END statements";
constexpr std::string_view kLabelRedefined = "LABEL re-defined: ";
constexpr std::string_view kLabelUndefined = "LABEL undefined: ";
constexpr std::string_view kVariableRequired = "Variable required";
constexpr std::string_view kVariableNotDefined = "Variable not defined: ";
constexpr std::string_view kIllegalWebMediaName = "Web Media Block name must be a legal file name";
constexpr std::string_view kNoDownloadUrl = "Web Media Block must have at least one download URL";
constexpr std::string_view kNoDeleteMode = "At least one delete mode must be selected";
constexpr std::string_view kNoTargetFolder =
    "A target folder must be specified for files that are being installed.\r"
    "The value $TARGETDIR$ represents the destination folder chosen by the user.";
constexpr std::string_view kExpressionSyntax =
    "Syntax error in expression. Please review the help topic \"Evaluate Expression\" for the correct syntax.";
constexpr std::string_view kNoDialogName = "Dialog name not specified";
constexpr std::string_view kWizardLoopBody = "Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP";

// Characters that Windows does not allow in a file name (separators aside).
constexpr std::string_view kIllegalFileNameCharacters = "/*?\"<>|";

// The variable a result field names: $NAME$ gives NAME, a bare NAME itself.
std::string variable_named_by(std::string_view field) {
  const std::string reference = reference_name(field);
  return reference.empty() ? std::string(field) : reference;
}

// ---------------------------------------------------------------------------
// Line checks. Each answers the reason the line fails, or nothing.

using Reason = std::optional<std::string>;

struct Line {
  const SetupPackage& package;
  std::size_t index;
  const VariableStore& variables;
  const IndexedList& labels;

  std::string field(std::size_t n) const { return package.field_of_line(index, n); }
};

Reason reject(std::string_view reason, std::string_view detail = {}) {
  std::string text(reason);
  text += detail;
  return text;
}

Reason check_web_media_block(const Line& line) {
  const std::string name = line.field(1);
  if (!name.empty() && line.field(2).empty()) return reject(kNoDownloadUrl);
  const std::size_t separator = name.find_last_of("\\:");
  const std::string_view file_name =
      separator == std::string::npos ? std::string_view(name) : std::string_view(name).substr(separator + 1);
  if (file_name.find_first_of(kIllegalFileNameCharacters) != std::string_view::npos) return reject(kIllegalWebMediaName);
  return {};
}

Reason check_field_given(const Line& line, std::size_t field) {
  if (line.field(field).empty()) return reject(kVariableRequired);
  return {};
}

Reason check_delete_mode(const Line& line) {
  if (!is_true(line.field(3)) && !is_true(line.field(4))) return reject(kNoDeleteMode);
  return {};
}

Reason check_target_folder(const Line& line) {
  if (line.field(3).empty()) return reject(kNoTargetFolder);
  return {};
}

// Field 1 is the bare name of a variable that must already exist.
Reason check_variable_exists(const Line& line) {
  const std::string name = line.field(1);
  if (!line.variables.exists(name)) return reject(kVariableNotDefined, name);
  return {};
}

// "If" and "Else If": field 1 the variable tested, field 3 the value (a literal
// or a reference).
Reason check_condition(const Line& line) {
  const std::string variable = line.field(1);
  if (variable.empty()) return reject(kVariableRequired);
  const std::string value = line.field(3);
  if (!line.variables.names_a_variable(value, /*loose=*/true)) return reject(kVariableNotDefined, value);
  if (!line.variables.names_a_variable(variable, /*loose=*/false)) return reject(kVariableNotDefined, variable);
  return {};
}

// Each "$" becomes a quote, so that $NAME$ reads as a quoted text.
Reason check_expression(const Line& line) {
  std::string expression = line.field(1);
  for (char& c : expression) {
    if (c == '$') c = '"';
  }
  if (evaluate_expression(expression) == kExpressionError) return reject(kExpressionSyntax);
  return {};
}

Reason check_label_exists(const Line& line) {
  const std::string label = line.field(1);
  if (!line.labels.contains(ansi_upper(label))) return reject(kLabelUndefined, label);
  return {};
}

// Field 1 the dialog; field 4, when given, the variable that decides whether
// the dialog is skipped.
Reason check_dialog(const Line& line) {
  if (line.field(1).empty()) return reject(kNoDialogName);
  const std::string condition = line.field(4);
  if (!condition.empty() && !line.variables.names_a_variable(condition, /*loose=*/false))
    return reject(kVariableNotDefined, condition);
  return {};
}

// The check the catalogue names for a command.
Reason check(const Line& line, const CommandFacts& facts) {
  switch (facts.check) {
    case ValidatorCheck::kNone: return {};
    case ValidatorCheck::kCondition: return check_condition(line);
    case ValidatorCheck::kExpression: return check_expression(line);
    case ValidatorCheck::kLabelExists: return check_label_exists(line);
    case ValidatorCheck::kVariableExists: return check_variable_exists(line);
    case ValidatorCheck::kRequiredField: return check_field_given(line, static_cast<std::size_t>(facts.check_field));
    case ValidatorCheck::kDialog: return check_dialog(line);
    case ValidatorCheck::kDeleteMode: return check_delete_mode(line);
    case ValidatorCheck::kTargetFolder: return check_target_folder(line);
    case ValidatorCheck::kWebMediaName: return check_web_media_block(line);
  }
  return {};
}

// ---------------------------------------------------------------------------

class Validator {
 public:
  Validator(const SetupPackage& package, VariableStore& variables) : package_(package), variables_(variables) {}

  ValidationResult run() {
    define_known_variables();
    if (check_blocks() && collect_labels()) {
      define_kept_variables();
      if (check_lines()) check_wizard_loops();
    }
    result_.label_names = labels_.entries();
    return std::move(result_);
  }

 private:
  bool active(std::size_t line) const { return !package_.is_commented_out(line); }

  bool fail(std::int32_t where, std::string reason) {
    result_.result = where;
    result_.reason = std::move(reason);
    return false;
  }
  bool fail_at(std::size_t line, std::string reason) { return fail(static_cast<std::int32_t>(line), std::move(reason)); }

  void define(std::string_view field) {
    if (!field.empty()) variables_.define(variable_named_by(field), "", kCompilation);
  }

  void define_known_variables() {
    variables_.clear();
    for (const std::string_view name : kKnownVariables)
      variables_.define(name, "", name == kProgressMode ? category::kInitialization : kCompilation);
  }

  // "If" and "Wizard Loop" open a block, "End" closes one; "Else" and "Else If"
  // stay inside theirs. Commented-out lines do not count.
  bool check_blocks() {
    std::size_t openings = 0;
    std::size_t closings = 0;
    std::ptrdiff_t depth = 0;
    for (std::size_t line = 0; line < package_.line_count(); ++line) {
      if (!active(line)) continue;
      const std::string_view command = package_.command(line);
      if (command == "If" || command == "Wizard Loop") {
        ++openings;
        ++depth;
      } else if (command == "End") {
        ++closings;
        --depth;
      } else if (command == "Label" && depth != 0) {
        return fail_at(line, std::string(kLabelNested));
      }
    }
    if (closings < openings) return fail(ValidationResult::kBlockCountError, std::string(kInsufficientEnds));
    if (closings > openings) return fail(ValidationResult::kBlockCountError, std::string(kTooManyEnds));
    return true;
  }

  // Every "Label" line counts, commented out or not: the interpreter's label
  // table holds them all.
  bool collect_labels() {
    for (const Label& label : qm::collect_labels(package_)) {
      if (labels_.contains(label.name))
        return fail_at(label.line, std::string(kLabelRedefined) + package_.field_of_line(label.line, 1));
      labels_.push_back(label.name);
    }
    return true;
  }

  // A kept variable may be restored from an earlier installation, so any line
  // may read it; commented-out lines mark for keeping too.
  void define_kept_variables() {
    for (std::size_t line = 0; line < package_.line_count(); ++line) {
      if (package_.command(line) != "Set Variable") continue;
      const std::string field = package_.field_of_line(line, 1);
      const KeepMarkedName marked = split_keep_marker(field);
      if (!marked.keep) continue;
      const std::string name = variable_named_by(marked.variable);
      if (!name.empty() && !variables_.exists(name)) variables_.define(name, "", kCompilation);
    }
  }

  bool check_lines() {
    result_.deferred_lines.reserve(package_.line_count());
    for (std::size_t index = 0; index < package_.line_count(); ++index) {
      result_.deferred_lines.emplace_back(kNotDeferred);
      if (!active(index)) continue;
      const std::string_view command = package_.command(index);
      const CommandFacts* facts = find_command_facts(command);
      if (facts == nullptr) continue;

      const Line line{package_, index, variables_, labels_};
      if (facts->defines_first) define_results(line, *facts);
      if (Reason reason = check(line, *facts)) return fail_at(index, std::move(*reason));
      if (!facts->defines_first) define_results(line, *facts);
      if (facts->deferred.deferred) result_.deferred_lines.back() = kDeferred;
    }
    return true;
  }

  void define_results(const Line& line, const CommandFacts& facts) {
    for (const std::size_t field : facts.defines) {
      if (field == 0) continue;
      const std::string text = line.field(field);
      define(facts.defines_keep_marker ? split_keep_marker(text).variable : std::string_view(text));
    }
  }

  // A wizard loop's body runs from "Wizard Loop" to the first active "End"
  // after it, as the interpreter sees it.
  bool check_wizard_loops() {
    bool inside = false;
    for (std::size_t line = 0; line < package_.line_count(); ++line) {
      if (!active(line)) continue;
      const std::string_view command = package_.command(line);
      if (command == "End") {
        inside = false;
        continue;
      }
      if (inside && command != "Display Dialog" && command != "Comment" && command != "Ignore")
        return fail_at(line, std::string(kWizardLoopBody));
      if (command == "Wizard Loop") inside = true;
    }
    return true;
  }

  const SetupPackage& package_;
  VariableStore& variables_;
  IndexedList labels_;
  ValidationResult result_;
};

}  // namespace

ValidationResult validate_script(const SetupPackage& package, VariableStore& variables) {
  return Validator(package, variables).run();
}

}  // namespace qm
