#include "tests/support/engine_run.h"

#include "program/engine_wiring.h"
#include "script/package_reader.h"

namespace qm::test {

namespace {

// Restart requests are noted instead of restarting this machine.
class RestartRecorder : public SystemRestart {
 public:
  explicit RestartRecorder(std::vector<RestartKind>& requests) : requests_(requests) {}
  void request(RestartKind kind) override { requests_.push_back(kind); }

 private:
  std::vector<RestartKind>& requests_;
};

}  // namespace

EngineRun::EngineRun(const PackageText& package, std::vector<OverrideValue> overrides) {
  Engine& engine = *engine_;
  engine.package = parse_package(package.text());
  wire_engine(engine);
  engine.commands.replace("Display Dialog", [this](Engine& running, const ScriptLine& line) {
    dialogs_shown.push_back(running.field(line, 1));
    std::string answer = "NEXT";
    if (!dialog_answers.empty()) {
      answer = dialog_answers.front();
      dialog_answers.pop_front();
    }
    const std::string result = running.field(line, 2);
    if (!result.empty()) running.variables.define(result, answer, "Display Dialog Action");
    running.script.follow_dialog_result(answer);
  });
  engine.restart = std::make_unique<RestartRecorder>(restarts);

  StartupValues& startup = engine.startup;
  startup.engine_folder = folder_.path();
  startup.engine_name = "setup";
  startup.engine_path = folder_.file("setup.exe");
  startup.temp_folder = folder_.path();
  startup.support_folder = folder_.file("qvx1\\");
  startup.data_folder = folder_.file("data\\");
  startup.installer_database = folder_.file("setup.msi");
  write_file(startup.installer_database, "");
  engine.variables.set_overrides(std::move(overrides));
  engine.set_silent(true);
}

bool EngineRun::run() {
  initialisation_ = initialise_run(*engine_);
  if (initialisation_ != InitialisationResult::kRun) return false;
  outcome_ = run_script(*engine_);
  return true;
}

}  // namespace qm::test
