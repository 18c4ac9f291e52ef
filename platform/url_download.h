#pragma once
// Downloading a URL into a file through the system's URL moniker
// (URLDownloadToFileA of urlmon.dll, loaded from the system folder). The
// system's own internet settings apply, unless a proxy is given; Windows
// may resume a broken download from its internet cache.
//
// Whether the URL moniker can be used at all is told apart from a download
// that failed: a caller that finds it unusable turns to the HTTP client for
// the rest of the run.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/http_client.h"

namespace qm::platform {

enum class UrlDownloadResult {
  kDone,
  kFailed,
  kStopped,   // the observer answered kStop
  kUnusable,  // urlmon.dll or its download function missing, COM unusable, or the proxy setting refused
};

struct UrlDownloadProgress {
  std::uint64_t done = 0;
  std::uint64_t total = 0;  // 0 when unknown
  unsigned status = 0;      // BINDSTATUS_... code
};

// Sees every progress report of the transfer; kStop aborts it.
using UrlDownloadObserver = std::function<TransferAnswer(const UrlDownloadProgress&)>;

// Downloads `url` into `file` (replacing it). With a proxy server, the
// process's URL moniker uses that proxy from now on (and its user and
// password when the proxy asks); without one, the system's settings. Runs
// on the calling thread (COM is initialised there for the call).
UrlDownloadResult download_with_url_moniker(const std::string& url, const std::string& file, const HttpProxy& proxy,
                                            const UrlDownloadObserver& observer);

// Forgets what the internet cache holds of `url`, so that a new download
// starts from nothing. Does nothing when there is nothing to forget.
void forget_cached_download(const std::string& url);

}  // namespace qm::platform
