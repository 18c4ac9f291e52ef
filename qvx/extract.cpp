#include "qvx/extract.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "qvx/archive.h"
#include "qvx/archive_file.h"
#include "qvx/directories.h"
#include "qvx/failure.h"
#include "qvx/keys.h"
#include "qvx/names.h"
#include "qvx/output_file.h"
#include "qvx/password_callback.h"
#include "qvx/paths.h"
#include "qvx/text.h"
#include "qvx/unpack.h"

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

std::wstring folder_of(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

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

// Writes the entries the archive decodes into their files and folders.
class Extraction final : public EntrySink {
 public:
  Extraction(const ExtractRequest& request, Archive& archive, Keys& keys)
      : request_(request), archive_(archive), keys_(keys), targets_(archive.count()), listed_(archive.count()) {}

  void run() {
    select();
    std::uint64_t total = 0;
    for (std::uint32_t e = 0; e < archive_.count(); ++e) {
      if (selected_[e] && !archive_.is_directory(e)) total += archive_.size(e);
    }
    progress_.emplace(request_.progress_callback, total);
    // A destination this call made goes again when the call fails with
    // nothing in it.
    directories_.open_scope();
    try {
      ensure_folder(root_);
      unpack_entries(archive_, keys_, selected_, *this);
      finish_directories();
      progress_->end();
    } catch (...) {
      directories_.remove_scope();
      throw;
    }
    directories_.keep_scope();
  }

  // ---- EntrySink: the files --------------------------------------------

  void begin(std::uint32_t entry) override {
    const std::wstring& path = targets_[entry];
    announce(entry);
    progress_->start(listed_[entry]);
    directories_.open_scope();
    in_entry_ = true;
    ensure_folder(folder_of(path));
    // Existing files that are kept anyway are not written at all; the data
    // is still decoded and checked. Otherwise whether a file is in the way
    // shows when the new one is put in place (one call less per file).
    if ((request_.keep_existing || keep_all_) && is_in_the_way(path)) return;
    const DWORD attributes =
        archive_.has_attributes(entry) ? archive_.attributes(entry) & kRestoredAttributes : DWORD{0};
    out_.emplace(path, attributes);
  }

  void write(std::span<const std::uint8_t> data) override {
    if (out_) out_->write(data.data(), data.size());
    progress_->add(data.size());
  }

  void complete(std::uint32_t entry) override {
    if (out_) {
      std::optional<FILETIME> created;
      std::optional<FILETIME> written;
      if (archive_.has_ctime(entry)) created = file_time(archive_.ctime(entry));
      if (archive_.has_mtime(entry)) written = file_time(archive_.mtime(entry));
      out_->close(created, written);
      const std::wstring& path = targets_[entry];
      if (!out_->place()) {
        if (!is_in_the_way(path)) fail(QVX_ERROR_WRITE, "an output file cannot be put in place");
        if (may_replace(entry, path)) out_->replace();
      }
      out_.reset();  // not placed: the file there is kept, the new one goes
    }
    directories_.keep_scope();
    in_entry_ = false;
  }

  void abandon() noexcept override {
    out_.reset();  // removes the temporary file
    if (in_entry_) directories_.remove_scope();
    in_entry_ = false;
  }

  void begin_block(std::uint32_t) override { block_start_ = progress_->done(); }
  void restart_block() override { progress_->rewind(block_start_); }

  void directory(std::uint32_t entry) override {
    announce(entry);
    directories_.open_scope();
    try {
      ensure_folder(targets_[entry]);
    } catch (...) {
      directories_.remove_scope();
      throw;
    }
    directories_.keep_scope();
    directory_entries_.push_back(entry);
  }

 private:
  // Chooses the entries and their target paths; checks every name and path
  // before anything is written.
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
    selected_.assign(archive_.count(), false);
    for (std::uint32_t e = 0; e < archive_.count(); ++e) {
      if (!chosen[e]) continue;
      const std::vector<std::u16string> parts = safe_parts(archive_.name(e));
      const bool folder = archive_.is_directory(e);
      if (!request_.full_paths && folder) continue;
      std::wstring path = root_;
      const std::size_t first = request_.full_paths ? 0 : parts.size() - 1;
      for (std::size_t p = first; p < parts.size(); ++p) path += (p == first ? separator : L"\\") + to_wide(parts[p]);
      check_length(path, folder);
      targets_[e] = std::move(path);
      selected_[e] = true;
    }
  }

  // Every path written stays within what Windows takes: the target, and for
  // a file its temporary file beside it.
  static void check_length(const std::wstring& path, bool folder) {
    const std::size_t temporary = folder_of(path).size() + 1 + kTemporaryNameLength;
    if (path.size() > kMaxPathLength || (!folder && temporary > kMaxPathLength)) {
      fail(QVX_ERROR_ILLEGAL_PATH, "an entry's path is longer than Windows allows");
    }
  }

  void announce(std::uint32_t entry) {
    if (request_.file_callback != nullptr &&
        request_.file_callback(listed_[entry].c_str(), caller_path(targets_[entry]).c_str()) == 0) {
      fail(QVX_ERROR_STOPPED, "the file callback asked to stop");
    }
  }

  // Whether a file is at `path`; a folder there fails the extraction.
  static bool is_in_the_way(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) fail(QVX_ERROR_WRITE, "a folder stands where a file goes");
    return true;
  }

  // Whether to replace the file at `path`.
  bool may_replace(std::uint32_t entry, const std::wstring& path) {
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

  // A folder that was there before may hold what an extraction killed
  // part-way left: it is tidied up the first time it is used.
  void ensure_folder(const std::wstring& folder) {
    if (directories_.ensure(folder)) remove_stale_temporaries(folder);
  }

  // Folder times and attributes, once nothing more is written into them.
  void finish_directories() {
    for (auto at = directory_entries_.rbegin(); at != directory_entries_.rend(); ++at) {
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
  std::vector<std::wstring> targets_;
  std::vector<bool> selected_;
  std::vector<std::string> listed_;
  std::vector<std::uint32_t> directory_entries_;
  Directories directories_;
  std::optional<Progress> progress_;
  std::optional<OutputFile> out_;  // the file being written; none while a kept file is read through
  bool in_entry_ = false;
  std::uint64_t block_start_ = 0;
  bool replace_all_ = false;
  bool keep_all_ = false;
};

}  // namespace

void extract(const ExtractRequest& request) {
  Passwords passwords(password_text(request.password), ask_with(request.password_callback));
  const Limits limits;
  Keys keys(passwords, limits.key_cycles_power);
  const ArchiveFile file(request.archive);
  Archive archive(file, keys, limits);
  Extraction extraction(request, archive, keys);
  extraction.run();
}

}  // namespace qvx
