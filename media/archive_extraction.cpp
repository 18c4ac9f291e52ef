#include "media/archive_extraction.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/unique_resource.h"
#include "qvx/qvx_archive.h"

namespace qm {

namespace {

// The library's callbacks carry no context. Each extraction runs on its own
// thread and calls back on it, so the progress of the extraction running on
// this thread waits here. (A lock would do too, but a media thread killed by
// the cancel watchdog in the middle of an extraction would leave it locked
// for the rest of the run.)
thread_local const ArchiveProgress* current_progress = nullptr;
thread_local const ArchiveRequest* current_request = nullptr;

int32_t QVX_CALL before_file(const char*, const char*) {
  if (current_request == nullptr || !current_request->keep_going) return 1;
  return current_request->keep_going() ? 1 : 0;
}

int32_t QVX_CALL on_progress(const char* entry, uint64_t done, uint64_t total) {
  if (current_progress == nullptr || !*current_progress) return 1;
  return (*current_progress)(entry, done, total) ? 1 : 0;
}

int32_t QVX_CALL on_question(const char*, const char*) {
  return current_request == nullptr || current_request->answer_all ? QVX_QUERY_YES_TO_ALL : QVX_QUERY_YES;
}

void close_listing(QvxListHandle listing) { CloseListArchive(listing); }
using UniqueListing = platform::UniqueResource<platform::NullIsNoneTraits<QvxListHandle, close_listing>>;

class CurrentExtraction {
 public:
  CurrentExtraction(const ArchiveRequest& request, const ArchiveProgress& progress) {
    current_request = &request;
    current_progress = &progress;
  }
  ~CurrentExtraction() {
    current_request = nullptr;
    current_progress = nullptr;
  }
  CurrentExtraction(const CurrentExtraction&) = delete;
  CurrentExtraction& operator=(const CurrentExtraction&) = delete;
};

ArchiveResult failed(std::int32_t code, std::string text) { return ArchiveResult{false, code, std::move(text)}; }

}  // namespace

std::string listing_error_text(std::int32_t code) {
  switch (code) {
    case QVX_ERROR_NOT_FOUND: return "The archive file was not found";
    case QVX_ERROR_ILLEGAL_PATH: return "Illegal path used in a wildcard expression";
    case QVX_ERROR_CANNOT_OPEN: return kCannotOpenArchiveText;
    default: return "General failure opening archive";
  }
}

int archive_percent(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return 100;
  return static_cast<int>(std::min<std::uint64_t>(done * 100 / total + 1, 100));
}

ArchiveResult list_and_extract(const ArchiveRequest& request, const ArchiveProgress& progress) {
  const CurrentExtraction current(request, progress);
  const char* password = request.password.empty() ? nullptr : request.password.c_str();
  QvxEntry* entries = nullptr;
  int32_t count = 0;
  const UniqueListing listing(
      OpenListArchive(request.archive.c_str(), 0, nullptr, nullptr, nullptr, nullptr, password, &entries, &count));
  if (!listing) {
    const std::int32_t code = GetLastArchiveError(0);
    return failed(code, listing_error_text(code));
  }
  std::vector<const char*> names;
  names.reserve(static_cast<std::size_t>(count));
  for (int32_t i = 0; i < count; ++i) names.push_back(entries[i].name);
  const QvxTargetFiles targets{names.data(), static_cast<int32_t>(names.size())};
  // No password callback: the password is the only one there is, and asking
  // again for the same wrong one costs a key derivation each time.
  const bool extracted = ExtractArchive(request.archive.c_str(), QVX_MODE_FULL_PATHS, request.destination.c_str(),
                                        &targets, static_cast<int32_t>(request.overwrite), password, nullptr,
                                        before_file, on_progress, on_question) != 0;
  if (extracted) return ArchiveResult{true, 0, {}};
  const std::int32_t code = GetLastArchiveError(0);
  return failed(code, "#" + std::to_string(code));
}

}  // namespace qm
