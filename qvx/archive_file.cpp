#include "qvx/archive_file.h"

#include "qvx/failure.h"

namespace qvx {

ArchiveFile::ArchiveFile(const std::wstring& path) {
  const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (path.empty() || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH || error == ERROR_INVALID_DRIVE ||
        error == ERROR_BAD_PATHNAME) {
      fail(QVX_ERROR_NOT_FOUND, "the archive file was not found");
    }
  } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    fail(QVX_ERROR_NOT_FOUND, "the archive path is a folder");
  }
  handle_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      fail(QVX_ERROR_NOT_FOUND, "the archive file was not found");
    }
    fail(QVX_ERROR_READ, "the archive file cannot be opened");
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(handle_, &size)) {
    CloseHandle(handle_);
    fail(QVX_ERROR_READ, "the size of the archive file cannot be read");
  }
  size_ = static_cast<std::uint64_t>(size.QuadPart);
}

ArchiveFile::~ArchiveFile() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

std::size_t ArchiveFile::read_at(std::uint64_t offset, void* buffer, std::size_t count) const {
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < count && offset < size_) {
    const std::size_t chunk = count - done < (std::size_t{1} << 30) ? count - done : (std::size_t{1} << 30);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(handle_, out + done, static_cast<DWORD>(chunk), &got, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      fail(QVX_ERROR_READ, "the archive file cannot be read");
    }
    if (got == 0) break;
    done += got;
    offset += got;
  }
  return done;
}

}  // namespace qvx
