#pragma once
// An ordered list of strings with a hashed, case-insensitive lookup of whole
// entries: find() answers "the first position holding this text" in O(1),
// which is what the script's line identifiers, parameter records and variable
// names are looked up with.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class IndexedList {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  IndexedList() = default;
  explicit IndexedList(std::vector<std::string> entries);

  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const std::string& operator[](std::size_t i) const { return entries_[i]; }
  const std::vector<std::string>& entries() const { return entries_; }

  void push_back(std::string entry);
  void clear();

  // First position whose entry equals key without regard to case, or npos.
  std::size_t find(std::string_view key) const;
  bool contains(std::string_view key) const { return find(key) != npos; }

 private:
  void rebuild_slots(std::size_t capacity);
  void insert_slot(std::size_t index);

  std::vector<std::string> entries_;
  std::vector<std::uint32_t> hashes_;  // parallel to entries_
  std::vector<std::uint32_t> slots_;   // open addressing; 0 = free, else index + 1
};

// Case-insensitive hash matching equal_ignore_case().
std::uint32_t hash_ignore_case(std::string_view text);

}  // namespace qm
