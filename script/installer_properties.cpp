#include "script/installer_properties.h"

#include <iterator>
#include <utility>

#include "script/comma_text.h"
#include "script/truth_text.h"

namespace qm {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Items of a ".par" file. Only CR LF ends an item: the encoding replaces CR LF
// alone, so a lone CR or LF may sit inside a value and must stay there.
std::vector<std::string> split_items(std::string_view text) {
  std::vector<std::string> items;
  while (!text.empty()) {
    const std::size_t end = text.find(kLineEnd);
    if (end == std::string_view::npos) {
      items.emplace_back(text);  // last item without a line end
      break;
    }
    items.emplace_back(text.substr(0, end));
    text.remove_prefix(end + kLineEnd.size());
  }
  return items;
}

}  // namespace

void InstallerPropertyLists::set_installer_property(std::string_view name, std::string_view value) {
  installer_.push_back({text_to_newlines(name), text_to_newlines(value)});
}

void InstallerPropertyLists::record(std::string_view name, std::string_view value) {
  set_installer_property(name, value);
  pass_through_.push_back(installer_.back().name);
  pass_through_.push_back(installer_.back().value);
}

std::vector<InstallerProperty> InstallerPropertyLists::take_installer_properties() {
  return std::exchange(installer_, {});
}

std::string InstallerPropertyLists::pass_through_comma_text() const { return to_comma_text(pass_through_); }

void InstallerPropertyLists::append_pass_through_text(std::string_view text) {
  std::vector<std::string> items = split_items(text);
  // The file is written in pairs, so an odd count means it was cut short or
  // edited. The unpaired last name is dropped: keeping it would pair every
  // property recorded later with the wrong partner, turning names into values.
  if (items.size() % 2 != 0) items.pop_back();
  pass_through_.insert(pass_through_.end(), std::make_move_iterator(items.begin()),
                       std::make_move_iterator(items.end()));
}

std::string InstallerPropertyLists::pass_through_text() const {
  std::string text;
  for (const std::string& item : pass_through_) {
    text += item;
    text += kLineEnd;
  }
  return text;
}

void InstallerPropertyLists::clear() {
  installer_.clear();
  pass_through_.clear();
}

}  // namespace qm
