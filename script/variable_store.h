#pragma once
// The variable store: every named string the setup script can see.
//
// Names are kept upper-cased and looked up without regard to case; values are
// kept as given. The store remembers the order in which variables were
// defined, because substitution walks it in that order. One re-entrant lock
// guards every operation, so the interpreter, dialog handlers and worker
// threads may share the store.

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "script/indexed_list.h"

namespace qm {

// Write categories. Only the command-line injection has an effect of its own;
// command results are written under "<command name> Action".
namespace category {
inline constexpr std::string_view kInjectOverride = "Inject Override Command Line";
inline constexpr std::string_view kPreInitialization = "Pre-Initialization";
inline constexpr std::string_view kInitialization = "Initialization";
inline constexpr std::string_view kCancelState = "Cancel State";
inline constexpr std::string_view kSetVariable = "Set Variable Action";
inline constexpr std::string_view kLocalization = "Localization Variable Action";
std::string of_command(std::string_view command_name);
}  // namespace category

// Marker that reference_value_or_marker() gives for an undefined variable.
inline constexpr std::string_view kUndefinedMarker = "$VRAKNX$";

// A NAME=VALUE pair from the command line; the name is upper-cased.
struct OverrideValue {
  std::string name;
  std::string value;
};

class VariableStore {
 public:
  // Expansion repeats passes until the text is stable. A variable whose
  // value refers to itself, directly or through others, would keep the text
  // growing or circling for ever; such a text is recognised when a pass
  // substitutes the same variables as an earlier pass did, and the expansion
  // ends with the text after that pass ("$A$" with A = "$A$x" gives
  // "$A$xx"). Without such a circle every pass substitutes variables nearer
  // the end of their reference chains than the pass before, so ordinary
  // texts are not affected. Two safety bounds remain: at most
  // kMaxExpandPasses passes, and no pass that would make the text longer
  // than kMaxExpandedLength (the text after the last whole pass stands then).
  static constexpr int kMaxExpandPasses = 64;
  static constexpr std::size_t kMaxExpandedLength = 16u * 1024u * 1024u;

  std::string get(std::string_view name) const;
  bool exists(std::string_view name) const;
  void set(std::string_view name, std::string_view value, std::string_view write_category);
  void define(std::string_view name, std::string_view value, std::string_view write_category);
  void clear();

  std::string expand(std::string_view text) const;
  std::string expand_quoted(std::string_view text) const;

  std::string reference_value(std::string_view text) const;
  std::string reference_value_or_marker(std::string_view text) const;
  bool names_a_variable(std::string_view text, bool loose) const;

  // The whole store as comma text "name1,value1,name2,value2,...", and back.
  std::string serialize() const;
  void replace_all(std::string_view comma_text);

  // Command-line values: in a silent run the script cannot change them.
  void set_overrides(std::vector<OverrideValue> overrides);
  const std::vector<OverrideValue>& overrides() const { return overrides_; }
  void set_silent_run(bool silent);
  bool silent_run() const;

  // Names that "Set Variable" marked for keeping with the installed instance.
  void keep(std::string_view name);
  std::vector<std::string> persisted() const;

  // Copies of the store, in definition order.
  std::vector<std::pair<std::string, std::string>> snapshot() const;
  std::size_t size() const;

  // Holds the store lock for a compound operation of the caller's.
  std::unique_lock<std::recursive_mutex> lock() const { return std::unique_lock(mutex_); }

 private:
  std::size_t find(std::string_view name) const { return names_.find(name); }
  // One pass of substitution; `substituted`, when given, receives the
  // variables that changed the text, in definition order.
  std::optional<std::string> substitute_pass(std::string_view text, bool quoted, std::size_t max_length,
                                             std::vector<std::size_t>* substituted) const;
  std::optional<std::string> substitute_all_variables(std::string text, bool quoted, std::size_t max_length,
                                                      std::vector<std::size_t>* substituted) const;
  void append(std::string upper_name, std::string value);

  mutable std::recursive_mutex mutex_;
  IndexedList names_;
  std::vector<std::string> values_;
  // Names with a "$" in them (or empty ones, which only replace_all can bring
  // in) defeat the quick search for references; they switch expand() to
  // trying every variable.
  std::size_t irregular_names_ = 0;

  std::vector<OverrideValue> overrides_;
  bool silent_ = false;
  std::vector<std::string> persisted_;
};

// "Set Variable" field 1: a variable, optionally followed by the keep marker
// and a flag; the flag "TRUE" (compared exactly) keeps the variable with the
// installed instance.
inline constexpr std::string_view kKeepMarker = "$VRAK$VRAK$";
struct KeepMarkedName {
  std::string_view variable;  // the text before the marker: $NAME$ or NAME
  bool keep = false;
};
KeepMarkedName split_keep_marker(std::string_view field);

// "$NAME$" gives NAME: the text between a leading "$" and a last "$" that is
// its only other one; anything else gives the empty text.
std::string reference_name(std::string_view text);

}  // namespace qm
