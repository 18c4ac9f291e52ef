#include "script/parameter_list.h"

#include <algorithm>

#include "script/ansi_text.h"

namespace qm {

namespace {

// A quick test that an entry cannot equal any line identifier, by its length
// and its first byte. Equal texts have equal lengths (the code page's upper
// case keeps them) and, when both begin with an ASCII byte, the same first
// letter whatever its case.
class IdentifierShapes {
 public:
  explicit IdentifierShapes(const IndexedViews& line_ids) {
    for (std::string_view id : line_ids.entries()) {
      if (id.size() >= lengths_.size()) lengths_.resize(id.size() + 1);
      lengths_[id.size()] = true;
      if (id.empty()) continue;
      const auto first = static_cast<unsigned char>(id.front());
      if (first >= 0x80) any_first_byte_ = true;  // the code page may fold it onto ASCII
      first_bytes_[folded(first)] = true;
    }
  }

  bool may_be_identifier(std::string_view entry) const {
    if (entry.size() >= lengths_.size() || !lengths_[entry.size()]) return false;
    if (entry.empty() || any_first_byte_) return true;
    const auto first = static_cast<unsigned char>(entry.front());
    return first >= 0x80 || first_bytes_[folded(first)];
  }

 private:
  static unsigned char folded(unsigned char c) { return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c; }

  std::vector<bool> lengths_;
  bool first_bytes_[256] = {};
  bool any_first_byte_ = false;
};

}  // namespace

ParameterList::ParameterList(std::vector<std::string_view> entries, const IndexedViews& line_ids)
    : entries_(std::move(entries)), record_of_line_(line_ids.size(), kNoRecord) {
  const IdentifierShapes shapes(line_ids);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const std::string_view entry = entries_[i];
    if (!shapes.may_be_identifier(entry)) continue;
    const std::size_t line = line_ids.find(entry);
    // Only the first entry equal to an identifier counts.
    if (line != IndexedViews::npos && record_of_line_[line] == kNoRecord)
      record_of_line_[line] = static_cast<std::uint32_t>(i);
  }
}

ParameterList::ParameterList(const std::vector<std::string>& entries) : indexes_all_(true) {
  for (const std::string& entry : entries) entries_.push_back(owned_.emplace_back(entry));
  all_entries_ = IndexedViews(entries_);
}

std::size_t ParameterList::find(std::string_view key, const IndexedViews& line_ids) const {
  if (indexes_all_) return all_entries_.find(key);
  if (const std::size_t line = line_ids.find(key); line != IndexedViews::npos && line < record_of_line_.size())
    return record_of_line_[line] == kNoRecord ? npos : record_of_line_[line];
  // A text that is no line identifier: rare, so the list is walked.
  const auto found = std::find_if(entries_.begin(), entries_.end(),
                                  [&](std::string_view entry) { return equal_ignore_case(entry, key); });
  return found == entries_.end() ? npos : static_cast<std::size_t>(found - entries_.begin());
}

}  // namespace qm
