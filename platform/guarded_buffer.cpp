#include "platform/guarded_buffer.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <utility>

namespace qm::platform {

GuardedBuffer::GuardedBuffer(std::size_t size) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const std::size_t page = system.dwPageSize;
  if (size == 0 || size > SIZE_MAX - 2 * page) return;
  const std::size_t usable = (size + page - 1) / page * page;
  base_ = static_cast<char*>(VirtualAlloc(nullptr, usable + page, MEM_RESERVE, PAGE_NOACCESS));
  if (base_ == nullptr) return;
  if (VirtualAlloc(base_, usable, MEM_COMMIT, PAGE_READWRITE) == nullptr) {
    VirtualFree(base_, 0, MEM_RELEASE);
    base_ = nullptr;
    return;
  }
  data_ = base_ + usable - size;
}

GuardedBuffer::GuardedBuffer(GuardedBuffer&& other) noexcept
    : base_(std::exchange(other.base_, nullptr)), data_(std::exchange(other.data_, nullptr)) {}

GuardedBuffer::~GuardedBuffer() {
  if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
}

GuardedBuffer GuardedBuffer::copy_of(const std::string& text) {
  GuardedBuffer buffer(text.size() + 1);
  if (buffer.data() != nullptr) std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
  return buffer;
}

}  // namespace qm::platform
