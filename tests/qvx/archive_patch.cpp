#include "tests/qvx/archive_patch.h"

#include <gtest/gtest.h>

namespace qvx_test {

namespace {

// The start header: signature (6), version (2), CRC of the next 20 bytes (4),
// then the offset (8, from byte 32), size (8) and CRC (4) of the header.
constexpr std::size_t kStartHeader = 32;

std::uint64_t read_le(const std::string& bytes, std::size_t at, int count) {
  std::uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

void write_le(std::string& bytes, std::size_t at, std::uint64_t value, int count) {
  for (int i = 0; i < count; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

}  // namespace

std::uint32_t crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

std::string sevenzip_number(std::uint64_t value) {
  for (int extra = 0; extra < 8; ++extra) {
    // The first byte: `extra` leading one bits, then the value's high bits.
    if (value >> (8 * extra) < (std::uint64_t{1} << (7 - extra))) {
      std::string out(1, static_cast<char>(((0xFF00u >> extra) & 0xFF) | (value >> (8 * extra))));
      for (int i = 0; i < extra; ++i) out += static_cast<char>(value >> (8 * i));
      return out;
    }
  }
  std::string out(1, '\xFF');
  for (int i = 0; i < 8; ++i) out += static_cast<char>(value >> (8 * i));
  return out;
}

std::string utf16z(const std::string& ascii) {
  std::string out;
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out + std::string(2, '\0');
}

std::string patch_header(const std::string& archive, const std::string& from, const std::string& to) {
  const std::size_t offset = kStartHeader + read_le(archive, 12, 8);
  const std::size_t size = read_le(archive, 20, 8);
  EXPECT_LE(offset + size, archive.size()) << "a whole archive";
  std::string header = archive.substr(offset, size);
  EXPECT_EQ(header.substr(0, 1), "\x01") << "a plain header (7zz -mhc=off)";
  const std::size_t at = header.find(from);
  EXPECT_NE(at, std::string::npos) << "the bytes to patch";
  if (at == std::string::npos) return archive;
  EXPECT_EQ(header.find(from, at + 1), std::string::npos) << "the bytes to patch occur once";
  header.replace(at, from.size(), to);

  std::string result = archive.substr(0, offset) + header;
  write_le(result, 20, header.size(), 8);
  write_le(result, 28, crc32(header), 4);
  write_le(result, 8, crc32(result.substr(12, 20)), 4);
  return result;
}

}  // namespace qvx_test
