#pragma once
// Extraction of an archive's entries into a folder (ExtractArchive).

#include <string>

#include "qvx/qvx_archive.h"

namespace qvx {

struct ExtractRequest {
  std::wstring archive;
  std::wstring destination;
  bool full_paths = true;
  bool keep_existing = false;
  const QvxTargetFiles* targets = nullptr;  // null: every entry
  const char* password = nullptr;
  QvxPasswordCallback password_callback = nullptr;
  QvxFileCallback file_callback = nullptr;
  QvxProgressCallback progress_callback = nullptr;
  QvxQueryCallback query_callback = nullptr;
};

// Throws a Failure when the extraction does not complete.
void extract(const ExtractRequest& request);

}  // namespace qvx
