#pragma once
// A temporary file that belongs to this process alone: no other process can
// open it while it exists, and Windows removes it when it is closed, also
// when the process ends without closing it. Two setups started at the same
// moment therefore never share one.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/unique_resource.h"

namespace qm::platform {

class PrivateTemporaryFile {
 public:
  // "<folder><stem><extension>", replacing a leftover of that name that no
  // process holds; when another process holds it, the first free
  // "<folder><stem><n><extension>" (n = 1, 2, ...). Throws WindowsError when
  // no file can be made.
  static PrivateTemporaryFile create(const std::string& folder, std::string_view stem, std::string_view extension);

  const std::string& path() const { return path_; }

  // Appends bytes. Throws WindowsError.
  void write(std::string_view bytes);
  // Everything written, read back from the start. Throws WindowsError.
  std::string read_all();

 private:
  PrivateTemporaryFile(UniqueHandle handle, std::string path) : handle_(std::move(handle)), path_(std::move(path)) {}

  UniqueHandle handle_;
  std::string path_;
};

}  // namespace qm::platform
