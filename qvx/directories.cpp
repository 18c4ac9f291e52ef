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
  const std::size_t floor = root_length(path);

  // Up from the folder to the deepest one that is there; the ends of the
  // ones missing on the way, deepest first.
  std::vector<std::size_t> missing;
  for (std::size_t end = path.size(); end > floor;) {
    if (known_.count(std::wstring_view(path.data(), end)) != 0) break;
    const DWORD attributes = attributes_of(path, end);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (!is_folder(attributes)) fail(QVX_ERROR_WRITE, "a file stands where a folder goes");
      break;
    }
    missing.push_back(end);
    const std::size_t separator = path.rfind(L'\\', end - 1);
    if (separator == std::wstring::npos || separator < floor) break;
    end = separator;
  }

  // Down again, making each.
  if (!missing.empty()) paths_.push_back(folder);
  for (auto end = missing.rbegin(); end != missing.rend(); ++end) {
    BOOL made = FALSE;
    DWORD error = 0;
    {
      const Cut cut(path, *end);
      made = CreateDirectoryW(cut.c_str(), nullptr);
      if (!made) error = GetLastError();
    }
    if (made) {
      made_.push_back(Made{paths_.size() - 1, *end});
    } else if (error != ERROR_ALREADY_EXISTS || !is_folder(attributes_of(path, *end))) {
      // Made by someone else meanwhile is fine; anything else is not.
      fail(QVX_ERROR_WRITE, error == ERROR_ALREADY_EXISTS ? "a file stands where a folder goes"
                                                          : "a folder cannot be created");
    }
  }
  known_.insert(folder);
  return missing.empty();
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
