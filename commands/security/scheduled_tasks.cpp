// Handlers of "Schedule Task" and "Delete Scheduled Task": tasks of the
// Windows Task Scheduler, through its 1.0 interfaces (ITaskScheduler,
// ITask), on this computer or another. Neither reports anything: a task
// service that cannot be started, a computer that cannot be reached or a
// call that fails ends the command, and the script goes on.

#include <windows.h>

#include <optional>
#include <string>

#include "commands/security/task_trigger_text.h"
#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "platform/com_pointer.h"
#include "platform/com_scope.h"
#include "platform/task_scheduler.h"
#include "platform/unique_resource.h"
#include "platform/wide_text.h"
#include "script/path_text.h"

namespace qm {

namespace {

using platform::UniqueComPointer;

constexpr DWORD kServiceStartWaitMs = 10000;
constexpr DWORD kServicePollMs = 100;

bool service_running(SC_HANDLE service, SERVICE_STATUS& status) {
  return QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_RUNNING;
}

// The task service must run before its interfaces answer. A service just
// started is given a while to come up; one that stops again has failed.
bool start_task_service() {
  const platform::UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return false;
  platform::UniqueServiceHandle service(OpenServiceA(manager.get(), "Schedule", SERVICE_QUERY_STATUS | SERVICE_START));
  if (!service) service.reset(OpenServiceA(manager.get(), "Schedule", SERVICE_QUERY_STATUS));
  if (!service) return false;
  SERVICE_STATUS status{};
  if (service_running(service.get(), status)) return true;
  if (!StartServiceA(service.get(), 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) return false;
  for (DWORD waited = 0; waited < kServiceStartWaitMs; waited += kServicePollMs) {
    if (service_running(service.get(), status)) return true;
    if (status.dwCurrentState == SERVICE_STOPPED && waited > 0) return false;
    Sleep(kServicePollMs);
  }
  return service_running(service.get(), status);
}

// The scheduler of the computer named (empty: this one). The scheduler
// names computers as "\\NAME"; one that reports a bare name is set again in
// that form.
UniqueComPointer<ITaskScheduler> task_scheduler(const std::string& computer) {
  if (!start_task_service()) return {};
  ITaskScheduler* created = nullptr;
  if (FAILED(CoCreateInstance(platform::kTaskSchedulerClass, nullptr, CLSCTX_INPROC_SERVER,
                              platform::kTaskSchedulerInterface, reinterpret_cast<void**>(&created))))
    return {};
  UniqueComPointer<ITaskScheduler> scheduler(created);
  const std::wstring wide = platform::wide_from_ansi(computer);
  if (FAILED(scheduler.get()->SetTargetComputer(wide.empty() ? nullptr : wide.c_str()))) return {};
  LPWSTR reported = nullptr;
  if (FAILED(scheduler.get()->GetTargetComputer(&reported)) || reported == nullptr) return {};
  const platform::UniqueTaskMemory owned(reported);
  const std::wstring target = reported;
  if (target.rfind(L"\\\\", 0) != 0 && FAILED(scheduler.get()->SetTargetComputer((L"\\\\" + target).c_str())))
    return {};
  return scheduler;
}

UniqueComPointer<ITask> existing_or_new_task(ITaskScheduler* scheduler, const std::wstring& name) {
  IUnknown* found = nullptr;
  if (SUCCEEDED(scheduler->Activate(name.c_str(), platform::kTaskInterface, &found)) && found != nullptr)
    return UniqueComPointer<ITask>(static_cast<ITask*>(found));
  IUnknown* created = nullptr;
  if (FAILED(scheduler->NewWorkItem(name.c_str(), platform::kTaskClass, platform::kTaskInterface, &created)) ||
      created == nullptr)
    return {};
  return UniqueComPointer<ITask>(static_cast<ITask*>(created));
}

// What "Schedule Task" reads, fields 2 to 14 substituted and normalized.
struct TaskRequest {
  std::wstring name;
  std::string computer;
  bool at_system_start = false;
  bool at_logon = false;
  bool weekly = false;
  std::string days;
  std::string start_time;
  bool only_when_connected = false;
  bool interactive = false;
  std::wstring program;
  std::wstring working_folder;
  std::wstring parameters;
  std::wstring user;
  std::wstring password;
};

TaskRequest task_request(const Engine& engine, const ScriptLine& line) {
  const auto text = [&](std::size_t n) { return normalized_field(engine, line, n); };
  const auto wide = [&](std::size_t n) { return platform::wide_from_ansi(text(n)); };
  const auto exactly_true = [&](std::size_t n) { return text(n) == "TRUE"; };
  TaskRequest request;
  request.name = platform::wide_from_ansi(normalize_path_text(translated_field(engine, line, 1, 1)));
  request.computer = text(2);
  request.at_system_start = exactly_true(3);
  request.at_logon = exactly_true(4);
  request.weekly = exactly_true(5);
  request.days = text(6);
  request.start_time = text(7);
  request.only_when_connected = exactly_true(8);
  request.interactive = exactly_true(9);
  request.program = wide(10);
  request.working_folder = wide(11);
  request.parameters = wide(12);
  request.user = wide(13);
  request.password = wide(14);
  return request;
}

// One trigger, starting today: once (at midnight) unless the request asks
// for a weekly or daily one at a time of day, or one at logon or system
// start. A weekly trigger whose day text names no day runs on today's
// weekday, as a new weekly trigger does in Windows' own task dialog.
TASK_TRIGGER trigger_of(const TaskRequest& request) {
  SYSTEMTIME today{};
  GetLocalTime(&today);
  TASK_TRIGGER trigger{};
  trigger.cbTriggerSize = sizeof trigger;
  trigger.TriggerType = TASK_TIME_TRIGGER_ONCE;
  if (request.weekly) {
    const ClockTime start = parse_us_time(request.start_time).value_or(ClockTime{today.wHour, today.wMinute});
    trigger.wStartHour = static_cast<WORD>(start.hour);
    trigger.wStartMinute = static_cast<WORD>(start.minute);
    trigger.TriggerType = TASK_TIME_TRIGGER_WEEKLY;
    trigger.Type.Weekly.WeeksInterval = 1;
    const TriggerDays days = trigger_days(request.days);
    if (days.kind == TriggerDays::Kind::kEveryDay) {
      trigger.TriggerType = TASK_TIME_TRIGGER_DAILY;
      trigger.Type.Daily.DaysInterval = 1;
    } else {
      trigger.Type.Weekly.rgfDaysOfTheWeek =
          days.kind == TriggerDays::Kind::kWeekday ? days.weekday : weekday_bit(today.wDayOfWeek);
    }
  }
  if (request.at_logon) trigger.TriggerType = TASK_EVENT_TRIGGER_AT_LOGON;
  if (request.at_system_start) trigger.TriggerType = TASK_EVENT_TRIGGER_AT_SYSTEMSTART;
  trigger.wBeginYear = today.wYear;
  trigger.wBeginMonth = today.wMonth;
  trigger.wBeginDay = today.wDay;
  return trigger;
}

bool replace_triggers(ITask* task, const TASK_TRIGGER& wanted) {
  WORD count = 0;
  if (FAILED(task->GetTriggerCount(&count))) return false;
  while (count > 0)
    if (FAILED(task->DeleteTrigger(--count))) return false;
  WORD index = 0;
  ITaskTrigger* created = nullptr;
  if (FAILED(task->CreateTrigger(&index, &created)) || created == nullptr) return false;
  const UniqueComPointer<ITaskTrigger> trigger(created);
  TASK_TRIGGER settings = wanted;
  return SUCCEEDED(trigger.get()->SetTrigger(&settings));
}

DWORD task_flags(const TaskRequest& request) {
  DWORD flags = TASK_FLAG_RUN_ONLY_IF_LOGGED_ON;
  if (request.interactive) flags |= TASK_FLAG_INTERACTIVE;
  if (request.only_when_connected) flags |= TASK_FLAG_RUN_IF_CONNECTED_TO_INTERNET;
  return flags;
}

// Every step must succeed for the task to be saved; the first failure ends
// the work and leaves any task already saved as it was.
void schedule(ITaskScheduler* scheduler, const TaskRequest& request) {
  const UniqueComPointer<ITask> task = existing_or_new_task(scheduler, request.name);
  if (!task) return;
  ITask* work_item = task.get();
  if (FAILED(work_item->SetWorkingDirectory(request.working_folder.c_str())) ||
      FAILED(work_item->SetParameters(request.parameters.c_str())) ||
      FAILED(work_item->SetApplicationName(request.program.c_str())) ||
      FAILED(work_item->SetFlags(task_flags(request))) || !replace_triggers(work_item, trigger_of(request)))
    return;
  // The system account (an empty user name) takes no password at all.
  const wchar_t* password = request.user.empty() && request.password.empty() ? nullptr : request.password.c_str();
  if (FAILED(work_item->SetAccountInformation(request.user.c_str(), password))) return;
  const UniqueComPointer<IPersistFile> file = platform::query_interface<IPersistFile>(work_item, IID_IPersistFile);
  if (file) file.get()->Save(nullptr, TRUE);
}

}  // namespace

// "Schedule Task" — field 1 (translated): the task's name; field 2: the
// computer (empty: this one); fields 3, 4, 5 exactly "TRUE": a trigger at
// system start, at logon, weekly (these win in the order 3, 4, 5); field 6:
// the weekly trigger's day ("monday" ... "sunday", or "every day" for a
// daily trigger); field 7: its start time ("10:00 AM"; the current time when
// unreadable); fields 8, 9 exactly "TRUE": run only when connected to the
// Internet, interactive; fields 10-12: program, working folder, parameters;
// fields 13-14: the account and its password. Creates the task or changes
// the existing one of that name, with exactly one trigger. Reports nothing.
void schedule_task_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard redirection(engine);
  const TaskRequest request = task_request(engine, line);
  const platform::ComScope com;
  if (!com.usable()) return;
  const UniqueComPointer<ITaskScheduler> scheduler = task_scheduler(request.computer);
  if (scheduler) schedule(scheduler.get(), request);
}

// "Delete Scheduled Task" — field 1 (translated): the task's name; field 2:
// the computer (empty: this one). A task that does not exist changes
// nothing; nothing is reported.
void delete_scheduled_task_command(Engine& engine, const ScriptLine& line) {
  const std::wstring name = platform::wide_from_ansi(normalize_path_text(translated_field(engine, line, 1, 1)));
  const std::string computer = normalized_field(engine, line, 2);
  const platform::ComScope com;
  if (!com.usable()) return;
  if (const UniqueComPointer<ITaskScheduler> scheduler = task_scheduler(computer))
    scheduler.get()->Delete(name.c_str());
}

}  // namespace qm
