#pragma once
// TCopyMedia: the offline medium copied into the web data folder on a media
// thread: its "offline\" folder into destination\offline\, its "mergemod\"
// folder into the destination itself.

#include <string>

#include "media/media_thread.h"

namespace qm {

struct CopyMediaInputs {
  std::string source;       // the offline medium's folder (or the one below it)
  std::string destination;  // the web data folder
  void* owner_window = nullptr;
};

struct CopyMediaSettings {
  std::string copy_folder;  // COPYWEBLOCK: receives a copy of the setup file; empty for none
  std::string setup_file;   // SFXPATH + SFXFILE
  std::string percent_complete = "% complete";
};

CopyMediaSettings copy_media_settings(const Engine& engine);

// Success when every file of the medium is at its place in the destination
// (moved, or copied where it cannot be moved); files already there are kept.
MediaJob copy_media_job(CopyMediaInputs inputs, CopyMediaSettings settings);

MediaOutcome copy_media(Engine& engine, const CopyMediaInputs& inputs, unsigned watchdog_ms = kCancelWatchdogMs);

}  // namespace qm
