#pragma once
// The progress of a web media download as the user reads it: "1,234,567
// bytes received, 42% complete" while the size is known; while it is not,
// the bytes alone and a percentage that keeps cycling 1 .. 100, 0, 1 .. so
// that the bar still moves.

#include <cstdint>
#include <string>

#include "script/message_catalogue.h"

namespace qm::media {

struct DownloadProgressReport {
  int percent = 0;
  std::string text;
};

class DownloadProgressText {
 public:
  explicit DownloadProgressText(const MessageCatalogue& messages) : messages_(messages) {}

  // `received` bytes of `total` (0: unknown). The percentage starts at 1
  // and reaches 100 with the last byte; it is never more.
  DownloadProgressReport next(std::uint64_t received, std::uint64_t total);

  // A report that keeps the percentage last shown.
  DownloadProgressReport with_text(std::string text) const { return {percent_, std::move(text)}; }

 private:
  const MessageCatalogue& messages_;
  int percent_ = 0;
};

// "1234567" as "1,234,567".
std::string with_thousands_separators(std::uint64_t value);

}  // namespace qm::media
