#include "tests/support/engine_run.h"

#include "engine/builtin_commands.h"
#include "engine/package_reader.h"

namespace qm::test {

EngineRun::EngineRun(const PackageText& package, std::vector<OverrideValue> overrides) {
  Engine& engine = *engine_;
  engine.package = parse_package(package.text());
  register_builtin_commands(engine.commands);
  engine.commands.add("Display Dialog", [this](Engine& running, const ScriptLine& line) {
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
  engine.request_restart = [this](RestartKind kind) { restarts.push_back(kind); };

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
