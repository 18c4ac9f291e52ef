#pragma once
// An ordered list of texts with a hashed, case-insensitive lookup of whole
// entries: find() answers "the first position holding this text" in O(1),
// which is what the script's line identifiers, parameter records and variable
// names are looked up with.
//
// IndexedList owns its texts. IndexedViews holds views into a buffer that
// outlives it (the package text), so that a large list costs no allocation
// per entry.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

template <typename Entry>
class BasicIndexedList {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  BasicIndexedList() = default;
  explicit BasicIndexedList(std::vector<Entry> entries);

  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const Entry& operator[](std::size_t i) const { return entries_[i]; }
  const std::vector<Entry>& entries() const { return entries_; }

  void push_back(Entry entry);
  void clear();

  // First position whose entry equals key without regard to case, or npos.
  std::size_t find(std::string_view key) const;
  // The same, for a key whose hash_ignore_case() is known already.
  std::size_t find(std::string_view key, std::uint32_t hash) const;
  bool contains(std::string_view key) const { return find(key) != npos; }

 private:
  void rebuild_slots(std::size_t capacity);
  void insert_slot(std::size_t index);

  std::vector<Entry> entries_;
  std::vector<std::uint32_t> hashes_;  // parallel to entries_
  std::vector<std::uint32_t> slots_;   // open addressing; 0 = free, else index + 1
};

using IndexedList = BasicIndexedList<std::string>;
using IndexedViews = BasicIndexedList<std::string_view>;

extern template class BasicIndexedList<std::string>;
extern template class BasicIndexedList<std::string_view>;

// Case-insensitive hash matching equal_ignore_case().
std::uint32_t hash_ignore_case(std::string_view text);

}  // namespace qm
