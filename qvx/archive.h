#pragma once
// An open 7z archive: its header, read with 7-Zip's parser (7zArcIn.c) from
// the archive's bytes (a file or memory). Encrypted headers are decrypted
// with the passwords given; a password that decodes to garbage is dropped for
// the next one. Nothing here touches the file system.

#include <cstdint>
#include <memory>
#include <string>

#include "qvx/folder.h"
#include "qvx/keys.h"
#include "qvx/limits.h"
#include "qvx/sevenzip.h"
#include "qvx/source.h"

namespace qvx {

constexpr std::uint32_t kNoFolder = 0xFFFFFFFF;

class Archive {
 public:
  // `source` must outlive the archive. Throws a Failure when the header
  // cannot be read.
  Archive(const Source& source, Keys& keys, const Limits& limits);
  ~Archive();
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;

  const Source& source() const { return source_; }
  const Limits& limits() const { return limits_; }
  const CSzArEx& db() const { return db_; }

  std::uint32_t count() const { return db_.NumFiles; }
  // The entry name as stored (UTF-16; "/" or "\" between folders).
  std::u16string name(std::uint32_t entry) const;
  bool is_directory(std::uint32_t entry) const { return SzArEx_IsDir(&db_, entry); }
  std::uint64_t size(std::uint32_t entry) const { return SzArEx_GetFileSize(&db_, entry); }
  // The folder (block) holding the entry's data, or kNoFolder.
  std::uint32_t folder(std::uint32_t entry) const { return db_.FileToFolder[entry]; }
  // Offset of the entry's data in its folder's output.
  std::uint64_t offset_in_folder(std::uint32_t entry) const;

  bool has_crc(std::uint32_t entry) const { return SzBitWithVals_Check(&db_.CRCs, entry); }
  std::uint32_t crc(std::uint32_t entry) const { return db_.CRCs.Vals[entry]; }
  bool has_attributes(std::uint32_t entry) const { return SzBitWithVals_Check(&db_.Attribs, entry); }
  // Windows attribute bits (7-Zip's Unix mode in the high half removed).
  std::uint32_t attributes(std::uint32_t entry) const;
  bool has_mtime(std::uint32_t entry) const { return SzBitWithVals_Check(&db_.MTime, entry); }
  std::uint64_t mtime(std::uint32_t entry) const;
  bool has_ctime(std::uint32_t entry) const { return SzBitWithVals_Check(&db_.CTime, entry); }
  std::uint64_t ctime(std::uint32_t entry) const;

  std::uint32_t folder_count() const { return db_.db.NumFolders; }
  FolderLayout folder_layout(std::uint32_t folder) const { return read_folder(db_.db, folder, db_.dataPos); }
  std::uint64_t folder_pack_size(std::uint32_t folder) const;

 private:
  struct Input;
  struct Allocator;

  const Source& source_;
  Limits limits_;
  std::unique_ptr<Input> input_;
  std::unique_ptr<Allocator> allocator_;
  CSzArEx db_{};
  bool open_ = false;
};

}  // namespace qvx
