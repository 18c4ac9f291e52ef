#pragma once
// What the engine knows of each built-in script command, one row per command.
//
// The rows come from commands/catalogue.txt, turned into a C++ table when the
// engine is built (tools/command_catalogue.py); the setup build tool reads the
// same file. The validator, the deferred-line recorder and the interpreter's
// catalogue all walk these rows, so a command's facts live in one place.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace qm {

// What the validator checks on a line of the command before the script runs.
enum class ValidatorCheck {
  kNone,
  kCondition,       // "If"/"Else If": field 1 given; fields 1 and 3 name defined variables
  kExpression,      // field 1 is a well-formed expression
  kLabelExists,     // field 1 names a label of the script
  kVariableExists,  // field 1 names a variable defined by then
  kRequiredField,   // field `check_field` is not empty
  kDialog,          // field 1 given; field 4, when given, names a variable
  kDeleteMode,      // field 3 or field 4 is true
  kTargetFolder,    // field 3 is not empty
  kWebMediaName,    // field 1 a legal file name, with a download URL in field 2
};

// A field whose text is translated at run time: text number `offset` of the line.
struct TranslatedField {
  std::uint8_t field;
  std::uint8_t offset;
};

// Value property n ("P" + header + "_" + n) records field `field`.
struct ValueProperty {
  std::uint8_t property;
  std::uint8_t field;
};

// The text triples a deferred line adds for the installer database's tables.
enum class TextTriple { kNone, kShortcut, kProgId };

struct DeferredFacts {
  bool deferred = false;  // changes the machine through Windows Installer
  std::span<const ValueProperty> values;
  TextTriple triple = TextTriple::kNone;
  bool redirection_guard = false;  // file-system redirection off for 64-bit targets
};

struct CommandFacts {
  static constexpr int kAnyFieldCount = -1;

  std::string_view name;    // as scripts write it, compared exactly
  std::string_view family;  // the folder that holds its handler
  int fields = 0;           // parameter fields the engine reads, or kAnyFieldCount
  bool built = false;       // the catalogue names a handler for it
  ValidatorCheck check = ValidatorCheck::kNone;
  int check_field = 0;      // the field of kRequiredField
  // Fields naming the variables the command creates (0: none).
  std::array<std::uint8_t, 2> defines{};
  bool defines_keep_marker = false;  // a defined field may end in the keep marker
  bool defines_first = false;        // defined before the check runs
  std::span<const TranslatedField> translated;  // ordered by offset
  DeferredFacts deferred;

  // The text offset of a translated field, or 0 when the field is not translated.
  int translation_offset(int field) const {
    for (const TranslatedField& translated_field : translated)
      if (translated_field.field == field) return translated_field.offset;
    return 0;
  }
};

// Every built-in command, in catalogue order.
std::span<const CommandFacts> command_catalogue();

// The facts of a command by its exact name, or null for a name the catalogue
// does not hold (a plug-in command, a build tool's structural line).
const CommandFacts* find_command_facts(std::string_view name);

}  // namespace qm
