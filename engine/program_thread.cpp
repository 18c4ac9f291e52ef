#include "engine/program_thread.h"

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "platform/program_runner.h"
#include "platform/worker_wait.h"
#include "script/integer_text.h"

namespace qm {

void run_on_program_thread(Engine& engine, const std::function<void(const std::atomic<bool>& stop)>& work) {
  std::atomic<bool> stop{false};
  platform::WorkerWait wait;
  wait.silent = engine.silent();
  wait.on_idle = [&engine] {
    engine.progress.store(engine.variables.get("PROGRESSTEXT"), 0, 100,
                          integer_text(engine.variables.get("PROGRESS")));
  };
  wait.stop = [&stop] { stop = true; };
  BusyScope busy(engine.busy);
  platform::run_on_worker([&] { work(stop); }, wait);
}

std::int32_t run_hidden_and_wait(Engine& engine, const std::string& program, const std::string& parameters) {
  std::int32_t exit_code = -1;
  run_on_program_thread(engine, [&](const std::atomic<bool>& stop) {
    // File-system redirection is a thread's own: the program thread switches
    // it as the calling command did.
    const RedirectionGuard redirection(engine);
    exit_code = platform::run_with_shell({program, parameters, /*show=*/false, /*wait=*/true}, &stop);
  });
  return exit_code;
}

}  // namespace qm
