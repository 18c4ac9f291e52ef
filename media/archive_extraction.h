#pragma once
// The archive library's list-and-extract operation as the media threads use
// it: list every entry of a 7z archive, then extract all of them into a
// folder, with a password, an answer to the library's overwrite question, its
// overwrite flag, and progress that can stop the extraction.

#include <cstdint>
#include <functional>
#include <string>

namespace qm {

// The library's overwrite flag: 0 replaces a file that is there (after the
// overwrite question), 1 keeps it.
enum class ArchiveOverwrite : std::int32_t { kReplace = 0, kKeep = 1 };

struct ArchiveRequest {
  std::string archive;
  std::string destination;
  std::string password;  // empty: none
  // Answer the overwrite question with "yes to all" (else "yes").
  bool answer_all = true;
  ArchiveOverwrite overwrite = ArchiveOverwrite::kReplace;
  // Asked before each entry is written: false stops the extraction.
  std::function<bool()> keep_going;
};

// Called as a file starts and as its bytes are written: the entry's name as
// the library lists it, bytes done and bytes in all. Answers whether to go on.
using ArchiveProgress = std::function<bool(const std::string& entry, std::uint64_t done, std::uint64_t total)>;

struct ArchiveResult {
  bool extracted = false;
  std::int32_t code = 0;   // the library's error code
  std::string error_text;  // as the library's callers report it; empty on success
};

// The text of the library's error code for a listing that failed.
std::string listing_error_text(std::int32_t code);

// The text meaning "not an archive of its kind, or the wrong password".
inline constexpr char kCannotOpenArchiveText[] =
    "The archive cannot be opened: unsupported archive or incorrect password";

// Lists and extracts. One extraction at a time per process: the library's
// error code is process-wide.
ArchiveResult list_and_extract(const ArchiveRequest& request, const ArchiveProgress& progress);

// percent of a file's progress: done x 100 / total + 1, at most 100.
int archive_percent(std::uint64_t done, std::uint64_t total);

}  // namespace qm
