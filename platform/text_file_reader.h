#pragma once
// A text file read one line at a time, kept open between reads: the script's
// "Read from Text File" walks a file over many script lines. Line ends are
// those of script/text_lines.h. Only a window of the file is held in memory,
// so a large file costs no more than its longest line.
//
// The engine holds one, so this header keeps <windows.h> out of everything
// that includes the engine.

#include <memory>
#include <string>

namespace qm::platform {

class TextFileReader {
 public:
  TextFileReader();
  ~TextFileReader();
  TextFileReader(TextFileReader&&) noexcept;
  TextFileReader& operator=(TextFileReader&&) noexcept;

  // Opens `path` for reading (others may read and write it meanwhile); false
  // when it cannot be opened, a folder for instance. Closes the file open
  // before either way.
  bool open(const std::string& path);
  void close();

  bool is_open() const { return open_ != nullptr; }
  // The path given to open(); empty while no file is open.
  const std::string& path() const;

  // Whether nothing is left to read (also when no file is open). A read
  // error counts as the end of the file.
  bool at_end();
  // The next line, without its line end; empty at the end.
  std::string next_line();

 private:
  struct OpenFile;
  std::unique_ptr<OpenFile> open_;
};

}  // namespace qm::platform
