#include "engine/component_model.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <limits>

#include "script/ansi_text.h"
#include "script/byte_count.h"
#include "script/message_catalogue.h"
#include "script/truth_text.h"
#include "script/variable_store.h"

namespace qm {

namespace {

// The unit texts' slots in the engine's message catalogue.
constexpr int kBytesUnitSlot = 6;
constexpr int kKilobytesUnitSlot = 7;
constexpr int kMegabytesUnitSlot = 8;

bool holds(const std::vector<std::string>& set, std::string_view name) {
  return std::any_of(set.begin(), set.end(),
                     [name](const std::string& entry) { return same_component_name(entry, name); });
}

// Taking a name out of a set folds ASCII letters only, unlike the lookups:
// a name whose other letters differ in case stays in the set.
void erase_first(std::vector<std::string>& set, std::string_view name) {
  const auto found = std::find_if(set.begin(), set.end(),
                                  [name](const std::string& entry) { return ascii_equal_ignore_case(entry, name); });
  if (found != set.end()) set.erase(found);
}

// The name or any ancestor in the set.
bool holds_in_tree(const std::vector<std::string>& set, std::string_view name) {
  for (;;) {
    if (holds(set, name)) return true;
    if (name.find('\\') == std::string_view::npos) return false;
    name = parent_component(name);
  }
}

void store_at(std::vector<std::string>& list, std::size_t index, std::string_view text) {
  if (list.size() <= index) list.resize(index + 1);
  list[index] = text;
}

}  // namespace

bool same_component_name(std::string_view a, std::string_view b) {
  if (a.size() > INT_MAX || b.size() > INT_MAX) return a == b;
  // An empty view may carry no pointer at all; the call wants one.
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.empty() ? "" : a.data(), static_cast<int>(a.size()),
                        b.empty() ? "" : b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::string_view parent_component(std::string_view name) {
  const std::size_t cut = name.rfind('\\');
  return cut == std::string_view::npos ? std::string_view() : name.substr(0, cut);
}

std::string size_text(std::int64_t bytes, const MessageCatalogue& messages) {
  return format_byte_count(bytes, {messages.text(kBytesUnitSlot), messages.text(kKilobytesUnitSlot),
                                   messages.text(kMegabytesUnitSlot)});
}

std::string free_space_drive(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  if (!path.starts_with("\\\\")) return {};
  const std::size_t share = path.find('\\', 2);
  if (share == std::string_view::npos) return std::string(path);
  return std::string(path.substr(0, path.find('\\', share + 1)));
}

void ComponentModel::clear() {
  names.clear();
  states.clear();
  descriptions.clear();
  deleted.clear();
  hidden.clear();
  choice_locked.clear();
}

void ComponentModel::start_run(const std::vector<std::string>& package_sizes) {
  clear();
  sizes = package_sizes;
  baseline = 0;
}

void ComponentModel::define(std::string_view name, bool selected_by_default, std::string_view description) {
  std::optional<std::size_t> index = index_of(name);
  const bool redefined = index.has_value();
  if (redefined) {
    erase_first(deleted, name);
  } else {
    names.emplace_back(name);
    index = names.size() - 1;
  }
  store_at(descriptions, *index, description);
  if (!size_entry_of(name)) sizes.insert(sizes.end(), {std::string(name), "0"});
  if (!redefined || state_at(*index).empty()) store_state(*index, selected_by_default);
}

void ComponentModel::mark_deleted(std::string_view name) {
  const auto index = index_of(name);
  if (index && !is_deleted(name)) deleted.push_back(names[*index]);
}

void ComponentModel::set_state(std::string_view name, bool selected) {
  if (const auto index = index_of(name)) store_state(*index, selected);
}

void ComponentModel::set_size(std::string_view name, std::int64_t bytes) {
  if (!exists(name)) return;
  for (std::size_t entry = 0; entry + 1 < sizes.size(); entry += 2) {
    if (equal_ignore_case(sizes[entry], name)) {
      sizes[entry + 1] = std::to_string(bytes);
      return;
    }
  }
  sizes.insert(sizes.end(), {std::string(name), std::to_string(bytes)});
}

void ComponentModel::lock(std::string_view name) {
  const auto index = index_of(name);
  if (index && !is_locked(name)) choice_locked.push_back(names[*index]);
}

void ComponentModel::unlock(std::string_view name) { erase_first(choice_locked, name); }

void ComponentModel::hide(std::string_view name) {
  const auto index = index_of(name);
  if (index && !is_hidden(name)) hidden.push_back(names[*index]);
}

void ComponentModel::unhide(std::string_view name) { erase_first(hidden, name); }

void ComponentModel::add_selection_to_baseline() {
  ByteSum sum = selection_sum();
  sum.add(baseline);
  baseline = sum.value();
}

std::optional<std::size_t> ComponentModel::index_of(std::string_view name) const {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (same_component_name(names[i], name)) return i;
  return std::nullopt;
}

std::string_view ComponentModel::state_at(std::size_t index) const {
  return index < states.size() ? std::string_view(states[index]) : std::string_view();
}

bool ComponentModel::is_deleted(std::string_view name) const { return holds(deleted, name); }
bool ComponentModel::is_hidden(std::string_view name) const { return holds(hidden, name); }
bool ComponentModel::is_locked(std::string_view name) const { return holds(choice_locked, name); }
bool ComponentModel::hidden_in_tree(std::string_view name) const { return holds_in_tree(hidden, name); }
bool ComponentModel::locked_in_tree(std::string_view name) const { return holds_in_tree(choice_locked, name); }

bool ComponentModel::is_selected(std::string_view name) const {
  const auto index = index_of(name);
  return index && !is_deleted(name) && is_true(state_at(*index));
}

std::string ComponentModel::description(std::string_view name) const {
  const auto index = index_of(name);
  return index && *index < descriptions.size() ? descriptions[*index] : std::string();
}

std::int64_t ComponentModel::size(std::string_view name) const {
  const auto entry = size_entry_of(name);
  if (!entry || *entry + 1 >= sizes.size()) return 0;
  return parse_byte_count(sizes[*entry + 1]).value_or(0);
}

std::int64_t ComponentModel::required_space() const {
  ByteSum sum = selection_sum();
  sum.subtract(baseline);
  return sum.value();
}

std::int64_t ComponentModel::free_space(const VariableStore& variables) const {
  const std::string target = variables.reference_value("TARGETDIR");
  if (target.empty()) return -1;
  std::string drive = free_space_drive(target);
  // A network share is asked for by its root, which ends in a backslash.
  if (drive.starts_with("\\\\")) drive += '\\';
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExA(drive.c_str(), &available, nullptr, nullptr)) return -1;
  return static_cast<std::int64_t>(
      std::min<ULONGLONG>(available.QuadPart, static_cast<ULONGLONG>(std::numeric_limits<std::int64_t>::max())));
}

std::int64_t ComponentModel::remaining_space(const VariableStore& variables) const {
  ByteSum sum;
  sum.add(free_space(variables));
  sum.subtract(required_space());
  return sum.value();
}

void ComponentModel::apply_feature_list(std::vector<FeatureListItem>& items) {
  for (FeatureListItem& item : items) {
    const std::string prefix = ansi_upper(item.text);
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (!ansi_upper(names[i]).starts_with(prefix)) continue;
      if (!locked_in_tree(names[i])) store_state(i, item.checked);
      item.checked = state_at(i) == kTrueText;
    }
  }
}

ByteSum ComponentModel::selection_sum() const {
  ByteSum sum;
  for (std::size_t i = 0; i < names.size(); ++i)
    if (is_true(state_at(i)) && !is_deleted(names[i])) sum.add(size(names[i]));
  return sum;
}

std::optional<std::size_t> ComponentModel::size_entry_of(std::string_view name) const {
  // Only the name of each pair is compared: a size that happens to read like
  // a component's name must not be taken for one.
  for (std::size_t entry = 0; entry < sizes.size(); entry += 2)
    if (same_component_name(sizes[entry], name)) return entry;
  return std::nullopt;
}

void ComponentModel::store_state(std::size_t index, bool selected) {
  store_at(states, index, to_truth_text(selected));
}

}  // namespace qm
