#include "qvx/extract.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

#include "qvx/archive.h"
#include "qvx/failure.h"
#include "qvx/folder.h"
#include "qvx/keys.h"
#include "qvx/paths.h"
#include "qvx/streams.h"

namespace qvx {

namespace {

constexpr std::uint64_t kProgressStep = std::uint64_t{1} << 20;

// The attributes restored on files and folders; others (compressed,
// encrypted, sparse, reparse point, ...) describe how a file was stored, not
// what it is, and are not taken over.
constexpr DWORD kRestoredAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

FILETIME file_time(std::uint64_t value) {
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(value);
  time.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return time;
}

std::wstring hex(std::uint32_t value) {
  wchar_t text[9];
  for (int i = 7; i >= 0; --i) {
    text[i] = L"0123456789ABCDEF"[value & 15];
    value >>= 4;
  }
  text[8] = L'\0';
  return text;
}

class Progress {
 public:
  Progress(QvxProgressCallback callback, std::uint64_t total) : callback_(callback), total_(total) {}

  void start(const std::string& name) {
    name_ = name;
    report();
  }
  void add(std::uint64_t count) {
    done_ += count;
    if (done_ - reported_ >= kProgressStep) report();
  }
  void end() { report(); }

  std::uint64_t done() const { return done_; }
  void rewind(std::uint64_t done) { done_ = reported_ = done; }

 private:
  void report() {
    reported_ = done_;
    if (callback_ != nullptr && callback_(name_.c_str(), done_, total_) == 0) {
      fail(QVX_ERROR_STOPPED, "the progress callback asked to stop");
    }
  }

  QvxProgressCallback callback_;
  std::uint64_t total_;
  std::uint64_t done_ = 0;
  std::uint64_t reported_ = 0;
  std::string name_;
};

// A file being written. A new file is written under its own name; a file
// that replaces an existing one is written under a temporary name beside it
// and renamed over it once complete, so the old file survives a failure. The
// written file is removed unless it is completed.
class OutputFile {
 public:
  // Creates `target` as a new file with `attributes`; nothing when a file or
  // folder of that name exists already.
  static std::optional<OutputFile> create_new(const std::wstring& target, DWORD attributes) {
    const HANDLE handle = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    return OutputFile(target, handle, false);
  }

  // Creates a temporary file in the folder of `target`, to replace it later.
  static OutputFile create_beside(const std::wstring& target) {
    static std::atomic<std::uint32_t> counter{0};
    const std::wstring folder = target.substr(0, target.find_last_of(L'\\'));
    for (int attempt = 0; attempt < 64; ++attempt) {
      const std::wstring path = folder + L"\\~qvx" + hex(GetCurrentProcessId()) + L"-" + hex(counter++) + L".tmp";
      const HANDLE handle =
          CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle != INVALID_HANDLE_VALUE) return OutputFile(path, handle, true);
      const DWORD error = GetLastError();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    fail(QVX_ERROR_WRITE, "an output file cannot be created");
  }

  OutputFile(OutputFile&& other) noexcept
      : path_(std::move(other.path_)), handle_(other.handle_), temporary_(other.temporary_), done_(other.done_) {
    other.handle_ = INVALID_HANDLE_VALUE;
    other.done_ = true;
  }
  OutputFile& operator=(OutputFile&&) = delete;
  ~OutputFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    if (!done_) {
      SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);  // it may have been made read-only
      DeleteFileW(path_.c_str());
    }
  }

