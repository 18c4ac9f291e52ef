#include "media/web_download_progress.h"

#include <algorithm>
#include <cstdint>

namespace qm::media {

std::string with_thousands_separators(std::uint64_t value) {
  const std::string digits = std::to_string(value);
  std::string text;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return text;
}

DownloadProgressReport DownloadProgressText::next(std::uint64_t received, std::uint64_t total) {
  std::string text = with_thousands_separators(received) + " " + messages_.text(message::kBytesReceived);
  if (total == 0) {
    // The size is unknown (or nothing at all): no division, the bar cycles.
    percent_ = (percent_ + 1) % 101;
    return {percent_, std::move(text)};
  }
  // received x 100 / total, without overflow for any sizes.
  std::uint64_t share = 100;
  if (received < total) share = received <= UINT64_MAX / 100 ? received * 100 / total : received / (total / 100);
  percent_ = static_cast<int>(std::min<std::uint64_t>(share + 1, 100));
  text += ", " + std::to_string(percent_) + messages_.text(message::kPercentComplete);
  return {percent_, std::move(text)};
}

}  // namespace qm::media
