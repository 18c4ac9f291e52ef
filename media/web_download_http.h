#pragma once
// One location of a web media download through the HTTP client.

#include <string>

#include "media/web_download.h"
#include "media/web_download_progress.h"
#include "platform/http_client.h"

namespace qm::media {

enum class LocationOutcome { kDownloaded, kFailed, kStopped };

// HEAD first (an answer of 400 or more fails the location; no answer does
// not), then GET into the archive from where a resumed download starts.
// Success needs the whole body and a final status below 400.
LocationOutcome download_location_over_http(platform::HttpClient& client, const std::string& url,
                                            const WebDownloadJob& job, DownloadProgressText& texts,
                                            const WebDownloadProgress& progress);

}  // namespace qm::media
