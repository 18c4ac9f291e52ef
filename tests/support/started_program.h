#pragma once
// A program started without waiting for it: the tests that act as a setup's
// user start it, drive its windows, then wait for its end. The wait is
// bounded and a failed user ends the program, so a test that goes wrong
// half-way never waits for windows nobody will close.

#include <cstdint>
#include <string>

#include "platform/unique_resource.h"

namespace qm::test {

class StartedProgram {
 public:
  // The exit code of a program this class had to end.
  static constexpr std::uint32_t kEndedByTest = 0xDEAD;

  // Throws std::runtime_error when the program cannot be started.
  explicit StartedProgram(const std::string& command_line);
  StartedProgram(StartedProgram&&) = default;
  StartedProgram& operator=(StartedProgram&&) = default;
  // Ends the program if it still runs.
  ~StartedProgram();

  // Waits for the program's end and gives its full exit code; after
  // `timeout_ms` the program is ended and the code is kEndedByTest.
  std::uint32_t wait(std::uint32_t timeout_ms = 5 * 60 * 1000);
  // Ends the program at once (the user failed half-way).
  void end();

 private:
  platform::UniqueHandle process_;
};

}  // namespace qm::test
