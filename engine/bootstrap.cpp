#include "engine/bootstrap.h"

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "engine/engine.h"
#include "engine/error_text.h"
#include "engine/interpreter.h"
#include "engine/languages.h"
#include "engine/resource_archive.h"
#include "engine/run_initialisation.h"
#include "engine/selection_data.h"
#include "engine/startup_windows.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/module_image.h"
#include "platform/private_temporary_file.h"
#include "platform/shell_folders.h"
#include "platform/system_library.h"
#include "platform/unique_resource.h"
#include "script/command_line.h"
#include "script/package_reader.h"
#include "script/path_text.h"
#include "script/secret_text.h"

namespace qm {

namespace {

constexpr const char* kNoPackageMessage = "For internal use only";
constexpr int kSupportFolderAttempts = 3;
// How much of the appended data is read at a time while looking for the
// package's end.
constexpr std::size_t kPackagePiece = 1u << 20;
// A package is a few megabytes; appended data that has not shown a package's
// end by this size holds none, and what was read is reported as cut short.
constexpr std::size_t kMaxPackageBytes = 128u << 20;

// A start-up step that ends the setup with this exit code; the message (a
// catalogue slot, or none) was shown already.
struct StartupFailure {
  int exit_code;
};

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
  const std::string folder = with_trailing_backslash(path);
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
  startup.engine_folder = folder_of(startup.engine_path);
  const std::string file_name = file_name_of(startup.engine_path);
  startup.engine_name = file_name.substr(0, file_name.find_last_of('.'));
  startup.temp_folder = temporary_folder();
  startup.command_line_remainder = command_line.remainder;
  startup.trace_file = command_line.trace_file;
  startup.setup_file = command_line.setup_file;
  startup.group_policy_path = command_line.group_policy_path;
  startup.source_folder = command_line.source_folder;
  engine.variables.set_overrides(command_line.overrides);
  engine.set_silent(command_line.silent);
  engine.trace.set_path(command_line.trace_file);
}

// The engine's texts in the user's language travel appended to the archive
// library; they pass through a temporary file on their way in.
void load_message_catalogue(Engine& engine) {
  const std::string library_path = engine.startup.engine_folder + "qvx.lib";
  const platform::UniqueLibrary library(LoadLibraryExA(library_path.c_str(), nullptr, 0));
  if (!library) return;
  try {
    const auto appended = platform::find_appended_data(library.get());
    if (appended.size > 0) {
      const std::string catalogue = engine.startup.temp_folder + "lang.loc";
      platform::write_whole_file(catalogue,
                                 platform::read_file_range(appended.file_path, appended.offset, appended.size));
      engine.messages.load(catalogue, user_language_name());
      DeleteFileA(catalogue.c_str());
    }
  } catch (const std::exception&) {
    // The built-in English texts serve.
  }
}

class Bootstrap {
 public:
  Bootstrap(Engine& engine, bool show_windows) : engine_(engine), show_windows_(show_windows) {}

  // Start-up steps, from the appended package to the script's end.
  void run() {
    if (show_windows_) {
      windows_.emplace(engine_.startup.engine_folder + "setup.bmp", engine_.messages.text(message::kWizardCaption),
                       engine_.messages.text(message::kPreparing));
    }
    read_appended_package();
    create_support_folder();
    extract_resources();
    copy_installer_database();
    engine_.startup.data_folder = engine_.startup.engine_folder + "data\\";
    preload_dialogs();
    windows_.reset();
    trace("  </SetupSplash>");

    trace("  <RunScript>");
    switch (initialise_run(engine_)) {
      case InitialisationResult::kInvalidScript: throw StartupFailure{kExitInvalidScript};
      case InitialisationResult::kNoInstallerDatabase: break;
      case InitialisationResult::kLanguageCancelled:
        end_of_script_cleanup(engine_);
        break;
      case InitialisationResult::kRun:
        run_script(engine_);
        save_selection_data(engine_);
        break;
    }
    trace("  </RunScript>");
  }

  // Every way out: the support folder goes, and the trace closes when asked.
  void remove_support_folder(bool trace_it) {
    if (trace_it) trace("  <CachedSupportDir>");
    const std::string& folder = engine_.startup.support_folder;
    // A folder still in use (a helper process of Windows Installer may keep
    // it as its working folder until this process ends) goes at the next
    // restart; its files are gone already.
    if (!folder.empty() && !platform::remove_folder_tree(folder, kSupportFolderAttempts))
      MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    if (trace_it) trace("  </CachedSupportDir>");
  }

 private:
  void trace(std::string_view line) { engine_.trace.write(line); }

  void fail(int slot_or_zero, int exit_code, void* owner = nullptr) {
    if (!engine_.silent() && slot_or_zero > 0)
      platform::show_message_box(engine_.messages.text(slot_or_zero), engine_.caption(), MB_OK | MB_ICONERROR, owner);
    throw StartupFailure{exit_code};
  }

