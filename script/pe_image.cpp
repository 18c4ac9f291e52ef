#include "script/pe_image.h"

#include <cstring>

namespace qm {

namespace {

constexpr std::size_t kNewHeaderOffsetField = 0x3C;  // e_lfanew of the DOS header
constexpr std::size_t kSignatureSize = 4;            // "PE\0\0"
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kSectionCountField = 2;        // within the file header
constexpr std::size_t kOptionalHeaderSizeField = 16; // within the file header
constexpr std::size_t kSectionEntrySize = 40;
constexpr std::size_t kRawSizeField = 16;            // within a section entry
constexpr std::size_t kRawPointerField = 20;

template <typename T>
T read_le(const unsigned char* at) {
  T value;
  std::memcpy(&value, at, sizeof value);  // x86 is little-endian, as PE is
  return value;
}

}  // namespace

std::optional<std::uint32_t> pe_image_end(const unsigned char* headers, std::size_t available) {
  if (headers == nullptr || available < kNewHeaderOffsetField + 4) return std::nullopt;
  if (headers[0] != 'M' || headers[1] != 'Z') return std::nullopt;
  // Offsets are checked in 64 bits: in a 32-bit process an offset near 4 GB
  // would wrap round past the buffer's start.
  const std::uint64_t signature = read_le<std::uint32_t>(headers + kNewHeaderOffsetField);
  const std::uint64_t file_header = signature + kSignatureSize;
  if (file_header > available || available - file_header < kFileHeaderSize) return std::nullopt;
  if (std::memcmp(headers + signature, "PE\0\0", 4) != 0) return std::nullopt;

  const std::size_t sections = read_le<std::uint16_t>(headers + file_header + kSectionCountField);
  const std::size_t optional_size = read_le<std::uint16_t>(headers + file_header + kOptionalHeaderSizeField);
  const std::uint64_t table = file_header + kFileHeaderSize + optional_size;
  if (table > available || (available - table) / kSectionEntrySize < sections) return std::nullopt;

  std::uint64_t end = 0;
  for (std::size_t i = 0; i < sections; ++i) {
    const unsigned char* entry = headers + table + i * kSectionEntrySize;
    const std::uint64_t section_end = std::uint64_t{read_le<std::uint32_t>(entry + kRawPointerField)} +
                                      read_le<std::uint32_t>(entry + kRawSizeField);
    if (section_end > end) end = section_end;
  }
  if (end > UINT32_MAX) return std::nullopt;
  return static_cast<std::uint32_t>(end);
}

}  // namespace qm
