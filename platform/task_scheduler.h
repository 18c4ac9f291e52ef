#pragma once
// The Task Scheduler 1.0 interfaces (mstask.h) with their class and
// interface identifiers defined here: the import library that would supply
// them would also bind mstask.dll at load time, from wherever the loader
// finds it first, instead of through COM's registration.

#include <windows.h>
#include <objbase.h>
#include <mstask.h>

namespace qm::platform {

// The identifiers differ only in their first part.
inline constexpr GUID task_scheduler_id(unsigned long first) {
  return {first, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
}
inline constexpr GUID kTaskSchedulerClass = task_scheduler_id(0x148BD52A);
inline constexpr GUID kTaskClass = task_scheduler_id(0x148BD520);
inline constexpr GUID kTaskSchedulerInterface = task_scheduler_id(0x148BD527);
inline constexpr GUID kTaskInterface = task_scheduler_id(0x148BD524);

}  // namespace qm::platform
