#pragma once
// TGrabMedia: the download of a web media block's archive, one location
// after the other until one succeeds, on a media thread. How one location is
// fetched (URL moniker, HTTP client) is handed in.

#include <functional>
#include <string>
#include <vector>

#include "engine/web_media_state.h"
#include "media/media_thread.h"

namespace qm {

struct GrabMediaInputs {
  std::vector<std::string> locations;  // URLs, tried in order
  std::string archive_path;            // where the archive is written
  std::string block_name;              // as the progress text shows it
  ProxySettings proxy;
  bool resume = true;
  void* owner_window = nullptr;
};

// A download's progress: percent (0 to 100) and a text such as
// "12,345 bytes received, 7% complete". Answers whether to go on.
using DownloadProgress = std::function<bool(int percent, const std::string& text)>;

// Downloads one location into inputs.archive_path; true on success. Runs on
// the media thread.
using DownloadLocation =
    std::function<bool(const std::string& url, const GrabMediaInputs& inputs, const DownloadProgress& progress)>;

// The job itself; `downloading` is the text that starts its progress text
// ("Downloading Web Media: ").
MediaJob grab_media_job(GrabMediaInputs inputs, std::string downloading, DownloadLocation download);

// Runs the job on a media thread with the cancel watchdog and waits for it.
MediaOutcome grab_media(Engine& engine, const GrabMediaInputs& inputs, DownloadLocation download,
                        unsigned watchdog_ms = kCancelWatchdogMs);

}  // namespace qm