  void write(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
      const DWORD chunk = size > (DWORD{1} << 30) ? (DWORD{1} << 30) : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!WriteFile(handle_, data, chunk, &written, nullptr) || written != chunk) {
        fail(QVX_ERROR_WRITE, "an output file cannot be written");
      }
      data += chunk;
      size -= chunk;
    }
  }

  // Sets the times, closes the file and, for a replacement, puts it in the
  // place of `target` with `attributes`.
  void complete(const std::wstring& target, const std::optional<FILETIME>& created,
                const std::optional<FILETIME>& written, DWORD attributes) {
    if ((created || written) &&
        !SetFileTime(handle_, created ? &*created : nullptr, nullptr, written ? &*written : nullptr)) {
      fail(QVX_ERROR_WRITE, "the time of an output file cannot be set");
    }
    const BOOL closed = CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    if (!closed) fail(QVX_ERROR_WRITE, "an output file cannot be completed");
    if (temporary_) {
      const DWORD existing = GetFileAttributesW(target.c_str());
      if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
        SetFileAttributesW(target.c_str(), existing & ~DWORD{FILE_ATTRIBUTE_READONLY});
      }
      if (!MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        if (existing != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(target.c_str(), existing);
        fail(QVX_ERROR_WRITE, "an output file cannot be put in place");
      }
      done_ = true;
      if (attributes != 0 && !SetFileAttributesW(target.c_str(), attributes)) {
        fail(QVX_ERROR_WRITE, "the attributes of an output file cannot be set");
      }
    }
    done_ = true;
  }

 private:
  OutputFile(std::wstring path, HANDLE handle, bool temporary)
      : path_(std::move(path)), handle_(handle), temporary_(temporary) {}

  std::wstring path_;
  HANDLE handle_;
  bool temporary_;
  bool done_ = false;
};

void pass_over(Stream& stream, std::uint64_t count) {
  while (count > 0) {
    const std::span<const std::uint8_t> in = stream.look();
    if (in.empty()) data_error("block data ends early");
    const std::size_t take = count < in.size() ? static_cast<std::size_t>(count) : in.size();
    stream.skip(take);
    count -= take;
  }
}

class Extraction {
 public:
  Extraction(const ExtractRequest& request, Archive& archive, Keys& keys)
      : request_(request), archive_(archive), keys_(keys), targets_(archive.count()), listed_(archive.count()) {}

  void run() {
    select();
    std::uint64_t total = 0;
    for (std::uint32_t e = 0; e < archive_.count(); ++e) {
      if (selected(e) && !archive_.is_directory(e)) total += archive_.size(e);
    }
    progress_.emplace(request_.progress_callback, total);
    ensure_folder(root_);

    // The selected files of each block, in the order of their data.
    std::vector<std::vector<std::uint32_t>> block_files(archive_.folder_count());
    for (std::uint32_t e = 0; e < archive_.count(); ++e) {
      if (!selected(e) || archive_.is_directory(e)) continue;
      const std::uint32_t folder = archive_.folder(e);
      if (folder == kNoFolder) continue;
      if (folder >= block_files.size()) data_error("an entry's block does not exist");
      block_files[folder].push_back(e);
    }
    std::vector<bool> folder_done(archive_.folder_count(), false);
    for (std::uint32_t e = 0; e < archive_.count(); ++e) {
      if (!selected(e)) continue;
      if (archive_.is_directory(e)) {
        write_directory(e);
        continue;
      }
      const std::uint32_t folder = archive_.folder(e);
      if (folder == kNoFolder) {
        if (archive_.size(e) != 0) data_error("an entry has data but no block");
        write_file(e, nullptr);
        continue;
      }
      if (folder_done[folder]) continue;
      folder_done[folder] = true;
      extract_folder(folder, block_files[folder]);
    }
    finish_directories();
    progress_->end();
  }

 private:
  bool selected(std::uint32_t entry) const { return !targets_[entry].empty(); }

