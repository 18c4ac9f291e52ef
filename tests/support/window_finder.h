#pragma once
// Finds the top-level windows of one program, so that a test never takes the
// window of another test running beside it for its own.

#include <windows.h>

#include <string>

namespace qm::test {

// The first visible top-level window of the process with this class (and
// caption, when not null).
HWND find_process_window(DWORD process_id, const char* window_class, const char* caption = nullptr);

// Waits up to a minute for such a window of this process; null when none came.
HWND wait_for_own_window(const char* window_class, const char* caption = nullptr);

// Waits up to a minute for such a window of a process running the program at
// `program_path`; null when none came.
HWND wait_for_program_window(const std::string& program_path, const char* window_class, const char* caption);

}  // namespace qm::test
