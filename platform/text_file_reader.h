#pragma once
// A text file read one line at a time, kept open between reads: the script's
// "Read from Text File" walks a file over many script lines. Line ends are
// those of script/text_lines.h. Only a window of the file is held in memory,
// so a large file costs no more than its longest line.

#include <string>

#include "platform/unique_resource.h"

namespace qm::platform {

class TextFileReader {
 public:
  // Opens `path` for reading (others may read and write it meanwhile); false
  // when it cannot be opened, a folder for instance. Closes the file open
  // before either way.
  bool open(const std::string& path);
  void close();

  bool is_open() const { return file_.valid(); }
  // The path given to open(); empty while no file is open.
  const std::string& path() const { return path_; }

  // Whether nothing is left to read (also when no file is open). A read
  // error counts as the end of the file.
  bool at_end();
  // The next line, without its line end; empty at the end.
  std::string next_line();

 private:
  // Reads more of the file into the window; false at the end or on an error.
  bool fill();

  UniqueHandle file_;
  std::string path_;
  std::string window_;          // bytes read but not taken yet
  std::size_t window_start_ = 0;
  bool exhausted_ = false;      // the file has nothing left beyond the window
};

}  // namespace qm::platform
