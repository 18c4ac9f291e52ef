#pragma once
// A parameter list of the setup package: records of a line identifier
// followed by that line's fields. A record is found by the first entry equal
// to the identifier (without regard to case), wherever it stands.
//
// The package's own list has about ten entries per script line. Indexing
// every entry would cost more than reading the package; only entries that
// equal a line identifier can start a record that is asked for, so those are
// the ones indexed (found quickly by their length), and a lookup of any other
// text walks the list.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "script/indexed_list.h"

namespace qm {

class ParameterList {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  ParameterList() = default;
  // Entries that live in a buffer outliving the list (the package text),
  // indexed for the identifiers of `line_ids`.
  ParameterList(std::vector<std::string_view> entries, const IndexedViews& line_ids);
  // Entries of its own, every one indexed.
  explicit ParameterList(const std::vector<std::string>& entries);

  ParameterList(ParameterList&&) = default;
  ParameterList& operator=(ParameterList&&) = default;
  ParameterList(const ParameterList&) = delete;
  ParameterList& operator=(const ParameterList&) = delete;

  std::size_t size() const { return entries_.size(); }
  std::string_view operator[](std::size_t i) const { return entries_[i]; }
  const std::vector<std::string_view>& entries() const { return entries_; }

  // The position of the first entry equal to `key` without regard to case,
  // or npos. `line_ids` must be the list the index was built for.
  std::size_t find(std::string_view key, const IndexedViews& line_ids) const;

 private:
  std::vector<std::string_view> entries_;
  std::deque<std::string> owned_;  // the texts of a list built from its own entries
  // A list of its own indexes every entry; the package's list keeps, for
  // each line identifier (by its position in the line identifier list), the
  // position of the first entry equal to it.
  bool indexes_all_ = false;
  IndexedViews all_entries_;
  std::vector<std::uint32_t> record_of_line_;
  static constexpr std::uint32_t kNoRecord = 0xFFFFFFFFu;
};

}  // namespace qm
