#pragma once
// The run's state, owned in one place and handed to every command handler:
// the package read at start-up, the variables, where the script stands, the
// recorded installer properties, the components, the trace, and the values
// fixed at start-up.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/command_catalogue.h"
#include "engine/component_model.h"
#include "engine/progress.h"
#include "engine/script_state.h"
#include "engine/subsystems.h"
#include "engine/trace.h"
#include "engine/web_media_state.h"
#include "platform/msi_library.h"
#include "platform/registry_view.h"
#include "platform/text_file_reader.h"
#include "script/arithmetic.h"
#include "script/installer_properties.h"
#include "script/message_catalogue.h"
#include "script/setup_package.h"
#include "script/translations.h"
#include "script/variable_store.h"

namespace qm {

namespace platform {
class TrayIcon;
}

// Values the bootstrap fixes before the script runs.
struct StartupValues {
  std::string engine_path;             // the running executable
  std::string engine_folder;           // with a trailing backslash
  std::string engine_name;             // file name without extension
  std::string temp_folder;             // with a trailing backslash
  std::string support_folder;          // private folder of this run, with a trailing backslash
  std::string data_folder;             // uncompressed media beside the engine
  std::string installer_database;      // the support folder's copy of the .msi
  std::string command_line_remainder;  // the command line without the program
  std::string trace_file;              // "/l=" value, lower-cased
  std::string setup_file;              // "/m=" value
  std::string group_policy_path;       // "/g=" value
  std::string source_folder;           // "/p=" value
  std::string common_cache_root;       // engine cache roots, for all users and for this user
  std::string user_cache_root;
};

// The DATE and TIME texts, formatted again only when the clock moves on.
struct RunClock {
  int second = -1;
  int minute = -1;
  std::string date;
  std::string time;
};

enum class TargetPlatform { kWin32, kIa64, kX64 };

// What identifies the product's installed instance. The package's values,
// unless the engine runs from an instance's engine cache (whose
// "instance.dat" names them) or "Transform Instance" made a new instance.
struct InstanceIdentity {
  std::string product_code;   // the Windows Installer product code, in braces
  std::string revision_code;  // the package code of the build; names its engine cache folder
  std::string product_title;
};

struct Engine {
  SetupPackage package;
  VariableStore variables;
  CommandCatalogue commands;
  ScriptState script;
  Trace trace;
  InstallerPropertyLists properties;
  ComponentModel components;
  Translations translations;
  MessageCatalogue messages;
  StartupValues startup;

  // One entry per line: "SKIP", "FALSE" for a deferred change line not yet
  // run, "TRUE" once it ran.
  std::vector<std::string> deferred_lines;
  // Triples for the installer database's Shortcut and ProgId tables, written
  // when a language is active: (directory key, name, description) and
  // (ProgId as written, translated ProgId, translated description).
  std::vector<std::string> shortcut_texts;
  std::vector<std::string> progid_texts;

  InstanceIdentity instance;
  // "Transform Instance" made this run a new instance: its package gets new
  // component identifiers (once per run) and the instance's codes.
  bool new_instance = false;
  bool new_instance_components_renewed = false;
  // A build that works from the installed product's engine cache: the name
  // of that cache folder, found in a patch run (empty until then).
  std::string installed_revision_code;
  // Set by the engine cache update after "Apply Changes": the cache was
  // written (install, advertisement) or removed (removal).
  bool cache_written = false;
  bool cache_removed = false;

  WebMediaState web_media;

  TargetPlatform target_platform = TargetPlatform::kWin32;
  // The registry view of the commands that open keys in the view of the
  // target platform; switched around each such command (RegistryViewGuard in
  // engine/command_parameters.h).
  platform::RegistryView registry_view = platform::RegistryView::kDefault;
  // Windows Installer, bound when a command or the installer first calls it;
  // one binding for the whole run.
  platform::MsiLibrary windows_installer;
  // Seeded and drawn by "Mathematics"; all zero when the process starts.
  PseudoRandomGenerator random_generator;
  std::uint32_t exit_code = 0;

  // Set by the user interface when the user confirms cancelling; read by the
  // script (ABORT) and by worker threads.
  std::atomic<bool> cancel_requested{false};
  // The non-modal dialog on screen, or null (WINDOWHANDLE).
  void* current_window = nullptr;
  // The wizard page on screen, shown with or without waiting (or the one to
  // show when the wizard comes back from the tray), or null.
  void* dialog_window = nullptr;
  // The notification-area icon, made when a command first shows it
  // (engine/tray.h), and whether the wizard is hidden there.
  std::unique_ptr<platform::TrayIcon> tray_icon;
  bool in_tray = false;
  // PROGRESSTEXT and PROGRESS as they were when last published (engine/progress.h).
  ProgressState last_progress;
  // The progress workers store and the dialog shows.
  ProgressRecord progress;
  // Set around long operations (Windows Installer, programs, archives): the
  // dialog then shows the progress record every second.
  std::atomic<bool> busy{false};
  // The cancel request as the Windows Installer worker sees it, copied by the
  // progress display.
  std::atomic<bool> apply_cancelled{false};
  RunClock clock;
  // The file "Read from Text File" reads, kept open from one line to the next
  // until its end, another file or a write to it.
  platform::TextFileReader text_file;

  // Caption parts, refreshed from TITLE and VRAKLOGO before every line.
  std::string caption_title;
  bool caption_title_only = false;

  // The subsystems above the engine, wired by the program entry; never null.
  std::unique_ptr<UserInterface> user_interface = make_windowless_interface();
  std::unique_ptr<SystemRestart> restart = make_windows_restart();
  std::unique_ptr<MediaDelivery> media = make_no_media_delivery();

  Engine();
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  bool silent() const { return variables.silent_run(); }
  void set_silent(bool silent) { variables.set_silent_run(silent); }

  // The caption of every message box and window of the engine.
  std::string caption() const;

  // Raw parameter field n of a script line.
  std::string field(std::size_t line, std::size_t n) const { return package.field_of_line(line, n); }
  std::string field(const ScriptLine& line, std::size_t n) const { return package.field(line.id, n); }
};

inline constexpr std::string_view kProductName = "Quillmore";

}  // namespace qm
