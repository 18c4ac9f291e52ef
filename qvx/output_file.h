#pragma once
// A file being extracted. It is written under a temporary name in the folder
// of its target ("~qvx<process>-<number>.tmp", process and number in hex)
// and takes its own name only once its data is complete and checked, so that
// a file under its final name is never cut short: not by a failure, not by
// a process killed part-way. The temporary file is removed unless completed.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qvx {

class OutputFile {
 public:
  // Starts the temporary file for `target`, with `attributes` (0: none).
  // Throws QVX_ERROR_WRITE.
  OutputFile(std::wstring target, DWORD attributes);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(const std::uint8_t* data, std::size_t size);

  // Sets the times and closes the file; then place() or replace() puts it
  // under the target's name.
  void close(const std::optional<FILETIME>& created, const std::optional<FILETIME>& written);
  // Answers false, and changes nothing, when something of that name is
  // there already. Throws QVX_ERROR_WRITE.
  bool place();
  // Puts the file in the place of the file there (even a read-only one).
  // Throws QVX_ERROR_WRITE, and the file there stays as it was.
  void replace();

 private:
  std::wstring target_;
  std::wstring temporary_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool placed_ = false;
};

// The length of the temporary file names, for path length checks.
constexpr std::size_t kTemporaryNameLength = 25;

// Whether `name` is one of our temporary file names.
bool is_temporary_name(std::wstring_view name);

// Removes the temporary files that an extraction killed part-way left in
// `folder` (a long path). A file still open (being written) cannot be
// removed, and one named after a process that still runs is left alone.
void remove_stale_temporaries(const std::wstring& folder);

}  // namespace qvx
