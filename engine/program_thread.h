#pragma once
// A program thread: the start of a program (and the wait for its end) on a
// worker thread, while the interface thread keeps the wizard alive and the
// progress display following the script's PROGRESSTEXT and PROGRESS.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace qm {

struct Engine;

// Runs `work` on a program thread and returns when it has returned; the
// engine is busy meanwhile. A silent run simply blocks. `work` should end
// its wait soon once `stop` is set: the interface thread sets it when it
// cannot go on (a PROGRESS that is no integer, the script error this
// throws once the work has returned).
void run_on_program_thread(Engine& engine, const std::function<void(const std::atomic<bool>& stop)>& work);

// The program runner as the commands that drive system tools use it: the
// program started hidden through the shell on a program thread, and waited
// for, with file-system redirection off there for a 64-bit target. Its exit
// code (-1 when it could not be started).
std::int32_t run_hidden_and_wait(Engine& engine, const std::string& program, const std::string& parameters);

}  // namespace qm
