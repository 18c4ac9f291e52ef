#pragma once
// Where a PE image ends in its file: the largest PointerToRawData +
// SizeOfRawData over the section table. Whatever follows in the file was
// appended after the build (the setup package behind the engine, the message
// catalogue behind the archive library).

#include <cstddef>
#include <cstdint>
#include <optional>

namespace qm {

// `headers` points at the start of an image's headers (a loaded module's base
// address, or the first bytes of its file); at most `available` bytes are
// read. Gives nothing when the bytes are not a PE image.
std::optional<std::uint32_t> pe_image_end(const unsigned char* headers, std::size_t available);

}  // namespace qm
