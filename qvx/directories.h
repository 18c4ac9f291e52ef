#pragma once
// The folders an extraction makes. Each is made once; making one walks its
// path in place, without a copy of the path per level. The folders made for
// an entry that then fails are removed again: only those, never a folder
// that was there before.

#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace qvx {

class Directories {
 public:
  // Makes `folder` (a long path) and the missing folders above it, below its
  // root. Answers true the first time it finds `folder` there already (the
  // caller may have something to tidy up in it). Throws QVX_ERROR_WRITE when
  // a file stands where a folder goes or a folder cannot be made.
  bool ensure(const std::wstring& folder);

  // The folders made from now on belong to a new scope (an entry, or the
  // whole extraction); scopes nest.
  void open_scope();
  // The folders of the innermost scope stay.
  void keep_scope();
  // Removes the folders of the innermost scope, deepest first, where they
  // are empty.
  void remove_scope() noexcept;

 private:
  // A folder made: the first `length` units of paths_[path].
  struct Made {
    std::size_t path;
    std::size_t length;
  };
  struct Scope {
    std::size_t made;
    std::size_t paths;
  };

  std::vector<std::wstring> paths_;  // the paths ensure() made folders for, in open scopes
  std::vector<Made> made_;
  std::vector<Scope> scopes_;
  std::set<std::wstring, std::less<>> known_;
};

}  // namespace qvx
