#include "qvx/directories.h"

#include <windows.h>

#include <string_view>

#include "qvx/failure.h"
#include "qvx/paths.h"

namespace qvx {

namespace {

// Cuts `path` at `end` for the length of one Windows call, in place.
class Cut {
 public:
  Cut(std::wstring& path, std::size_t end) : path_(path), end_(end), saved_(path[end]) { path_[end_] = L'\0'; }
  ~Cut() { path_[end_] = saved_; }
  Cut(const Cut&) = delete;
  Cut& operator=(const Cut&) = delete;
  const wchar_t* c_str() const { return path_.c_str(); }

 private:
  std::wstring& path_;
  std::size_t end_;
  wchar_t saved_;
};

DWORD attributes_of(std::wstring& path, std::size_t end) {
  const Cut cut(path, end);
  return GetFileAttributesW(cut.c_str());
}

bool is_folder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool Directories::ensure(const std::wstring& folder) {
  if (known_.count(folder) != 0) return false;
  std::wstring path = folder;

  // Down from the deepest folder known to be there (the destination, once
  // it was made; else the root): each level is made, or found there. A path
  // is never walked up with calls for folders that are not there: Windows
  // (and Wine more so) answer those slowly for deep paths.
  std::size_t start = root_length(path);
  if (start >= path.size()) {
    // A root: nothing to make.
    if (!is_folder(GetFileAttributesW(path.c_str()))) fail(QVX_ERROR_WRITE, "the destination cannot be found");
    known_.insert(folder);
    return true;
  }
  for (std::size_t end = path.rfind(L'\\'); end != std::wstring::npos && end >= start; end = path.rfind(L'\\', end - 1)) {
    if (known_.count(std::wstring_view(path.data(), end)) != 0) {
      start = end + 1;
      break;
    }
    if (end == 0) break;
  }
  bool existed = true;
  bool recorded = false;
  for (std::size_t end = path.find(L'\\', start);; end = path.find(L'\\', end + 1)) {
    if (end == std::wstring::npos) end = path.size();
    BOOL made = FALSE;
    {
      const Cut cut(path, end);
      made = CreateDirectoryW(cut.c_str(), nullptr);
    }
    if (made) {
      if (!recorded) paths_.push_back(folder);
      recorded = true;
      made_.push_back(Made{paths_.size() - 1, end});
    } else {
      // There already (or made by someone else meanwhile), whatever the
      // error says: a folder above the destination may refuse any change.
      const DWORD attributes = attributes_of(path, end);
      if (attributes == INVALID_FILE_ATTRIBUTES) fail(QVX_ERROR_WRITE, "a folder cannot be created");
      if (!is_folder(attributes)) fail(QVX_ERROR_WRITE, "a file stands where a folder goes");
    }
    existed = !made;
    if (end == path.size()) break;
  }
  known_.insert(folder);
  return existed;
}

void Directories::open_scope() { scopes_.push_back(Scope{made_.size(), paths_.size()}); }

void Directories::keep_scope() {
  if (scopes_.empty()) return;
  // An outer scope does not take them over: kept is kept.
  made_.resize(scopes_.back().made);
  paths_.resize(scopes_.back().paths);
  scopes_.pop_back();
}

void Directories::remove_scope() noexcept {
  if (scopes_.empty()) return;
  const Scope scope = scopes_.back();
  for (std::size_t i = made_.size(); i > scope.made; --i) {
    const Made& made = made_[i - 1];
    const Cut cut(paths_[made.path], made.length);
    RemoveDirectoryW(cut.c_str());  // fails, as it should, where anything is inside
  }
  made_.resize(scope.made);
  paths_.resize(scope.paths);
  scopes_.pop_back();
  // Some of the folders known may be gone now.
  known_.clear();
}

}  // namespace qvx
