#pragma once
// TDirectExtractMedia: the script's own extraction of an archive into a
// folder ("Extract 7Zip Archive"), on a media thread that is asked to stop
// when the user cancels, but never killed.

#include <string>

#include "media/archive_extraction.h"
#include "media/media_thread.h"

namespace qm {

struct DirectExtractInputs {
  std::string archive;
  std::string destination;
  std::string password;
  bool answer_all = true;  // the answer to the library's overwrite question
  ArchiveOverwrite overwrite = ArchiveOverwrite::kReplace;
  void* owner_window = nullptr;
  // File-system redirection is a setting of each thread: a command that
  // switched it off for the 64-bit target switches it off here too.
  bool redirection_off = false;
};

// Success, or the library's error text.
MediaJob direct_extract_job(DirectExtractInputs inputs, std::string percent_complete);

MediaOutcome direct_extract_media(Engine& engine, const DirectExtractInputs& inputs);

}  // namespace qm
