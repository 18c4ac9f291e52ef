#pragma once
// Memory handed to foreign code: `size` writable bytes, zero-filled, that end
// exactly where an inaccessible page begins. A write past the end faults (and
// the fault guard of platform/fault_guard.h catches it) instead of corrupting
// the heap.

#include <cstddef>
#include <string>

namespace qm::platform {

class GuardedBuffer {
 public:
  explicit GuardedBuffer(std::size_t size);
  GuardedBuffer(GuardedBuffer&& other) noexcept;
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(GuardedBuffer&&) = delete;
  ~GuardedBuffer();

  // Null when the memory could not be had.
  char* data() const { return data_; }

  // A zero-terminated writable copy of `text`; data() is null when no memory
  // could be had.
  static GuardedBuffer copy_of(const std::string& text);

 private:
  char* base_ = nullptr;
  char* data_ = nullptr;
};

}  // namespace qm::platform
