// The header block of an HTTP answer as a server sends it (the web media
// download reads Content-Length and Content-Range from it). Fields: 1 the
// headers, 2 a header name looked up.

#include "fuzz_input.h"
#include "platform/http_headers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = qm::fuzz::as_text(data, size);
  const auto field = qm::fuzz::fields(input, 2);
  const std::string_view headers = field[0];

  // A value found lies inside the headers and has no blanks around it.
  if (const auto value = qm::platform::header_value(headers, field[1])) {
    QM_FUZZ_CHECK(value->empty() || (value->front() != ' ' && value->back() != ' '));
    QM_FUZZ_CHECK(value->data() >= headers.data() && value->data() + value->size() <= headers.data() + headers.size());
  }
  // A count reads back as the digits it was written from.
  if (const auto count = qm::platform::parse_byte_count(field[1])) {
    QM_FUZZ_CHECK(std::to_string(*count).size() <= field[1].size());
    QM_FUZZ_CHECK(*count <= static_cast<std::uint64_t>(INT64_MAX));
  }
  (void)qm::platform::content_length(headers);
  if (const auto range = qm::platform::content_range(headers)) {
    QM_FUZZ_CHECK(range->first <= range->last);
    QM_FUZZ_CHECK(!range->total || range->last < *range->total);
  }
  return 0;
}
