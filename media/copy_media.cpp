#include "media/copy_media.h"

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "engine/progress.h"
#include "media/exact_names.h"
#include "media/media_texts.h"
#include "platform/file_system.h"
#include "platform/wide_text.h"
#include "script/path_text.h"

namespace qm {

namespace {

using media_files::wide;

struct MediumFile {
  std::wstring path;          // on the medium
  std::wstring target_folder;
};

// The medium's files in copy order: "offline\" first, then "mergemod\".
std::vector<MediumFile> medium_files(const std::string& source, const std::string& destination) {
  std::vector<MediumFile> files;
  const struct {
    const char* folder;
    std::string target;
  } parts[] = {{"offline\\", destination + "offline\\"}, {"mergemod\\", destination}};
  for (const auto& part : parts) {
    const std::wstring root = wide(source + part.folder);
    for (const std::wstring& relative : media_files::files_below(root)) {
      files.push_back({root + relative, wide(part.target) + media_files::folder_part(relative)});
    }
  }
  return files;
}

// Where the medium's folders are: the folder given, or, when it has no
// "offline" folder, the one above it.
std::string medium_root(const std::string& source) {
  const std::string folder = with_trailing_backslash(source);
  if (platform::folder_exists(folder + "offline")) return folder;
  std::string above = folder;
  above.pop_back();
  return folder_of(above);
}

// Moves the file there, or copies it when it cannot be moved (a read-only
// medium); a file that is there already is kept. True when the target exists.
bool bring(const MediumFile& file) {
  media_files::create_folders(file.target_folder);
  const std::wstring target = file.target_folder + media_files::name_part(file.path);
  if (!media_files::file_exists(target)) {
    if (!MoveFileW(file.path.c_str(), target.c_str())) CopyFileW(file.path.c_str(), target.c_str(), TRUE);
  }
  return media_files::file_exists(target);
}

MediaOutcome copy_medium(const CopyMediaInputs& inputs, const CopyMediaSettings& settings, MediaJobContext& context) {
  MediaOutcome outcome;
  context.report(kKeepProgressText, 0);
  const std::vector<MediumFile> files =
      medium_files(medium_root(inputs.source), with_trailing_backslash(inputs.destination));
  const std::size_t count = files.size();
  for (std::size_t i = 0; i < count; ++i) {
    const int percent = static_cast<int>(std::min<std::size_t>(i * 100 / count + 1, 100));
    if (context.stop_requested()) return outcome;
    context.report(platform::ansi_from_wide(media_files::name_part(files[i].path)) + ", " + std::to_string(percent) +
                       settings.percent_complete,
                   percent);
    if (!bring(files[i])) return outcome;
  }
  if (!settings.copy_folder.empty()) {
    const std::string folder = with_trailing_backslash(settings.copy_folder);
    platform::create_folder_with_parents(folder);
    CopyFileA(settings.setup_file.c_str(), (folder + file_name_of(settings.setup_file)).c_str(), FALSE);
  }
  outcome.success = true;
  return outcome;
}

std::string value_or_empty(const Engine& engine, const char* name) {
  return engine.variables.exists(name) ? engine.variables.get(name) : std::string();
}

}  // namespace

CopyMediaSettings copy_media_settings(const Engine& engine) {
  CopyMediaSettings settings;
  settings.copy_folder = value_or_empty(engine, "COPYWEBLOCK");
  settings.setup_file = value_or_empty(engine, "SFXPATH") + value_or_empty(engine, "SFXFILE");
  settings.percent_complete = engine.messages.text(media_text::kPercentComplete);
  return settings;
}

MediaJob copy_media_job(CopyMediaInputs inputs, CopyMediaSettings settings) {
  return [inputs = std::move(inputs), settings = std::move(settings)](MediaJobContext& context) {
    return copy_medium(inputs, settings, context);
  };
}

MediaOutcome copy_media(Engine& engine, const CopyMediaInputs& inputs, unsigned watchdog_ms) {
  MediaThreadSettings settings;
  settings.owner_window = inputs.owner_window;
  settings.cancel_watchdog_ms = watchdog_ms;
  return run_media_thread(engine, copy_media_job(inputs, copy_media_settings(engine)), settings);
}

}  // namespace qm
