// The picture decoders on any bytes: as a picture file of whatever format its
// first bytes announce, as the designer's picture data (class name, then the
// file) and as its bitmap data (size, then a BMP file). The answer may be
// nothing; a picture must hold exactly its pixels.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "fuzz_input.h"
#include "platform/picture.h"

namespace {

void check(const std::optional<qm::platform::Picture>& picture) {
  if (!picture) return;
  QM_FUZZ_CHECK(qm::platform::picture_dimensions_allowed(picture->width, picture->height));
  QM_FUZZ_CHECK(picture->pixels.size() ==
                static_cast<std::size_t>(picture->width) * static_cast<std::size_t>(picture->height) * 4);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  check(qm::platform::decode_picture(bytes));
  check(qm::platform::read_picture_data(bytes));
  check(qm::platform::read_bitmap_data(bytes));
  return 0;
}
