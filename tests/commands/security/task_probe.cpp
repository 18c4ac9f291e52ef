#include "tests/commands/security/task_probe.h"

#include "platform/com_pointer.h"
#include "platform/com_scope.h"
#include "platform/task_scheduler.h"
#include "platform/unique_resource.h"
#include "platform/wide_text.h"

namespace qm::test {

namespace {

using platform::UniqueComPointer;

UniqueComPointer<ITaskScheduler> local_scheduler() {
  ITaskScheduler* scheduler = nullptr;
  CoCreateInstance(platform::kTaskSchedulerClass, nullptr, CLSCTX_INPROC_SERVER, platform::kTaskSchedulerInterface,
                   reinterpret_cast<void**>(&scheduler));
  return UniqueComPointer<ITaskScheduler>(scheduler);
}

std::string take_text(LPWSTR text) {
  if (text == nullptr) return {};
  const platform::UniqueTaskMemory owned(text);
  return platform::ansi_from_wide(text);
}

}  // namespace

std::optional<TaskFacts> read_task(const std::string& name) {
  const platform::ComScope com;
  const UniqueComPointer<ITaskScheduler> scheduler = local_scheduler();
  if (!scheduler) return std::nullopt;
  IUnknown* found = nullptr;
  if (FAILED(scheduler.get()->Activate(platform::wide_from_ansi(name).c_str(), platform::kTaskInterface, &found)))
    return std::nullopt;
  const UniqueComPointer<ITask> task(static_cast<ITask*>(found));
  TaskFacts facts;
  LPWSTR text = nullptr;
  if (SUCCEEDED(task.get()->GetApplicationName(&text))) facts.program = take_text(text);
  if (SUCCEEDED(task.get()->GetParameters(&text))) facts.parameters = take_text(text);
  if (SUCCEEDED(task.get()->GetWorkingDirectory(&text))) facts.working_folder = take_text(text);
  task.get()->GetFlags(&facts.flags);
  task.get()->GetTriggerCount(&facts.trigger_count);
  ITaskTrigger* trigger = nullptr;
  if (facts.trigger_count > 0 && SUCCEEDED(task.get()->GetTrigger(0, &trigger))) {
    const UniqueComPointer<ITaskTrigger> owned(trigger);
    facts.trigger.cbTriggerSize = sizeof facts.trigger;
    trigger->GetTrigger(&facts.trigger);
  }
  return facts;
}

void delete_task(const std::string& name) {
  const platform::ComScope com;
  if (const UniqueComPointer<ITaskScheduler> scheduler = local_scheduler())
    scheduler.get()->Delete(platform::wide_from_ansi(name).c_str());
}

TaskNames::TaskNames(std::string prefix) : prefix_(std::move(prefix)) {}

TaskNames::~TaskNames() {
  for (const std::string& name : names_) delete_task(name);
}

std::string TaskNames::name(const std::string& suffix) {
  names_.push_back("Quillmore " + prefix_ + " " + suffix + " " + std::to_string(GetCurrentProcessId()));
  delete_task(names_.back());
  return names_.back();
}

}  // namespace qm::test
