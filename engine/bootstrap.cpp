#include "engine/bootstrap.h"

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/builtin_commands.h"
#include "engine/command_line.h"
#include "engine/engine.h"
#include "engine/interpreter.h"
#include "engine/package_reader.h"
#include "engine/run_initialisation.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/module_image.h"
#include "platform/shell_folders.h"

namespace qm {

namespace {

constexpr const char* kNoPackageMessage = "For internal use only";

// Only the first processor: older installer code was not safe on several.
void restrict_to_first_processor() {
  using SetAffinityFunction = BOOL(WINAPI*)(HANDLE, DWORD_PTR);
  const auto set_affinity = reinterpret_cast<SetAffinityFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetProcessAffinityMask")));
  if (set_affinity != nullptr) set_affinity(GetCurrentProcess(), 1);
}

std::string temporary_folder() {
  char path[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, path);
  std::string folder(path);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

CommandLine read_command_line() {
  std::vector<std::string> parameters;
  for (int i = 1; i < __argc; ++i) parameters.emplace_back(__argv[i]);
  return parse_command_line(GetCommandLineA(), parameters);
}

void fix_startup_values(Engine& engine, const CommandLine& command_line) {
  StartupValues& startup = engine.startup;
  startup.engine_path = platform::module_file_path(nullptr);
  startup.engine_folder = platform::folder_of(startup.engine_path);
  const std::string file_name = platform::file_name_of(startup.engine_path);
  startup.engine_name = file_name.substr(0, file_name.find_last_of('.'));
  startup.temp_folder = temporary_folder();
  startup.data_folder = startup.engine_folder + "data\\";
  startup.command_line_remainder = command_line.remainder;
  startup.trace_file = command_line.trace_file;
  startup.setup_file = command_line.setup_file;
  startup.group_policy_path = command_line.group_policy_path;
  startup.source_folder = command_line.source_folder;
  engine.variables.set_overrides(command_line.overrides);
  engine.set_silent(command_line.silent);
  engine.trace.set_path(command_line.trace_file);
}

enum class Stage { kContinue, kStop };

// Finds the package behind the engine and reads it.
Stage read_appended_package(Engine& engine, int& exit_code) {
  engine.trace.write("    <StubSize>");
  const auto appended = platform::find_appended_data(GetModuleHandleA(nullptr));
  if (appended.size == 0) {
    if (!engine.silent()) platform::show_message_box(kNoPackageMessage, engine.caption(), MB_OK | MB_ICONERROR);
    exit_code = kExitNoPackage;
    return Stage::kStop;
  }
  engine.trace.write("    </StubSize>");
  engine.trace.write("    <StubData>");
  const std::string text = platform::read_file_range(appended.file_path, appended.offset, appended.size);
  engine.trace.write("    </StubData>");
  engine.trace.write("    <GlobalLists>");
  engine.package = parse_package(text);
  engine.trace.write("    </GlobalLists>");
  return Stage::kContinue;
}

Stage find_installer_database(Engine& engine, int& exit_code) {
  engine.trace.write("    <ExtractResource>");
  const std::string base = engine.startup.engine_folder + engine.startup.engine_name;
  if (!platform::file_exists(base + ".msi") && !platform::file_exists(base + ".msp")) {
    if (!engine.silent()) platform::show_message_box(engine.messages.text(message::kDatabaseNotFound), engine.caption(), MB_OK | MB_ICONERROR);
    exit_code = kExitNoInstallerDatabase;
    return Stage::kStop;
  }
  engine.startup.installer_database = base + ".msi";
  engine.trace.write("    </ExtractResource>");
  return Stage::kContinue;
}

}  // namespace

int run_setup() {
  restrict_to_first_processor();
  const CommandLine command_line = read_command_line();
  auto engine = std::make_unique<Engine>();
  int exit_code = EXIT_SUCCESS;
  try {
    fix_startup_values(*engine, command_line);
    engine->trace.write("<Quillmore>");
    engine->trace.write("  <SetupSplash>");
    if (read_appended_package(*engine, exit_code) == Stage::kStop) return exit_code;
    if (find_installer_database(*engine, exit_code) == Stage::kStop) return exit_code;
    engine->trace.write("  </SetupSplash>");

    engine->trace.write("  <RunScript>");
    register_builtin_commands(engine->commands);
    switch (initialise_run(*engine)) {
      case InitialisationResult::kInvalidScript: return kExitInvalidScript;
      case InitialisationResult::kNoInstallerDatabase: break;
      case InitialisationResult::kRun: run_script(*engine); break;
    }
    engine->trace.write("  </RunScript>");
    exit_code = static_cast<int>(engine->exit_code);
    engine->trace.write("  <Free>");
    engine->trace.write("  </Free>");
  } catch (const std::exception& error) {
    if (!engine->silent())
      platform::show_message_box(engine->messages.text(message::kInstallErrorPrefix) + error.what(), engine->caption(),
                                 MB_OK | MB_ICONERROR);
    exit_code = kExitStartupFailure;
  }
  engine->trace.write("</Quillmore>");
  return exit_code;
}

}  // namespace qm
