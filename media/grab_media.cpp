#include "media/grab_media.h"

#include <utility>

#include "engine/engine.h"
#include "media/media_texts.h"
#include "platform/com_scope.h"
#include "platform/file_system.h"
#include "script/path_text.h"

namespace qm {

namespace {

// Block names end with a backslash ("DISK1\"); the user reads the name.
std::string shown_block_name(std::string name) {
  if (!name.empty() && name.back() == '\\') name.pop_back();
  return name;
}

}  // namespace

MediaJob grab_media_job(GrabMediaInputs inputs, std::string downloading, DownloadLocation download) {
  return [inputs = std::move(inputs), downloading = std::move(downloading),
          download = std::move(download)](MediaJobContext& context) {
    MediaOutcome outcome;
    // COM stays up for every location of the job: the URL moniker winds a
    // failed download down after its call returned, and must not find COM
    // gone on this thread in the meantime.
    const platform::ComScope com;
    platform::create_folder_with_parents(folder_of(inputs.archive_path));
    const std::string heading = downloading + shown_block_name(inputs.block_name) + "\r";
    const DownloadProgress progress = [&](int percent, const std::string& text) {
      return context.report(heading + text, percent);
    };
    for (const std::string& url : inputs.locations) {
      if (context.stop_requested()) break;
      if (download(url, inputs, progress)) {
        outcome.success = true;
        break;
      }
    }
    return outcome;
  };
}

MediaOutcome grab_media(Engine& engine, const GrabMediaInputs& inputs, DownloadLocation download,
                        unsigned watchdog_ms) {
  MediaThreadSettings settings;
  settings.owner_window = inputs.owner_window;
  settings.cancel_watchdog_ms = watchdog_ms;
  return run_media_thread(
      engine, grab_media_job(inputs, engine.messages.text(media_text::kDownloadingWebMedia), std::move(download)),
      settings);
}

}  // namespace qm
