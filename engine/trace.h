#pragma once
// The execution trace: an optional log file that shows support staff how far a
// run got (stage tags from the bootstrap and the interpreter, later the apply
// block and the Windows Installer log).
//
// Every line is converted from the ANSI code page to UTF-16LE, written without
// a byte-order mark and ended with CR LF. The file is opened and closed again
// for every line, so a crash leaves every line written so far, and another
// program (an editor, the Windows Installer log) may hold it open meanwhile.
//
// The first line the process writes creates the file afresh; every later line
// is appended, also when the path has changed in between. The Windows
// Installer log header honours the same "fresh" flag, which is why it lives
// here rather than in the caller.
//
// Writing is best effort: a line that cannot be written is dropped and the
// setup goes on. One lock guards the object, since the apply block is written
// from the installer worker thread.

#include <mutex>
#include <string>
#include <string_view>

namespace qm {

class Trace {
 public:
  // "" means no trace. The interpreter refreshes it from LOGGED before each line.
  void set_path(std::string path);
  std::string path() const;

  // Writes one line to the current path; nothing happens when the path is empty.
  void write(std::string_view line);
  // Writes one line to a given file, with the same fresh-file rule. The
  // Windows Installer log header goes to the file named on the command line,
  // which need not be the current trace path.
  void write_to(std::string_view file, std::string_view line);

  // True until a line has been written by this process.
  bool fresh() const;
  void clear_fresh();

 private:
  mutable std::mutex mutex_;
  std::string path_;
  bool fresh_ = true;
};

}  // namespace qm
