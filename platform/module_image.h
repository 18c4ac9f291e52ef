#pragma once
// Finds the data appended to the file of a loaded module: the setup package
// behind the running engine, the message catalogue behind the archive library.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qm::platform {

struct AppendedData {
  std::string file_path;     // the module's file
  std::uint64_t offset = 0;  // image end: where the appended bytes begin
  std::uint64_t size = 0;    // 0 when nothing is appended
};

// The module's file name (ANSI), as Windows reports it.
std::string module_file_path(HMODULE module);

// Throws WindowsError when the module's file cannot be opened or is not a
// PE image.
AppendedData find_appended_data(HMODULE module);

// Reads `size` bytes at `offset` of a file. Throws WindowsError on failure.
std::string read_file_range(const std::string& path, std::uint64_t offset, std::uint64_t size);

// Reads up to `size` bytes at `offset` of a file in pieces of at most
// `piece` bytes, handing each to `take`, which answers whether to go on; so
// that no more than a piece of it is ever held. Throws WindowsError.
void read_file_pieces(const std::string& path, std::uint64_t offset, std::uint64_t size, std::size_t piece,
                      const std::function<bool(std::string_view)>& take);

}  // namespace qm::platform
