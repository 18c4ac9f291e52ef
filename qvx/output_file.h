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
  // Starts the temporary file for `target`. `replace`: a file of that name
  // is there and is to be replaced. Throws QVX_ERROR_WRITE.
  OutputFile(std::wstring target, bool replace);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(const std::uint8_t* data, std::size_t size);

  // Sets the times, closes the file and puts it in the place of the target
  // with `attributes` (0: none to set).
  void complete(const std::optional<FILETIME>& created, const std::optional<FILETIME>& written, DWORD attributes);

 private:
  std::wstring target_;
  std::wstring temporary_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool replace_;
  bool done_ = false;
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