  void read_appended_package() {
    trace("    <StubSize>");
    const auto appended = platform::find_appended_data(GetModuleHandleA(nullptr));
    if (appended.size == 0) {
      if (!engine_.silent())
        platform::show_message_box(kNoPackageMessage, engine_.caption(), MB_OK | MB_ICONERROR,
                                   windows_ ? windows_->preparing_window() : nullptr);
      throw StartupFailure{kExitNoPackage};
    }
    trace("    </StubSize>");
    trace("    <StubData>");
    // Only the package is taken out of the engine file, however much other
    // data follows it; the temporary copy is this run's alone.
    platform::PrivateTemporaryFile copy =
        platform::PrivateTemporaryFile::create(engine_.startup.temp_folder, "qvx", ".tmp");
    copy.write(appended_package(appended));
    trace("    </StubData>");
    trace("    <GlobalLists>");
    engine_.package = parse_package(copy.read_all());
    trace("    </GlobalLists>");
  }

  // The package's bytes: read piece by piece until the package is complete
  // (or the appended data ends, or passes any package's size: the package
  // reader then reports what is missing).
  static std::string appended_package(const platform::AppendedData& appended) {
    std::string package;
    PackageScanner scanner;
    std::optional<std::size_t> end;
    platform::read_file_pieces(appended.file_path, appended.offset, appended.size, kPackagePiece,
                               [&](std::string_view piece) {
                                 package += piece;
                                 end = scanner.scan(package, false);
                                 return !end && package.size() < kMaxPackageBytes;
                               });
    if (!end) end = scanner.scan(package, true);
    if (end) package.resize(*end);
    return package;
  }

  void create_support_folder() {
    trace("    <SupportDir>");
    engine_.startup.support_folder = platform::create_numbered_folder(engine_.startup.temp_folder, "qvx");
    trace("    </SupportDir>");
  }

  void extract_resources() {
    trace("    <ExtractArchive>");
    const std::string archive = engine_.startup.engine_folder + engine_.startup.engine_name + ".res";
    if (!platform::file_exists(archive)) fail(message::kResourceNotFound, kExitNoResourceArchive);
    const std::string password =
        secret_for(engine_.package.web_media_secrets, engine_.startup.engine_name + ".res", false).value_or("");
    const ArchiveExtraction extraction = extract_resource_archive(archive, engine_.startup.support_folder, password);
    if (!extraction.extracted) fail(message::kResourceDecompressionFailure, kExitResourceArchiveDamaged);
    trace("    </ExtractArchive>");
  }

  void copy_installer_database() {
    trace("    <ExtractResource>");
    const std::string base = engine_.startup.engine_folder + engine_.startup.engine_name;
    if (!platform::file_exists(base + ".msi") && !platform::file_exists(base + ".msp"))
      fail(message::kDatabaseNotFound, kExitNoInstallerDatabase);
    trace("    </ExtractResource>");
    trace("    <ResourcePath>");
    for (const char* extension : {".msi", ".msp"}) {
      const std::string source = base + extension;
      const std::string copy = engine_.startup.support_folder + engine_.startup.engine_name + extension;
      if (platform::file_exists(source)) platform::copy_as_normal_file(source, copy);
    }
    engine_.startup.installer_database = engine_.startup.support_folder + engine_.startup.engine_name + ".msi";
    trace("    </ResourcePath>");
  }

  // Each active "Display Dialog" line's page is loaded before the script
  // starts, so that showing it later is immediate.
  void preload_dialogs() {
    trace("    <Dialogs>");
    const SetupPackage& package = engine_.package;
    std::vector<std::size_t> dialogs;
    for (std::size_t line = 0; line < package.line_count(); ++line)
      if (package.command(line) == "Display Dialog" && !package.is_commented_out(line)) dialogs.push_back(line);
    if (windows_) {
      windows_->set_progress_range(static_cast<int>(dialogs.size()));
      windows_->set_progress(1);
    }
    for (std::size_t line : dialogs) {
      engine_.user_interface->preload_dialog(engine_, line);
      if (windows_) windows_->step_progress();
    }
    trace("    </Dialogs>");
  }

  Engine& engine_;
  bool show_windows_;
  std::optional<StartupWindows> windows_;
};

}  // namespace

int run_setup(std::unique_ptr<Engine> engine) {
  restrict_to_first_processor();
  int exit_code = EXIT_SUCCESS;
  const CommandLine command_line = read_command_line();
  fix_startup_values(*engine, command_line);
  load_message_catalogue(*engine);

  Bootstrap bootstrap(*engine, !command_line.silent && !command_line.no_splash);
  engine->trace.write("<Quillmore>");
  engine->trace.write("  <SetupSplash>");
  try {
    bootstrap.run();
    exit_code = static_cast<int>(engine->exit_code);
    engine->trace.write("  <Free>");
    engine->trace.write("  </Free>");
  } catch (const StartupFailure& failure) {
    // The trace stops where the start-up did; only what the setup put in the
    // temporary folder is taken away again.
    bootstrap.remove_support_folder(false);
    return failure.exit_code;
  } catch (const std::exception& error) {
    if (!engine->silent())
      platform::show_message_box(engine->messages.text(message::kInstallErrorPrefix) + user_text_of(*engine, error),
                                 engine->caption(), MB_OK | MB_ICONERROR);
    exit_code = kExitStartupFailure;
  }
  bootstrap.remove_support_folder(true);
  engine->trace.write("</Quillmore>");
  return exit_code;
}

}  // namespace qm
