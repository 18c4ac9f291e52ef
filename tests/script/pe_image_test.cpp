#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "script/pe_image.h"

namespace qm {
namespace {

struct Section {
  std::uint32_t raw_pointer;
  std::uint32_t raw_size;
};

// The headers of a 32-bit image: DOS header, signature at `signature_at`,
// file header, a 224-byte optional header and the section table.
std::vector<unsigned char> image_headers(const std::vector<Section>& sections, std::uint32_t signature_at = 0x80) {
  std::vector<unsigned char> bytes(0x400, 0);
  bytes[0] = 'M';
  bytes[1] = 'Z';
  std::memcpy(&bytes[0x3C], &signature_at, 4);
  std::memcpy(&bytes[signature_at], "PE\0\0", 4);
  const std::size_t file_header = signature_at + 4;
  const auto count = static_cast<std::uint16_t>(sections.size());
  const std::uint16_t optional_size = 224;
  std::memcpy(&bytes[file_header + 2], &count, 2);
  std::memcpy(&bytes[file_header + 16], &optional_size, 2);
  std::size_t entry = file_header + 20 + optional_size;
  for (const Section& section : sections) {
    std::memcpy(&bytes[entry + 16], &section.raw_size, 4);
    std::memcpy(&bytes[entry + 20], &section.raw_pointer, 4);
    entry += 40;
  }
  return bytes;
}

TEST(PeImageTest, ImageEndIsTheFurthestSectionEnd) {
  // Sections need not be in file order; an uninitialised-data section has no raw bytes.
  const auto headers = image_headers({{0x400, 0x1000}, {0x3400, 0x200}, {0x1400, 0x2000}, {0, 0}});
  EXPECT_EQ(pe_image_end(headers.data(), headers.size()), 0x3600u);
}

TEST(PeImageTest, MalformedHeadersGiveNothing) {
  auto not_mz = image_headers({{0x400, 0x100}});
  not_mz[0] = 'X';
  auto no_signature = image_headers({{0x400, 0x100}});
  no_signature[0x80] = 'N';
  auto signature_outside = image_headers({{0x400, 0x100}});
  const std::uint32_t far_away = 0x7FFFFFF0;
  std::memcpy(&signature_outside[0x3C], &far_away, 4);
  // Near 4 GB an offset would wrap round to before the buffer (the engine is
  // a 32-bit program).
  auto signature_wraps = image_headers({{0x400, 0x100}});
  const std::uint32_t wrapping = 0xFFFFFFFE;
  std::memcpy(&signature_wraps[0x3C], &wrapping, 4);
  auto too_many_sections = image_headers({{0x400, 0x100}});
  const std::uint16_t many = 0xFFFF;
  std::memcpy(&too_many_sections[0x84 + 2], &many, 2);

  EXPECT_EQ(pe_image_end(not_mz.data(), not_mz.size()), std::nullopt);
  EXPECT_EQ(pe_image_end(no_signature.data(), no_signature.size()), std::nullopt);
  EXPECT_EQ(pe_image_end(signature_outside.data(), signature_outside.size()), std::nullopt);
  EXPECT_EQ(pe_image_end(signature_wraps.data(), signature_wraps.size()), std::nullopt);
  EXPECT_EQ(pe_image_end(too_many_sections.data(), too_many_sections.size()), std::nullopt);
  const auto good = image_headers({{0x400, 0x100}});
  EXPECT_EQ(pe_image_end(good.data(), 0x100), std::nullopt) << "section table beyond the bytes given";
  EXPECT_EQ(pe_image_end(good.data(), 10), std::nullopt);
  EXPECT_EQ(pe_image_end(nullptr, 0), std::nullopt);
}

}  // namespace
}  // namespace qm
