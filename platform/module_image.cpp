#include "platform/module_image.h"

#include <stdexcept>
#include <vector>

#include "engine/pe_image.h"
#include "platform/handle.h"

namespace qm::platform {

namespace {

// The headers of a loaded image fill at least its first page.
constexpr std::size_t kMappedHeaderBytes = 4096;

UniqueHandle open_for_reading(const std::string& path) {
  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw std::runtime_error("Cannot open " + path + " (error " + std::to_string(GetLastError()) + ")");
  return file;
}

}  // namespace

std::string module_file_path(HMODULE module) {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) throw std::runtime_error("GetModuleFileName failed");
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

AppendedData find_appended_data(HMODULE module) {
  AppendedData data;
  data.file_path = module_file_path(module);
  const auto image_end = pe_image_end(reinterpret_cast<const unsigned char*>(module), kMappedHeaderBytes);
  if (!image_end) throw std::runtime_error(data.file_path + " is not a Windows program image");

  UniqueHandle file = open_for_reading(data.file_path);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) throw std::runtime_error("Cannot size " + data.file_path);
  data.offset = *image_end;
  const auto file_size = static_cast<std::uint64_t>(size.QuadPart);
  data.size = file_size > data.offset ? file_size - data.offset : 0;
  return data;
}

std::string read_file_range(const std::string& path, std::uint64_t offset, std::uint64_t size) {
  if (size > 0x7FFFFFFF) throw std::runtime_error(path + ": the range to read is too large");
  UniqueHandle file = open_for_reading(path);
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) throw std::runtime_error("Cannot seek in " + path);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    if (!ReadFile(file.get(), bytes.data() + done, want, &got, nullptr)) throw std::runtime_error("Cannot read " + path);
    if (got == 0) throw std::runtime_error(path + " ended early");
    done += got;
  }
  return bytes;
}

}  // namespace qm::platform
