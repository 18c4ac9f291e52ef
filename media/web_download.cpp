#include "media/web_download.h"

#include <windows.h>
#include <urlmon.h>

#include <memory>

#include "media/web_download_http.h"
#include "media/web_download_progress.h"
#include "platform/file_system.h"
#include "platform/url_download.h"
#include "script/path_text.h"

namespace qm::media {

namespace {

using platform::TransferAnswer;
using platform::UrlDownloadResult;

// The URL moniker's report as the user reads it: bytes and percentage while
// data arrives, otherwise the name of what it is doing.
DownloadProgressReport moniker_report(const platform::UrlDownloadProgress& report, const MessageCatalogue& messages,
                                      DownloadProgressText& texts) {
  const bool transferring = report.status == BINDSTATUS_BEGINDOWNLOADDATA ||
                            report.status == BINDSTATUS_DOWNLOADINGDATA || report.status == BINDSTATUS_ENDDOWNLOADDATA;
  if (transferring) return texts.next(report.done, report.total);
  const int slot = message::kFirstBindStatus - 1 + static_cast<int>(report.status);
  return texts.with_text(slot >= message::kFirstBindStatus && slot <= message::kLastBindStatus ? messages.text(slot)
                                                                                                : std::string());
}

UrlDownloadResult download_location_with_moniker(const std::string& url, const WebDownloadJob& job,
                                                 const MessageCatalogue& messages, DownloadProgressText& texts,
                                                 const WebDownloadProgress& progress) {
  if (!job.resume) {
    // A new copy: nothing of an earlier download may be taken up again.
    DeleteFileA(job.archive_path.c_str());
    platform::forget_cached_download(url);
  }
  const auto observer = [&](const platform::UrlDownloadProgress& report) {
    const DownloadProgressReport shown = moniker_report(report, messages, texts);
    return progress(shown.percent, shown.text) ? TransferAnswer::kContinue : TransferAnswer::kStop;
  };
  return platform::download_with_url_moniker(url, job.archive_path, job.proxy, observer);
}

}  // namespace

WebDownloadResult download_web_media(const WebDownloadJob& job, std::atomic<bool>& url_moniker_first,
                                     const MessageCatalogue& messages, const WebDownloadProgress& progress) {
  platform::create_folder_with_parents(folder_of(job.archive_path));
  std::unique_ptr<platform::HttpClient> client;
  WebDownloadResult result;
  result.route = url_moniker_first ? DownloadRoute::kUrlMoniker : DownloadRoute::kHttpClient;
  for (const std::string& url : job.locations) {
    DownloadProgressText texts(messages);
    if (url_moniker_first) {
      result.route = DownloadRoute::kUrlMoniker;
      const UrlDownloadResult moniker = download_location_with_moniker(url, job, messages, texts, progress);
      if (moniker == UrlDownloadResult::kDone) {
        result.success = true;
        return result;
      }
      if (moniker == UrlDownloadResult::kStopped) return result;
      if (moniker == UrlDownloadResult::kFailed) continue;
      url_moniker_first = false;
    }
    result.route = DownloadRoute::kHttpClient;
    if (!client) client = std::make_unique<platform::HttpClient>();
    const LocationOutcome outcome = download_location_over_http(*client, url, job, texts, progress);
    if (outcome == LocationOutcome::kDownloaded) {
      result.success = true;
      return result;
    }
    if (outcome == LocationOutcome::kStopped) return result;
  }
  return result;
}

}  // namespace qm::media
