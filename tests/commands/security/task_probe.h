#pragma once
// Tasks of the Task Scheduler read back and removed in tests through its own
// interfaces, independently of the engine's commands.

#include <windows.h>
#include <mstask.h>

#include <optional>
#include <string>
#include <vector>

namespace qm::test {

struct TaskFacts {
  std::string program;
  std::string parameters;
  std::string working_folder;
  DWORD flags = 0;
  WORD trigger_count = 0;
  TASK_TRIGGER trigger{};  // the first
};

// The task of this name on this computer; nothing when there is none.
std::optional<TaskFacts> read_task(const std::string& name);
void delete_task(const std::string& name);

// Removes the tasks on every way out.
class TaskNames {
 public:
  explicit TaskNames(std::string prefix);
  ~TaskNames();
  TaskNames(const TaskNames&) = delete;
  TaskNames& operator=(const TaskNames&) = delete;
  // A task name of this test and process, removed at the end.
  std::string name(const std::string& suffix);

 private:
  std::string prefix_;
  std::vector<std::string> names_;
};

}  // namespace qm::test
