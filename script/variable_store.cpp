#include "script/variable_store.h"

#include <algorithm>

#include "script/ansi_text.h"
#include "script/comma_text.h"
#include "script/script_error.h"
#include "script/truth_text.h"

namespace qm {

std::string category::of_command(std::string_view command_name) {
  return std::string(command_name) + " Action";
}

namespace {

bool is_irregular_name(std::string_view upper_name) {
  return upper_name.empty() || upper_name.find('$') != std::string_view::npos;
}

std::string reference(std::string_view name) {
  std::string text;
  text.reserve(name.size() + 2);
  text += '$';
  text += name;
  text += '$';
  return text;
}

}  // namespace

std::string reference_name(std::string_view text) {
  if (text.size() < 2 || text.front() != '$' || text.back() != '$') return {};
  const std::string_view inner = text.substr(1, text.size() - 2);
  if (inner.find('$') != std::string_view::npos) return {};
  return std::string(inner);
}

std::string VariableStore::get(std::string_view name) const {
  auto guard = lock();
  const std::size_t i = find(name);
  if (i == IndexedList::npos)
    throw ScriptError("Attempting to get value of undefined variable " + std::string(name));
  return values_[i];
}

bool VariableStore::exists(std::string_view name) const {
  auto guard = lock();
  return find(name) != IndexedList::npos;
}

void VariableStore::set(std::string_view name, std::string_view value, std::string_view write_category) {
  auto guard = lock();
  const std::string upper = ansi_upper(name);
  if (silent_ && write_category != category::kInjectOverride) {
    for (const OverrideValue& given : overrides_)
      if (equal_ignore_case(given.name, upper)) return;  // the command line wins in silent runs
  }
  const std::size_t i = find(upper);
  if (i == IndexedList::npos) throw ScriptError("Attempting to set value of undefined variable " + upper);
  values_[i] = value;
}

void VariableStore::define(std::string_view name, std::string_view value, std::string_view write_category) {
  if (name.empty()) return;
  auto guard = lock();
  if (exists(name)) {
    set(name, value, write_category);
    return;
  }
  append(ansi_upper(name), std::string(value));
}

void VariableStore::append(std::string upper_name, std::string value) {
  if (is_irregular_name(upper_name)) ++irregular_names_;
  names_.push_back(std::move(upper_name));
  values_.push_back(std::move(value));
}

void VariableStore::clear() {
  auto guard = lock();
  names_.clear();
  values_.clear();
  irregular_names_ = 0;
  persisted_.clear();
}

// One pass of substitution: "$NEWLINE$" first, then each variable in
// definition order, each on the result of the one before. Nothing when a
// substitution would make the text longer than `max_length`.
std::optional<std::string> VariableStore::substitute_pass(std::string_view text, bool quoted, std::size_t max_length,
                                                          std::vector<std::size_t>* substituted) const {
  auto lines = replace_ignore_case_within(text, kNewlineMarker, "\r\n", max_length);
  if (!lines) return std::nullopt;
  return substitute_all_variables(std::move(*lines), quoted, max_length, substituted);
}

std::optional<std::string> VariableStore::substitute_all_variables(std::string text, bool quoted,
                                                                   std::size_t max_length,
                                                                   std::vector<std::size_t>* substituted) const {
  auto substitute = [&](std::size_t i) -> bool {
    const std::string value = quoted ? '"' + values_[i] + '"' : values_[i];
    auto replaced = replace_ignore_case_within(text, reference(names_[i]), value, max_length);
    if (!replaced) return false;
    if (substituted != nullptr && *replaced != text) substituted->push_back(i);
    text = std::move(*replaced);
    return true;
  };

  if (irregular_names_ > 0) {
    // A name the store holds twice (a plug-in's store may) is substituted
    // once, with its first value, as get() and the quick search below read it.
    for (std::size_t i = 0; i < names_.size(); ++i)
      if (find(names_[i]) == i && !substitute(i)) return std::nullopt;
    return text;
  }

  // Trying every variable on every text would cost as much as the store is
  // large. Instead, find the names that stand between two dollar signs in the
  // text and substitute the earliest-defined of them that is still due; the
  // result is the same as walking the whole store in order.
  std::size_t first_due = 0;
  for (;;) {
    std::size_t earliest = IndexedList::npos;
    // A long text tends to name the same variable again and again: the
    // last name looked up is remembered.
    std::string_view last_name;
    std::size_t last_index = IndexedList::npos;
    std::size_t open = text.find('$');
    while (open != std::string::npos) {
      const std::size_t close = text.find('$', open + 1);
      if (close == std::string::npos) break;
      if (close > open + 1) {
        const std::string_view name = std::string_view(text).substr(open + 1, close - open - 1);
        if (name != last_name) {
          last_name = name;
          last_index = find(name);
        }
        if (last_index != IndexedList::npos && last_index >= first_due && last_index < earliest) earliest = last_index;
      }
      open = close;
    }
    if (earliest == IndexedList::npos) return text;
    if (!substitute(earliest)) return std::nullopt;
    first_due = earliest + 1;
  }
}

std::string VariableStore::expand(std::string_view text) const {
  if (text.find('$') == std::string_view::npos) return std::string(text);
  auto guard = lock();
  std::string current(text);
  std::vector<std::vector<std::size_t>> substituted_before;
  for (int pass = 0; pass < kMaxExpandPasses; ++pass) {
    std::vector<std::size_t> substituted;
    std::optional<std::string> result = substitute_pass(current, false, kMaxExpandedLength, &substituted);
    if (!result) break;  // past the length bound: the last whole pass stands
    if (result->find('$') == std::string::npos || *result == current) return std::move(*result);
    // Substituted in definition order, so the same variables make the same list.
    if (std::find(substituted_before.begin(), substituted_before.end(), substituted) != substituted_before.end())
      return std::move(*result);  // a circle: further passes would do the same again
    substituted_before.push_back(std::move(substituted));
    current = std::move(*result);
  }
  return current;
}

std::string VariableStore::expand_quoted(std::string_view text) const {
  auto guard = lock();
  std::optional<std::string> result = substitute_pass(text, true, kMaxExpandedLength, nullptr);
  if (!result) return std::string(text);
  if (result->find('$') != std::string::npos && *result != text) return expand(*result);
  return std::move(*result);
}

std::string VariableStore::reference_value(std::string_view text) const {
  std::string name = reference_name(text);
  if (name.empty()) name = text;
  auto guard = lock();
  const std::size_t i = find(name);
  return i == IndexedList::npos ? std::string() : expand(values_[i]);
}

std::string VariableStore::reference_value_or_marker(std::string_view text) const {
  std::string name = reference_name(text);
  if (name.empty()) name = text;
  auto guard = lock();
  const std::size_t i = find(name);
  return i == IndexedList::npos ? std::string(kUndefinedMarker) : expand(values_[i]);
}

bool VariableStore::names_a_variable(std::string_view text, bool loose) const {
  const std::string name = reference_name(text);
  if (!name.empty()) return exists(name);
  return loose || exists(text);
}

std::string VariableStore::serialize() const {
  auto guard = lock();
  std::vector<std::string> items;
  items.reserve(names_.size() * 2);
  for (std::size_t i = 0; i < names_.size(); ++i) {
    items.push_back(names_[i]);
    items.push_back(values_[i]);
  }
  return to_comma_text(items);
}

void VariableStore::replace_all(std::string_view comma_text) {
  std::vector<std::string> items = from_comma_text(comma_text);
  auto guard = lock();
  names_.clear();
  values_.clear();
  irregular_names_ = 0;
  for (std::size_t i = 0; i + 1 < items.size(); i += 2) append(ansi_upper(items[i]), std::move(items[i + 1]));
}

void VariableStore::set_overrides(std::vector<OverrideValue> overrides) {
  auto guard = lock();
  for (OverrideValue& given : overrides) given.name = ansi_upper(given.name);
  overrides_ = std::move(overrides);
}

void VariableStore::set_silent_run(bool silent) {
  auto guard = lock();
  silent_ = silent;
}

bool VariableStore::silent_run() const {
  auto guard = lock();
  return silent_;
}

void VariableStore::keep(std::string_view name) {
  auto guard = lock();
  for (const std::string& kept : persisted_)
    if (equal_ignore_case(kept, name)) return;
  persisted_.emplace_back(name);
}

std::vector<std::string> VariableStore::persisted() const {
  auto guard = lock();
  return persisted_;
}

std::vector<std::pair<std::string, std::string>> VariableStore::snapshot() const {
  auto guard = lock();
  std::vector<std::pair<std::string, std::string>> pairs;
  pairs.reserve(names_.size());
  for (std::size_t i = 0; i < names_.size(); ++i) pairs.emplace_back(names_[i], values_[i]);
  return pairs;
}

std::size_t VariableStore::size() const {
  auto guard = lock();
  return names_.size();
}

KeepMarkedName split_keep_marker(std::string_view field) {
  const std::size_t marker = field.find(kKeepMarker);
  if (marker == std::string_view::npos) return {field, false};
  return {field.substr(0, marker), field.substr(marker + kKeepMarker.size()) == "TRUE"};
}

}  // namespace qm
