// The handler of "Run Light Mode Setup": a setup package file without an
// engine (a light-mode setup) run by this engine. The package file P is
// turned into a setup for the run (this engine's program image followed by
// the package) and put back as it was afterwards; the archive library goes
// beside it for the run.

#include <windows.h>

#include <optional>
#include <string>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "engine/program_thread.h"
#include "platform/file_system.h"
#include "platform/program_runner.h"
#include "script/path_text.h"
#include "script/pe_image.h"

namespace qm {

namespace {

// The running engine's program: its file up to the image end, without the
// package appended to it.
std::optional<std::string> engine_image(const std::string& engine_path) {
  std::optional<std::string> bytes = platform::read_whole_file(engine_path);
  if (!bytes) return std::nullopt;
  const auto end = pe_image_end(reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size());
  if (!end || *end > bytes->size()) return std::nullopt;
  bytes->resize(*end);
  return bytes;
}

void delete_file(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
}

// The package file while it runs as a setup: P + ".nox" holds the package,
// P the engine with the package. Whatever ends the command, the destructor
// puts P back.
class LightModeSetup {
 public:
  explicit LightModeSetup(std::string package)
      : package_(std::move(package)), staged_(package_ + ".to"), kept_(package_ + ".nox"),
        library_(folder_of(package_) + "qvx.lib") {}
  ~LightModeSetup() { restore(); }
  LightModeSetup(const LightModeSetup&) = delete;
  LightModeSetup& operator=(const LightModeSetup&) = delete;

  bool prepare(const std::string& engine_path) {
    const std::optional<std::string> image = engine_image(engine_path);
    const std::optional<std::string> package = platform::read_whole_file(package_);
    if (!image || !package) return false;
    try {
      platform::write_whole_file(staged_, *image + *package);
    } catch (const std::exception&) {
      delete_file(staged_);
      return false;
    }
    // A P + ".nox" left from an earlier run is not replaced: it may be the
    // only copy of a package.
    if (!MoveFileA(package_.c_str(), kept_.c_str())) {
      delete_file(staged_);
      return false;
    }
    if (!MoveFileA(staged_.c_str(), package_.c_str())) {
      MoveFileA(kept_.c_str(), package_.c_str());
      delete_file(staged_);
      return false;
    }
    prepared_ = true;
    return true;
  }

  // Only a library that was not there is copied, so that only the copy is
  // deleted afterwards (P may lie beside this engine, or beside a library
  // of its own).
  void bring_library(const std::string& engine_folder) {
    if (platform::file_exists(library_)) return;
    library_copied_ = CopyFileA((engine_folder + "qvx.lib").c_str(), library_.c_str(), TRUE) != 0;
  }

 private:
  void restore() {
    if (library_copied_) delete_file(library_);
    if (!prepared_) return;
    if (!DeleteFileA(package_.c_str())) set_aside_running_setup();
    if (MoveFileA(kept_.c_str(), package_.c_str())) return;
    // The package must not stay under another name: a copy puts it back,
    // and P + ".nox" goes only once the copy is there.
    if (CopyFileA(kept_.c_str(), package_.c_str(), TRUE)) delete_file(kept_);
  }

  // A setup that was not waited for still runs from P, which cannot be
  // deleted then; a running program's file can be renamed, so it makes way
  // for the package and goes when Windows next starts.
  void set_aside_running_setup() {
    for (int n = 1; n < 1000; ++n) {
      const std::string aside = package_ + "." + std::to_string(n) + ".old";
      if (MoveFileA(package_.c_str(), aside.c_str())) {
        MoveFileExA(aside.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        return;
      }
      if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) return;
    }
  }

  std::string package_;
  std::string staged_;
  std::string kept_;
  std::string library_;
  bool prepared_ = false;
  bool library_copied_ = false;
};

}  // namespace

// Field 1: the light-mode package file; 2: a variable for the setup's exit
// code ("-1" when it could not be prepared); 3: the setup's command-line
// parameters; 4: truth, wait for its end.
void run_light_mode_setup_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  const std::string variable = bare_variable_field(engine, line, 2);
  platform::ShellProgram start;
  start.program = normalized_field(engine, line, 1);
  start.parameters = normalized_field(engine, line, 3);
  start.wait = truth_field(engine, line, 4);

  std::int32_t exit_code = -1;
  {
    LightModeSetup setup(start.program);
    if (setup.prepare(engine.startup.engine_path)) {
      setup.bring_library(engine.startup.engine_folder);
      run_on_program_thread(engine, [&](const std::atomic<bool>& stop) {
        // Redirection is a thread's own: the program thread needs it too.
        const RedirectionGuard thread_guard(engine);
        exit_code = platform::run_with_shell(start, &stop);
      });
    }
  }
  if (!variable.empty()) set_or_define_result(engine, line, variable, std::to_string(exit_code));
}

}  // namespace qm
