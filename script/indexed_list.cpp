#include "script/indexed_list.h"

#include "script/ansi_text.h"

namespace qm {

namespace {

std::uint32_t fnv1a(std::string_view upper_text) {
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : upper_text) {
    hash ^= c;
    hash *= 16777619u;
  }
  return hash;
}

}  // namespace

std::uint32_t hash_ignore_case(std::string_view text) {
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : text) {
    if (c >= 0x80) return fnv1a(ansi_upper(text));  // the code page decides
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
    hash ^= c;
    hash *= 16777619u;
  }
  return hash;
}

IndexedList::IndexedList(std::vector<std::string> entries) : entries_(std::move(entries)) {
  hashes_.reserve(entries_.size());
  for (const std::string& entry : entries_) hashes_.push_back(hash_ignore_case(entry));
  rebuild_slots(entries_.size());
}

void IndexedList::push_back(std::string entry) {
  hashes_.push_back(hash_ignore_case(entry));
  entries_.push_back(std::move(entry));
  if ((entries_.size()) * 2 > slots_.size())
    rebuild_slots(entries_.size());
  else
    insert_slot(entries_.size() - 1);
}

void IndexedList::clear() {
  entries_.clear();
  hashes_.clear();
  slots_.clear();
}

void IndexedList::rebuild_slots(std::size_t count) {
  std::size_t capacity = 16;
  while (capacity < count * 2) capacity *= 2;
  slots_.assign(capacity, 0);
  for (std::size_t i = 0; i < entries_.size(); ++i) insert_slot(i);
}

void IndexedList::insert_slot(std::size_t index) {
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

std::size_t IndexedList::find(std::string_view key) const {
  if (slots_.empty()) return npos;
  const std::uint32_t hash = hash_ignore_case(key);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t occupant = slots_[slot];
    if (occupant == 0) return npos;
    if (hashes_[occupant - 1] == hash && equal_ignore_case(entries_[occupant - 1], key))
      return occupant - 1;
  }
}

}  // namespace qm
