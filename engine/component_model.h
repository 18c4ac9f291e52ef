#pragma once
// The components (features) a setup offers: which exist, how they nest,
// which are selected, how many bytes each needs, and which are deleted,
// hidden from the user or locked against the user's choice.
//
// A component name is a path: "\" separates segments and A\B is a child of A,
// whether or not A itself is defined. Names are compared as the user's locale
// compares them, without regard to case. The lists are public because the
// installed instance saves them as they stand and loads them back; a list
// loaded from a file may be shorter than the names (a missing state or
// description reads as empty).
//
// One model per run, used on the main thread only (commands and the wizard).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/byte_count.h"

namespace qm {

class MessageCatalogue;
class VariableStore;

// Stands for the engine's own files; every run defines it, the user never sees it.
inline constexpr std::string_view kPredefinedComponent = "VRAK-PREDEF-COMPONENT";

// An item of the wizard's feature list: a top-level component name and its check mark.
struct FeatureListItem {
  std::string text;
  bool checked = false;
};

class ComponentModel {
 public:
  std::vector<std::string> names;         // in order of definition
  std::vector<std::string> states;        // index-aligned with names: "TRUE" or "FALSE"
  std::vector<std::string> descriptions;  // index-aligned with names; never saved
  std::vector<std::string> sizes;         // pairs: component name, size in bytes as decimal text
  std::vector<std::string> deleted;
  std::vector<std::string> hidden;
  std::vector<std::string> choice_locked;
  // Bytes the installed selection already takes (maintenance and patch runs):
  // required space counts only what a run adds.
  std::int64_t baseline = 0;

  // Names, states, descriptions and the three sets; the size list and the
  // baseline stay.
  void clear();
  // A run's first state: nothing defined, the package's component sizes, no baseline.
  void start_run(const std::vector<std::string>& package_sizes);

  // Defines a new component, or redefines one: a redefinition undeletes it
  // and takes the description, but keeps a state already set (the user's
  // earlier choice in a maintenance run).
  void define(std::string_view name, bool selected_by_default, std::string_view description);
  // The changes of the script commands; a name that is not defined changes
  // nothing (unlock and unhide need no definition).
  void mark_deleted(std::string_view name);
  void set_state(std::string_view name, bool selected);
  void set_size(std::string_view name, std::int64_t bytes);
  void lock(std::string_view name);
  void unlock(std::string_view name);
  void hide(std::string_view name);
  void unhide(std::string_view name);

  // Adds what the selection as loaded takes (selected, not deleted) to the baseline.
  void add_selection_to_baseline();

  std::optional<std::size_t> index_of(std::string_view name) const;
  bool exists(std::string_view name) const { return index_of(name).has_value(); }
  // The state of the component at a position ("" when none is stored).
  std::string_view state_at(std::size_t index) const;
  bool is_deleted(std::string_view name) const;
  bool is_hidden(std::string_view name) const;
  bool is_locked(std::string_view name) const;
  // The name or one of its ancestors is hidden / locked.
  bool hidden_in_tree(std::string_view name) const;
  bool locked_in_tree(std::string_view name) const;
  // Defined, not deleted, and its state is a true text.
  bool is_selected(std::string_view name) const;
  std::string description(std::string_view name) const;

  // The size after the first pair of the size list that names the component
  // (0 when none does, or when its size is not a size text).
  std::int64_t size(std::string_view name) const;
  // Sizes of the components whose state is true and that are not deleted
  // (hidden and locked ones count), minus the baseline; may be negative.
  std::int64_t required_space() const;
  // Bytes available to this user on the drive of TARGETDIR; -1 when
  // TARGETDIR is missing or empty, or the drive cannot be asked.
  std::int64_t free_space(const VariableStore& variables) const;
  std::int64_t remaining_space(const VariableStore& variables) const;

  // The wizard's feature list applied to the model: each item's mark goes to
  // every component whose name begins with the item's text (case ignored),
  // in model order, except those locked in tree; after each such component
  // the mark is taken back from its state. So a locked component undoes the
  // user's click (for the components after it too), and the last match
  // decides the mark the list shows.
  void apply_feature_list(std::vector<FeatureListItem>& items);

 private:
  // The sizes of the selection as it stands (state true, not deleted).
  ByteSum selection_sum() const;
  std::optional<std::size_t> size_entry_of(std::string_view name) const;
  void store_state(std::size_t index, bool selected);
};

// Component names compared as the model compares them: the user's locale,
// case ignored.
bool same_component_name(std::string_view a, std::string_view b);

// The parent of a component name: the name without its last segment; empty
// for a top-level name.
std::string_view parent_component(std::string_view name);

// A byte count as the user reads it ("1,536 KB"), with the unit texts of the
// engine's message catalogue.
std::string size_text(std::int64_t bytes, const MessageCatalogue& messages);

// The drive of a path, as free space asks for it: "C:" for a path whose
// second character is ":", "\\server\share" for a network path, otherwise
// empty.
std::string free_space_drive(std::string_view path);

}  // namespace qm
