#pragma once
// The archive file as the source of an archive's bytes.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "qvx/source.h"

namespace qvx {

class ArchiveFile final : public Source {
 public:
  // Throws QVX_ERROR_NOT_FOUND when there is no such file, QVX_ERROR_READ
  // when it exists but cannot be opened.
  explicit ArchiveFile(const std::wstring& path);
  ~ArchiveFile() override;

  std::uint64_t size() const override { return size_; }
  std::size_t read_at(std::uint64_t offset, void* buffer, std::size_t count) const override;

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::uint64_t size_ = 0;
};

}  // namespace qvx
