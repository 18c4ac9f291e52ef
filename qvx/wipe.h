#pragma once
// Clearing secrets (passwords, keys, AES state) before their memory is given
// back. The writes go through a volatile pointer so that the compiler cannot
// drop them as dead stores.

#include <cstddef>

namespace qvx {

inline void wipe(void* data, std::size_t size) {
  volatile unsigned char* bytes = static_cast<volatile unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = 0;
}

}  // namespace qvx
