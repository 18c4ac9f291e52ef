#include "engine/program_thread.h"

#include "engine/engine.h"
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

}  // namespace qm
