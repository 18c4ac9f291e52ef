#include "engine/program_thread.h"

#include "engine/engine.h"
#include "platform/worker_wait.h"
#include "script/integer_text.h"

namespace qm {

namespace {

// The engine is busy (the wizard's timer shows the progress record) for
// exactly as long as the program thread runs, whatever ends the wait.
class BusyScope {
 public:
  explicit BusyScope(Engine& engine) : engine_(engine) { engine_.busy = true; }
  ~BusyScope() { engine_.busy = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  Engine& engine_;
};

}  // namespace

void run_on_program_thread(Engine& engine, const std::function<void(const std::atomic<bool>& stop)>& work) {
  std::atomic<bool> stop{false};
  platform::WorkerWait wait;
  wait.silent = engine.silent();
  wait.on_idle = [&engine] {
    engine.progress.store(engine.variables.get("PROGRESSTEXT"), 0, 100,
                          integer_text(engine.variables.get("PROGRESS")));
  };
  wait.stop = [&stop] { stop = true; };
  BusyScope busy(engine);
  platform::run_on_worker([&] { work(stop); }, wait);
}

}  // namespace qm
