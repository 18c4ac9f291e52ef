#include "media/web_download_http.h"

#include <windows.h>

#include <optional>

#include "platform/file_system.h"
#include "platform/http_headers.h"
#include "platform/unique_resource.h"

namespace qm::media {

namespace {

using platform::TransferAnswer;

std::uint64_t existing_size(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Cuts the file at `size` and places the next write there.
bool set_end(HANDLE file, std::uint64_t size) {
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(size);
  return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

// Where the body of an answer goes, decided from its status and headers: a
// partial answer must start exactly where it was asked to; a whole one
// (the server ignored the range) replaces the file.
struct BodyPlacement {
  bool accepted = false;
  std::uint64_t start = 0;
  std::optional<std::uint64_t> total;
};

BodyPlacement place_body(unsigned status, std::string_view headers, const std::optional<std::uint64_t>& asked_from) {
  BodyPlacement placement;
  const auto length = platform::content_length(headers);
  if (status == 206 && asked_from) {
    const auto range = platform::content_range(headers);
    if (!range || range->first != *asked_from) return placement;
    placement.start = range->first;
    if (range->total) {
      placement.total = range->total;
    } else if (length) {
      placement.total = range->first + *length;
    }
  } else if (status >= 200 && status < 300 && status != 206) {
    placement.total = length;
  } else {
    // Error pages and redirects that were not followed never reach the file.
    return placement;
  }
  placement.accepted = true;
  return placement;
}

}  // namespace

LocationOutcome download_location_over_http(platform::HttpClient& client, const std::string& url,
                                            const WebDownloadJob& job, DownloadProgressText& texts,
                                            const WebDownloadProgress& progress) {
  platform::HttpRequest request{url, job.proxy, std::nullopt};
  const std::uint64_t existing = existing_size(job.archive_path);
  const platform::HttpOutcome head = client.head(request);
  if (head.status >= 400) return LocationOutcome::kFailed;
  // The size of the whole archive: a HEAD asks for no range.
  std::uint64_t total = platform::content_length(head.headers).value_or(0);

  // A file longer than the archive is not part of it: start over.
  const bool continues = job.resume && existing > kResumeBackOff && (total == 0 || existing <= total);
  if (continues) request.from_byte = existing - kResumeBackOff;

  const platform::UniqueHandle file(CreateFileA(job.archive_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !set_end(file.get(), request.from_byte.value_or(0))) return LocationOutcome::kFailed;

  std::uint64_t received = 0;
  bool written = true;
  bool stopped_by_progress = false;
  const auto check = [&](unsigned status, std::string_view headers) {
    const BodyPlacement placement = place_body(status, headers, request.from_byte);
    if (!placement.accepted || !set_end(file.get(), placement.start)) return TransferAnswer::kStop;
    received = placement.start;
    if (placement.total) total = *placement.total;
    return TransferAnswer::kContinue;
  };
  const auto sink = [&](std::string_view chunk) {
    if (!platform::write_completely(file.get(), chunk.data(), chunk.size())) {
      written = false;
      return TransferAnswer::kStop;
    }
    received += chunk.size();
    const DownloadProgressReport report = texts.next(received, total);
    if (!progress(report.percent, report.text)) {
      stopped_by_progress = true;
      return TransferAnswer::kStop;
    }
    return TransferAnswer::kContinue;
  };
  const platform::HttpOutcome get = client.get(request, check, sink);
  if (stopped_by_progress) return LocationOutcome::kStopped;
  const bool whole = get.status != 0 && get.status < 400 && !get.stopped && get.body_complete && written;
  return whole ? LocationOutcome::kDownloaded : LocationOutcome::kFailed;
}

}  // namespace qm::media
