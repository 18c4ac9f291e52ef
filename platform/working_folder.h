#pragma once
// The process's working folder moved for a while and moved back.

#include <string>

namespace qm::platform {

// Makes `folder` the working folder (an empty one changes nothing) and
// restores the previous one when it ends.
class WorkingFolderScope {
 public:
  explicit WorkingFolderScope(const std::string& folder);
  ~WorkingFolderScope();
  WorkingFolderScope(const WorkingFolderScope&) = delete;
  WorkingFolderScope& operator=(const WorkingFolderScope&) = delete;

 private:
  std::string previous_;
};

}  // namespace qm::platform
