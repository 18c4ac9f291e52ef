#pragma once
// TExtractMedia: a web media block's archive extracted, its files put where
// the package's media file list says, and the rest of it moved into the web
// data folder, on a media thread.

#include <string>
#include <vector>

#include "media/media_thread.h"

namespace qm {

struct ExtractMediaInputs {
  std::string archive_path;
  // The archive lies beside the setup: it is kept. A downloaded one is
  // deleted once extracted.
  bool local_archive = false;
  std::string password;
  std::string destination;  // the web data folder
  std::string block_name;   // as the progress text shows it
  void* owner_window = nullptr;
};

// Everything else the job needs of the run, taken before it starts.
struct ExtractMediaSettings {
  std::string temp_folder;                 // the extraction's own folder is made in it
  std::string copy_folder;                 // COPYWEBLOCK: keeps a copy of the archive; empty for none
  std::vector<std::string> media_files;    // triples: archive name, path inside it, destination folder
  std::string extracting = "Extracting Web Media: ";
  std::string percent_complete = "% complete";
};

ExtractMediaSettings extract_media_settings(const Engine& engine);

// Success when every listed file went to its folder and the rest of the
// archive's folder into the destination; `cannot_open` when the library could
// not open the archive (not an archive, or the wrong password).
MediaJob extract_media_job(ExtractMediaInputs inputs, ExtractMediaSettings settings);

MediaOutcome extract_media(Engine& engine, const ExtractMediaInputs& inputs, unsigned watchdog_ms = kCancelWatchdogMs);

}  // namespace qm
