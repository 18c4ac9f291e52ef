// A support page as the resource archive holds it, read with the default
// bounds and with small ones: whatever the markup, the document keeps within
// them and its runs are whole (no empty run, neighbours differ).

#include <algorithm>

#include "fuzz_input.h"
#include "wizard/html/html_document.h"

namespace {

// A tab in preformatted text is the longest growth: one byte, eight spaces.
constexpr std::size_t kLargestGrowth = 8;

void check(const qm::HtmlDocument& document, const qm::HtmlLimits& limits, std::size_t input_size) {
  QM_FUZZ_CHECK(document.blocks.size() <= limits.max_blocks);
  QM_FUZZ_CHECK(document.title.size() <= input_size);
  if (document.meta_refresh)
    QM_FUZZ_CHECK(document.meta_refresh->delay_seconds >= 0 &&
                  document.meta_refresh->delay_seconds <= limits.max_refresh_seconds);
  std::size_t text_size = 0;
  for (const qm::HtmlBlock& block : document.blocks) {
    QM_FUZZ_CHECK(block.list_depth >= 0 && static_cast<std::size_t>(block.list_depth) <= limits.max_depth);
    if (block.kind == qm::HtmlBlockKind::heading) QM_FUZZ_CHECK(block.heading_level >= 1 && block.heading_level <= 6);
    if (block.kind == qm::HtmlBlockKind::rule) QM_FUZZ_CHECK(block.runs.empty());
    else QM_FUZZ_CHECK(!block.runs.empty());
    for (std::size_t i = 0; i < block.runs.size(); ++i) {
      const qm::HtmlRun& run = block.runs[i];
      QM_FUZZ_CHECK(!run.text.empty());
      if (i > 0) QM_FUZZ_CHECK(run.style != block.runs[i - 1].style || run.href != block.runs[i - 1].href);
      text_size += run.text.size();
    }
  }
  QM_FUZZ_CHECK(text_size <= kLargestGrowth * std::min(input_size, limits.max_document_bytes));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = qm::fuzz::as_text(data, size);
  const qm::HtmlOptions defaults;
  check(qm::parse_html(text, defaults), defaults.limits, size);

  qm::HtmlOptions small;
  small.limits.max_depth = 3;
  small.limits.max_blocks = 5;
  small.limits.max_document_bytes = 200;
  small.limits.max_refresh_seconds = 60;
  check(qm::parse_html(text, small), small.limits, size);

  if (const auto refresh = qm::parse_meta_refresh(text, small.limits)) {
    QM_FUZZ_CHECK(refresh->delay_seconds >= 0 && refresh->delay_seconds <= small.limits.max_refresh_seconds);
    QM_FUZZ_CHECK(refresh->url.size() <= size);
  }
  return 0;
}
