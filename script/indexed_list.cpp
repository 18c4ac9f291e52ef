#include "script/indexed_list.h"

#include <cstring>

#include "script/ansi_text.h"

namespace qm {

namespace {

constexpr std::uint32_t kOffsetBasis = 2166136261u;
constexpr std::uint32_t kPrime = 16777619u;
constexpr std::uint32_t kHighBits = 0x80808080u;

// ASCII lower-case letters of four bytes become upper case without a branch.
// A byte is in 'a'..'z' when adding 0x80 - 'a' sets its top bit and adding
// 0x80 - 'z' - 1 does not; bytes below 0x80 carry nothing into their
// neighbours. Other bytes stay as they are.
std::uint32_t ascii_upper_word(std::uint32_t word) {
  const std::uint32_t above_a = (word & ~kHighBits) + 0x1F1F1F1Fu;
  const std::uint32_t above_z = (word & ~kHighBits) + 0x05050505u;
  const std::uint32_t lower = above_a & ~above_z & ~word & kHighBits;
  return word - (lower >> 2);  // 0x80 >> 2 = 0x20, the case difference
}

// Hashes four bytes at a time with ASCII letters folded to upper case. Gives
// false instead when `stop_at_high_bytes` and the text has a byte from 0x80
// up: such a text is upper-cased by the code page first.
bool hash_folded(std::string_view text, bool stop_at_high_bytes, std::uint32_t& result) {
  std::uint32_t hash = kOffsetBasis;
  std::size_t i = 0;
  for (; i + 4 <= text.size(); i += 4) {
    std::uint32_t word;
    std::memcpy(&word, text.data() + i, 4);
    if (stop_at_high_bytes && (word & kHighBits)) return false;
    hash = (hash ^ ascii_upper_word(word)) * kPrime;
  }
  for (; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (stop_at_high_bytes && c >= 0x80) return false;
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
    hash = (hash ^ c) * kPrime;
  }
  // The words were only multiplied in; shifting mixes their high bits back
  // down into the bits the table slots use.
  hash ^= hash >> 15;
  hash *= kPrime;
  result = hash ^ (hash >> 16);
  return true;
}

}  // namespace

std::uint32_t hash_ignore_case(std::string_view text) {
  std::uint32_t hash = 0;
  // Most names are plain ASCII. Other texts go through the code page's upper
  // case and are then hashed the same way, so two texts the code page calls
  // equal always hash alike.
  if (!hash_folded(text, true, hash)) hash_folded(ansi_upper(text), false, hash);
  return hash;
}

template <typename Entry>
BasicIndexedList<Entry>::BasicIndexedList(std::vector<Entry> entries) : entries_(std::move(entries)) {
  hashes_.reserve(entries_.size());
  for (const Entry& entry : entries_) hashes_.push_back(hash_ignore_case(entry));
  rebuild_slots(entries_.size());
}

template <typename Entry>
void BasicIndexedList<Entry>::push_back(Entry entry) {
  hashes_.push_back(hash_ignore_case(entry));
  entries_.push_back(std::move(entry));
  if ((entries_.size()) * 2 > slots_.size())
    rebuild_slots(entries_.size());
  else
    insert_slot(entries_.size() - 1);
}

template <typename Entry>
void BasicIndexedList<Entry>::clear() {
  entries_.clear();
  hashes_.clear();
  slots_.clear();
}

template <typename Entry>
void BasicIndexedList<Entry>::rebuild_slots(std::size_t count) {
  std::size_t capacity = 16;
  while (capacity < count * 2) capacity *= 2;
  slots_.assign(capacity, 0);
  for (std::size_t i = 0; i < entries_.size(); ++i) insert_slot(i);
}

template <typename Entry>
void BasicIndexedList<Entry>::insert_slot(std::size_t index) {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = hashes_[index] & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t occupant = slots_[slot];
    if (occupant == 0) {
      slots_[slot] = static_cast<std::uint32_t>(index + 1);
      return;
    }
    // Only the first of equal entries is indexed: find() answers with it.
    if (hashes_[occupant - 1] == hashes_[index] &&
        equal_ignore_case(entries_[occupant - 1], entries_[index]))
      return;
  }
}

template <typename Entry>
std::size_t BasicIndexedList<Entry>::find(std::string_view key) const {
  if (slots_.empty()) return npos;
  return find(key, hash_ignore_case(key));
}

template <typename Entry>
std::size_t BasicIndexedList<Entry>::find(std::string_view key, std::uint32_t hash) const {
  if (slots_.empty()) return npos;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t occupant = slots_[slot];
    if (occupant == 0) return npos;
    if (hashes_[occupant - 1] == hash && equal_ignore_case(entries_[occupant - 1], key)) return occupant - 1;
  }
}

template class BasicIndexedList<std::string>;
template class BasicIndexedList<std::string_view>;

}  // namespace qm
