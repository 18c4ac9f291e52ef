#include "platform/private_temporary_file.h"

#include <windows.h>

#include "platform/file_system.h"
#include "platform/windows_error.h"
#include "script/path_text.h"

namespace qm::platform {

namespace {

constexpr unsigned kMaxVariants = 1000;

}  // namespace

PrivateTemporaryFile PrivateTemporaryFile::create(const std::string& folder, std::string_view stem,
                                                  std::string_view extension) {
  const std::string base = with_trailing_backslash(folder) + std::string(stem);
  DWORD error = ERROR_SUCCESS;
  for (unsigned n = 0; n < kMaxVariants; ++n) {
    const std::string path = base + (n == 0 ? std::string() : std::to_string(n)) + std::string(extension);
    // No sharing: a setup that holds the file keeps every other one out, and
    // the next one moves on to another name.
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (file) return PrivateTemporaryFile(std::move(file), path);
    error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) break;
  }
  throw WindowsError("Unable to create a temporary file in " + folder, error);
}

void PrivateTemporaryFile::write(std::string_view bytes) {
  if (!write_completely(handle_.get(), bytes.data(), bytes.size()))
    throw WindowsError("Unable to write the temporary file " + path_, GetLastError());
}

std::string PrivateTemporaryFile::read_all() {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle_.get(), &size) || size.QuadPart > 0x7FFFFFFF)
    throw WindowsError("Unable to read the temporary file " + path_, GetLastError());
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(handle_.get(), start, nullptr, FILE_BEGIN))
    throw WindowsError("Unable to read the temporary file " + path_, GetLastError());
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  if (!read_completely(handle_.get(), bytes.data(), bytes.size()))
    throw WindowsError("Unable to read the temporary file " + path_, GetLastError());
  return bytes;
}

}  // namespace qm::platform