  // Chooses the entries and their target paths; checks every path before
  // anything is written.
  void select() {
    root_ = long_path(request_.destination);
    std::vector<bool> chosen(archive_.count(), request_.targets == nullptr);
    for (std::uint32_t e = 0; e < archive_.count(); ++e) listed_[e] = listed_name(archive_.name(e));
    if (request_.targets != nullptr) {
      const QvxTargetFiles& targets = *request_.targets;
      if (targets.count < 0 || (targets.count > 0 && targets.names == nullptr)) {
        fail(QVX_ERROR_ARGUMENT, "the target files are malformed");
      }
      std::unordered_map<std::string, std::vector<std::uint32_t>> by_name;
      for (std::uint32_t e = 0; e < archive_.count(); ++e) by_name[listed_[e]].push_back(e);
      for (std::int32_t t = 0; t < targets.count; ++t) {
        if (targets.names[t] == nullptr) fail(QVX_ERROR_ARGUMENT, "a target file name is missing");
        std::string name = targets.names[t];
        for (char& c : name) {
          if (c == '/') c = '\\';
        }
        const auto found = by_name.find(name);
        if (found == by_name.end()) fail(QVX_ERROR_NO_SUCH_ENTRY, "a target file is not in the archive");
        for (std::uint32_t e : found->second) chosen[e] = true;
      }
    }
    const std::wstring separator = root_.back() == L'\\' ? L"" : L"\\";
    for (std::uint32_t e = 0; e < archive_.count(); ++e) {
      if (!chosen[e]) continue;
      const std::vector<std::wstring> parts = safe_parts(archive_.name(e));
      if (!request_.full_paths) {
        if (!archive_.is_directory(e)) targets_[e] = root_ + separator + parts.back();
        continue;
      }
      std::wstring path = root_;
      for (std::size_t p = 0; p < parts.size(); ++p) path += (p == 0 ? separator : L"\\") + parts[p];
      targets_[e] = std::move(path);
    }
  }

  void announce(std::uint32_t entry) {
    if (request_.file_callback != nullptr &&
        request_.file_callback(listed_[entry].c_str(), caller_path(targets_[entry]).c_str()) == 0) {
      fail(QVX_ERROR_STOPPED, "the file callback asked to stop");
    }
  }

  void write_directory(std::uint32_t entry) {
    announce(entry);
    ensure_folder(targets_[entry]);
    directories_.push_back(entry);
  }

