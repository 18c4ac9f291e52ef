#include "commands/plugin/plugin_command.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <optional>

#include "commands/plugin/plugin_call.h"
#include "engine/engine.h"
#include "engine/run_values.h"
#include "platform/file_system.h"
#include "platform/folder_browser.h"
#include "platform/messages.h"
#include "script/path_text.h"
#include "script/script_error.h"
#include "script/truth_text.h"

namespace qm {

namespace {

// A folder holding a file named like the product code is the product's setup source.
bool holds_product_marker(const Engine& engine, const std::string& folder) {
  return platform::file_exists(folder + engine.package.product_code);
}

// Where the build put the library: under the line's media folder, or, for a
// line without one, in the support folder.
std::string library_path(Engine& engine, const std::string& media_folder,
                         const std::string& name) {
  if (media_folder.empty()) return engine.startup.support_folder + file_name_of(name);
  // A web-media build fetched the line's block into the web data folder
  // before the line ran.
  if (engine.package.build_kind == kWebMediaBuild && !engine.web_media.web_data_folder.empty())
    return engine.web_media.web_data_folder + media_folder + name;
  std::string path = engine.startup.data_folder + media_folder + name;
  if (engine.package.build_kind == kEngineCacheBuild && !platform::file_exists(path)) {
    // A maintenance build finds its media in the installed product's folder,
    // unless the command line or the data folder names the sources.
    std::string root = folder_of(installed_uninstaller(engine, is_true(engine.variables.get("ALLUSERS"))));
    if (!engine.startup.source_folder.empty()) root = with_trailing_backslash(engine.startup.source_folder);
    if (holds_product_marker(engine, engine.startup.data_folder)) root = engine.startup.data_folder;
    path = root + media_folder + name;
  }
  return path;
}

// Asks the user for the setup sources until a folder that holds them is
// chosen; the data folder then points there. Silent runs cannot ask.
void locate_setup_sources(Engine& engine) {
  while (!engine.silent()) {
    const auto folder = platform::browse_for_folder(engine.messages.text(message::kLocateSources), engine.current_window);
    if (!folder) break;
    if (holds_product_marker(engine, *folder)) {
      engine.startup.data_folder = *folder;
      return;
    }
    if (holds_product_marker(engine, *folder + "data\\")) {
      engine.startup.data_folder = *folder + "data\\";
      return;
    }
  }
  throw ScriptError(engine.messages.text(message::kSourcesNotFound));
}

// Shown in silent runs too: the setup goes on without the plug-in's work.
void report_missing_library(Engine& engine) {
  platform::show_message_box(kPluginMissingMessage, engine.caption(), MB_OK | MB_ICONERROR, engine.current_window);
}

}  // namespace

// A plug-in line — field 2: the library's file name, relative to the line's
// media folder; field 1: the plug-in's own parameter text, passed as written.
// The library receives the whole variable store and gives back the store that
// replaces it.
void plugin_line_command(Engine& engine, const ScriptLine& line) {
  const std::string media_folder(engine.package.line_media_folders[line.index]);
  const std::string name = engine.field(line, 2);
  std::string path = library_path(engine, media_folder, name);
  if (!platform::file_exists(path) && !media_folder.empty()) {
    locate_setup_sources(engine);
    path = library_path(engine, media_folder, name);
  }
  if (!platform::file_exists(path)) {
    report_missing_library(engine);
    return;
  }

  PluginRequest request{path, engine.current_window, engine.variables.serialize(), engine.field(line, 1)};
  std::mutex progress_lock;
  std::optional<ProgressState> reported;
  const PluginProgress progress = [&](int position, const std::string& text) {
    std::lock_guard guard(progress_lock);
    reported = ProgressState{text, 0, 100, std::clamp(position, 1, 100)};
  };
  platform::WorkerWait wait;
  wait.silent = engine.silent();
  wait.on_idle = [&] {
    std::optional<ProgressState> latest;
    {
      std::lock_guard guard(progress_lock);
      latest = std::exchange(reported, std::nullopt);
    }
    if (latest && engine.current_window != nullptr) {
      engine.progress.store(latest->text, latest->minimum, latest->maximum, latest->position);
      update_progress_display(engine, *latest, false);
    }
  };

  // File-system redirection is a setting of each thread, so the engine's own
  // 64-bit mode cannot reach the plug-in's worker; turning it off there would
  // make the library's own dependencies load from the 64-bit system folder.
  const PluginResult result = call_plugin(request, progress, engine.cancel_requested, wait);
  if (result.outcome != PluginOutcome::kCompleted && result.outcome != PluginOutcome::kFailed) {
    engine.trace.write("    Plug-in " + path + ": " + describe(result));
    if (result.outcome == PluginOutcome::kNotLoaded || result.outcome == PluginOutcome::kNoEntryPoint) {
      // A file that is no usable plug-in is as good as a missing one.
      report_missing_library(engine);
      return;
    }
  }
  if (result.text.empty()) throw ScriptError(engine.messages.text(message::kGeneralSetupFailure));
  engine.variables.replace_all(result.text);
}

}  // namespace qm
