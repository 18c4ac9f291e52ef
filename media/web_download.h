#pragma once
// The download of a web media block's archive: the locations tried in
// order, each through the system's URL moniker while that is usable and
// asked for first, otherwise through the engine's HTTP client with resume
// and proxy. The media download thread calls it; it runs on the calling
// thread and reports progress as it goes.
//
// The HTTP client continues a file left by an earlier attempt (the resume
// flag on): it asks for the content from 2048 bytes before the file's end,
// so that a damaged tail is fetched again, and appends from there. A file
// is never left with an error page or a misplaced range written into it.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "platform/http_client.h"
#include "script/message_catalogue.h"

namespace qm::media {

// How far before the end of an interrupted download a resumed one starts.
inline constexpr std::uint64_t kResumeBackOff = 2048;

struct WebDownloadJob {
  std::vector<std::string> locations;  // URLs, tried in order
  std::string archive_path;
  platform::HttpProxy proxy;
  bool resume = true;
};

// What made the last attempt: a failure is retried through a dialog that
// depends on it.
enum class DownloadRoute { kUrlMoniker, kHttpClient };

struct WebDownloadResult {
  bool success = false;
  DownloadRoute route = DownloadRoute::kHttpClient;
};

// Called with the percentage (0 to 100) and a text such as "1,234,567 bytes
// received, 42% complete"; answers false to stop the download at once.
using WebDownloadProgress = std::function<bool(int percent, const std::string& text)>;

// Downloads the job's archive from the first location that serves it.
// `url_moniker_first` is the run's setting: while it is set the URL moniker
// is used, and it is cleared (for the rest of the run) as soon as the URL
// moniker proves unusable, the HTTP client taking over at once. A stop from
// `progress` ends the download as a failure, the partial file kept.
WebDownloadResult download_web_media(const WebDownloadJob& job, std::atomic<bool>& url_moniker_first,
                                     const MessageCatalogue& messages, const WebDownloadProgress& progress);

}  // namespace qm::media