  // Whether to replace what is at `path`, which could not be created anew.
  bool may_replace(std::uint32_t entry, const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) fail(QVX_ERROR_WRITE, "an output file cannot be created");
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) fail(QVX_ERROR_WRITE, "a folder stands where a file goes");
    if (request_.keep_existing || keep_all_) return false;
    if (replace_all_ || request_.query_callback == nullptr) return true;
    switch (request_.query_callback(listed_[entry].c_str(), caller_path(path).c_str())) {
      case QVX_QUERY_YES:
        return true;
      case QVX_QUERY_NO:
        return false;
      case QVX_QUERY_YES_TO_ALL:
        replace_all_ = true;
        return true;
      case QVX_QUERY_NO_TO_ALL:
        keep_all_ = true;
        return false;
      default:
        fail(QVX_ERROR_STOPPED, "the query callback asked to stop");
    }
  }

  // Creates a folder once; later calls for it cost nothing.
  void ensure_folder(const std::wstring& folder) {
    if (known_folders_.count(folder) != 0) return;
    create_folders(folder);
    known_folders_.insert(folder);
  }

  // Writes one file from `data` (null for an empty file without data).
  void write_file(std::uint32_t entry, Stream* data) {
    const std::wstring& path = targets_[entry];
    announce(entry);
    progress_->start(listed_[entry]);
    const DWORD attributes =
        archive_.has_attributes(entry) ? archive_.attributes(entry) & kRestoredAttributes : DWORD{0};
    ensure_folder(path.substr(0, path.find_last_of(L'\\')));
    std::optional<OutputFile> out = OutputFile::create_new(path, attributes);
    if (!out && may_replace(entry, path)) out.emplace(OutputFile::create_beside(path));

    std::uint32_t crc = CRC_INIT_VAL;
    std::uint64_t remaining = archive_.size(entry);
    while (remaining > 0) {
      const std::span<const std::uint8_t> in = data->look();
      if (in.empty()) data_error("block data ends early");
      const std::size_t take = remaining < in.size() ? static_cast<std::size_t>(remaining) : in.size();
      crc = CrcUpdate(crc, in.data(), take);
      if (out) out->write(in.data(), take);
      data->skip(take);
      remaining -= take;
      progress_->add(take);
    }
    if (archive_.has_crc(entry) && CRC_GET_DIGEST(crc) != archive_.crc(entry)) data_error("CRC mismatch");
    if (!out) return;

    std::optional<FILETIME> created;
    std::optional<FILETIME> written;
    if (archive_.has_ctime(entry)) created = file_time(archive_.ctime(entry));
    if (archive_.has_mtime(entry)) written = file_time(archive_.mtime(entry));
    out->complete(path, created, written, attributes);
  }

  // Decodes one block and writes its selected entries. A block that fails to
  // decode before its first file is complete, with a key in play, is tried
  // again with the next password.
  void extract_folder(std::uint32_t folder, const std::vector<std::uint32_t>& entries) {
    const FolderLayout layout = archive_.folder_layout(folder);
    const std::uint64_t done_before = progress_->done();
    for (;;) {
      keys_.reset_used();
      std::size_t completed = 0;
      try {
        FolderDecoder decoder(archive_.file(), layout, &keys_);
        Stream& output = decoder.output();
        std::uint64_t position = 0;
        for (std::uint32_t entry : entries) {
          const std::uint64_t offset = archive_.offset_in_folder(entry);
          if (offset < position) data_error("entries of a block overlap");
          pass_over(output, offset - position);
          write_file(entry, &output);
          position = offset + archive_.size(entry);
          ++completed;
        }
        // When the whole block was read, its end is checked too.
        if (position == output.size()) finish_input(output);
        return;
      } catch (const Failure& failure) {
        if (failure.code() != QVX_ERROR_DATA || !keys_.used() || completed != 0) throw;
        if (!keys_.passwords().next()) fail(QVX_ERROR_CANNOT_OPEN, "the password is incorrect");
        progress_->rewind(done_before);
      }
    }
  }

  // Folder times and attributes, once nothing more is written into them.
  void finish_directories() {
    for (auto at = directories_.rbegin(); at != directories_.rend(); ++at) {
      const std::uint32_t entry = *at;
      const std::wstring& path = targets_[entry];
      if (archive_.has_mtime(entry) || archive_.has_ctime(entry)) {
        const HANDLE handle = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) fail(QVX_ERROR_WRITE, "a folder's time cannot be set");
        FILETIME created{};
        FILETIME written{};
        if (archive_.has_ctime(entry)) created = file_time(archive_.ctime(entry));
        if (archive_.has_mtime(entry)) written = file_time(archive_.mtime(entry));
        const BOOL set = SetFileTime(handle, archive_.has_ctime(entry) ? &created : nullptr, nullptr,
                                     archive_.has_mtime(entry) ? &written : nullptr);
        CloseHandle(handle);
        if (!set) fail(QVX_ERROR_WRITE, "a folder's time cannot be set");
      }
      // Read-only means nothing for a folder on Windows (Explorer uses it to
      // mark customised folders) but would lock the folder's content where
      // the file system takes it literally; it is not restored on folders.
      if (archive_.has_attributes(entry)) {
        const DWORD attributes = archive_.attributes(entry) & kRestoredAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
        if (attributes != 0 && !SetFileAttributesW(path.c_str(), attributes | FILE_ATTRIBUTE_DIRECTORY)) {
          fail(QVX_ERROR_WRITE, "a folder's attributes cannot be set");
        }
      }
    }
  }

  const ExtractRequest& request_;
  Archive& archive_;
  Keys& keys_;
  std::wstring root_;
  std::vector<std::wstring> targets_;  // empty: not extracted
  std::vector<std::string> listed_;
  std::vector<std::uint32_t> directories_;
  std::set<std::wstring> known_folders_;
  std::optional<Progress> progress_;
  bool replace_all_ = false;
  bool keep_all_ = false;
};

}  // namespace

void extract(const ExtractRequest& request) {
  Passwords passwords(request.password, request.password_callback);
  Keys keys(passwords);
  Archive archive(request.archive, keys);
  Extraction extraction(request, archive, keys);
  extraction.run();
}

}  // namespace qvx
