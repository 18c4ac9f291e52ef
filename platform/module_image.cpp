#include "platform/module_image.h"

#include <vector>

#include "platform/file_system.h"
#include "platform/unique_resource.h"
#include "platform/windows_error.h"
#include "script/pe_image.h"

namespace qm::platform {

namespace {

// The headers of a loaded image fill at least its first page.
constexpr std::size_t kMappedHeaderBytes = 4096;

UniqueHandle open_for_reading(const std::string& path) {
  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw WindowsError("Unable to open the file " + path, GetLastError());
  return file;
}

UniqueHandle open_at(const std::string& path, std::uint64_t offset) {
  UniqueHandle file = open_for_reading(path);
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) throw WindowsError("Unable to read " + path, GetLastError());
  return file;
}

}  // namespace

std::string module_file_path(HMODULE module) {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) throw WindowsError("Unable to find the program's own file", GetLastError());
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

AppendedData find_appended_data(HMODULE module) {
  AppendedData data;
  data.file_path = module_file_path(module);
  const auto image_end = pe_image_end(reinterpret_cast<const unsigned char*>(module), kMappedHeaderBytes);
  if (!image_end) throw WindowsError("Unable to read the program file " + data.file_path, ERROR_BAD_EXE_FORMAT);

  UniqueHandle file = open_for_reading(data.file_path);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) throw WindowsError("Unable to read the size of " + data.file_path, GetLastError());
  data.offset = *image_end;
  const auto file_size = static_cast<std::uint64_t>(size.QuadPart);
  data.size = file_size > data.offset ? file_size - data.offset : 0;
  return data;
}

std::string read_file_range(const std::string& path, std::uint64_t offset, std::uint64_t size) {
  if (size > 0x7FFFFFFF) throw WindowsError("Unable to read " + path, ERROR_NOT_ENOUGH_MEMORY);
  UniqueHandle file = open_at(path, offset);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (!read_completely(file.get(), bytes.data(), bytes.size())) throw WindowsError("Unable to read " + path, GetLastError());
  return bytes;
}

void read_file_pieces(const std::string& path, std::uint64_t offset, std::uint64_t size, std::size_t piece,
                      const std::function<bool(std::string_view)>& take) {
  UniqueHandle file = open_at(path, offset);
  std::string buffer(piece, '\0');
  while (size > 0) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::uint64_t>(size, piece));
    if (!ReadFile(file.get(), buffer.data(), want, &got, nullptr)) throw WindowsError("Unable to read " + path, GetLastError());
    if (got == 0) return;  // the file is shorter than it was: what was there has been handed over
    size -= got;
    if (!take(std::string_view(buffer.data(), got))) return;
  }
}

}  // namespace qm::platform
