// One web media download through the engine's HTTP client (WinINet, the
// body written to the archive as it arrives), timed. bench/download_bench.sh
// runs it against curl on the same URL of the loopback web bench.
//
//   download_bench.exe URL ARCHIVE   prints "download_bench: <bytes> bytes in <ms> ms"

#include <atomic>
#include <cstdio>
#include <string>

#include "bench/stopwatch.h"
#include "media/web_download.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::printf("usage: download_bench URL ARCHIVE\n");
    return 2;
  }
  const qm::MessageCatalogue messages;
  std::atomic<bool> url_moniker_first{false};
  qm::media::WebDownloadJob job{{argv[1]}, argv[2], {}, false};
  std::string last_text;
  qm::bench::Stopwatch watch;
  const qm::media::WebDownloadResult result =
      qm::media::download_web_media(job, url_moniker_first, messages, [&](int, const std::string& text) {
        last_text = text;
        return true;
      });
  const double ms = watch.elapsed_ms();
  if (!result.success) {
    std::printf("download_bench: the download failed\n");
    return 1;
  }
  std::printf("download_bench: %s in %.0f ms\n", last_text.c_str(), ms);
  return 0;
}
