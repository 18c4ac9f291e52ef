#include "media/direct_extract_media.h"

#include <utility>

#include "engine/engine.h"
#include "media/media_texts.h"
#include "platform/file_system.h"
#include "platform/wow64.h"
#include "script/path_text.h"

namespace qm {

MediaJob direct_extract_job(DirectExtractInputs inputs, std::string percent_complete) {
  return [inputs = std::move(inputs), percent_complete = std::move(percent_complete)](MediaJobContext& context) {
    const platform::FileSystemRedirectionGuard redirection(inputs.redirection_off);
    platform::create_folder_with_parents(with_trailing_backslash(inputs.destination));
    ArchiveRequest request;
    request.archive = inputs.archive;
    request.destination = inputs.destination;
    request.password = inputs.password;
    request.answer_all = inputs.answer_all;
    request.overwrite = inputs.overwrite;
    request.keep_going = [&context] { return !context.stop_requested(); };
    const ArchiveResult extraction =
        list_and_extract(request, [&](const std::string& entry, std::uint64_t done, std::uint64_t total) {
          const int percent = archive_percent(done, total);
          return context.report(file_name_of(entry) + ", " + std::to_string(percent) + percent_complete, percent);
        });
    MediaOutcome outcome;
    outcome.success = extraction.extracted;
    outcome.error_text = extraction.error_text;
    return outcome;
  };
}

MediaOutcome direct_extract_media(Engine& engine, const DirectExtractInputs& inputs) {
  MediaThreadSettings settings;
  settings.owner_window = inputs.owner_window;
  return run_media_thread(engine, direct_extract_job(inputs, engine.messages.text(media_text::kPercentComplete)),
                          settings);
}

}  // namespace qm
