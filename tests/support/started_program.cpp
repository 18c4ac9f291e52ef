#include "tests/support/started_program.h"

#include <windows.h>

#include <stdexcept>

namespace qm::test {

StartedProgram::StartedProgram(const std::string& command_line) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string mutable_line = command_line;
  if (!CreateProcessA(nullptr, mutable_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    throw std::runtime_error("cannot start " + command_line + " (error " + std::to_string(GetLastError()) + ")");
  CloseHandle(process.hThread);
  process_.reset(process.hProcess);
}

StartedProgram::~StartedProgram() { end(); }

std::uint32_t StartedProgram::wait(std::uint32_t timeout_ms) {
  if (!process_) return kEndedByTest;
  if (WaitForSingleObject(process_.get(), timeout_ms) != WAIT_OBJECT_0) end();
  DWORD code = kEndedByTest;
  if (process_) GetExitCodeProcess(process_.get(), &code);
  return code;
}

void StartedProgram::end() {
  if (!process_ || WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) return;
  TerminateProcess(process_.get(), kEndedByTest);
  WaitForSingleObject(process_.get(), 10000);
}

}  // namespace qm::test
