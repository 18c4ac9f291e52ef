// "Apply Changes" and "Apply Patch": the product's package (or patch) handed
// to Windows Installer with everything the script decided.

#include <windows.h>

#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "engine/languages.h"
#include "engine/run_values.h"
#include "installer/database_edits.h"
#include "installer/engine_cache.h"
#include "installer/msi_worker.h"
#include "platform/file_system.h"
#include "platform/folder_browser.h"
#include "script/path_text.h"
#include "script/truth_text.h"

namespace qm {

namespace {

constexpr const char* kLocateSourcesTitle = "Please locate your original setup sources to continue operation";
constexpr const char* kSourcesNotFound = "Original setup sources required to complete operation, sources not found";

// The folder the installed product's engine runs from, as its uninstall
// entry names it; a source folder given on the command line comes first.
std::string installed_source_folder(const Engine& engine) {
  if (!engine.startup.source_folder.empty()) return with_trailing_backslash(engine.startup.source_folder);
  return folder_of(installed_uninstaller(engine, is_true(engine.variables.get("ALLUSERS"))));
}

bool holds_marker(const Engine& engine, const std::string& folder) {
  return !folder.empty() && platform::file_exists(folder + engine.package.product_code);
}

// The folder itself or its "data\" when it holds the media.
std::optional<std::string> media_in(const Engine& engine, const std::string& folder) {
  if (holds_marker(engine, folder)) return folder;
  if (holds_marker(engine, folder + "data\\")) return folder + "data\\";
  return std::nullopt;
}

// Asks for the media until a folder holds them (directly or below "data\");
// nothing when the user gives up or the run is silent. A setup source folder
// given on the command line answers first, so that a silent maintenance run
// can be pointed at the media as the user would point to them.
std::optional<std::string> ask_for_media(Engine& engine) {
  if (!engine.startup.source_folder.empty())
    if (auto given = media_in(engine, with_trailing_backslash(engine.startup.source_folder))) return given;
  if (engine.silent()) return std::nullopt;
  while (true) {
    const std::optional<std::string> chosen = platform::browse_for_folder(kLocateSourcesTitle, engine.dialog_window);
    if (!chosen) return std::nullopt;
    if (auto found = media_in(engine, *chosen)) return found;
  }
}

enum class MediaSearch { kFound, kCancelled };

// Where the product's uncompressed media are: `source_folder` may move to the
// data folder (a build that runs from the engine cache), the data folder to
// a folder the user shows.
MediaSearch locate_media(Engine& engine, std::string& source_folder, bool may_ask) {
  const bool from_cache = engine.package.build_kind == kEngineCacheBuild;
  std::string& data_folder = engine.startup.data_folder;
  if (from_cache && !holds_marker(engine, source_folder) && holds_marker(engine, data_folder))
    source_folder = data_folder;
  const bool missing = from_cache ? !holds_marker(engine, source_folder) : !holds_marker(engine, data_folder);
  if (!missing || !may_ask || engine.package.build_kind == kWebMediaBuild) return MediaSearch::kFound;
  const std::optional<std::string> found = ask_for_media(engine);
  if (!found) return MediaSearch::kCancelled;
  data_folder = *found;
  return MediaSearch::kFound;
}

ApplySettings settings_for(const Engine& engine, const std::string& package, const std::string& source_folder) {
  const VariableStore& variables = engine.variables;
  ApplySettings settings;
  settings.package = package;
  settings.target_folder = normalize_path_text(variables.expand(variables.get("TARGETDIR")));
  settings.product_code = engine.instance.product_code;
  settings.all_users = variables.get("ALLUSERS") == "TRUE";
  settings.variables = variables.serialize();
  settings.pass_through = engine.properties.pass_through_comma_text();
  // A first install has no installed source folder: the data folder is the source.
  settings.source_folder = source_folder.empty() ? engine.startup.data_folder : source_folder;
  settings.data_folder = engine.startup.data_folder;
  settings.advertise_marker = engine_cache_folder(engine) + "__ad";
  settings.log_file = engine.startup.trace_file;
  settings.caption = engine.caption();
  return settings;
}

const char* result_text(ApplyResult result) {
  switch (result) {
    case ApplyResult::kCancelled: return "CANCEL";
    case ApplyResult::kFailed: return "ERROR";
    case ApplyResult::kCompleteWithReboot: return "REBOOT";
    case ApplyResult::kComplete: return "COMPLETE";
  }
  return "ERROR";
}

void report(Engine& engine, const ScriptLine& line, const std::string& result_variable, ApplyResult result,
            const std::string& error_text) {
  if (!error_text.empty()) set_or_define_result(engine, line, "LASTERROR", error_text);
  if (result == ApplyResult::kCompleteWithReboot) set_or_define_result(engine, line, "REBOOTCOMPUTER", "TRUE");
  if (!result_variable.empty()) set_or_define_result(engine, line, result_variable, result_text(result));
}

void report_missing_media(Engine& engine, const ScriptLine& line, const std::string& result_variable) {
  set_or_define_result(engine, line, "LASTERROR", kSourcesNotFound);
  if (!result_variable.empty()) set_or_define_result(engine, line, result_variable, "CANCEL");
}

// Everything both commands do before Windows Installer runs; false when the
// media could not be found.
bool prepare_apply(Engine& engine, std::string& source_folder, bool may_ask) {
  source_folder = installed_source_folder(engine);
  if (locate_media(engine, source_folder, may_ask) == MediaSearch::kCancelled) return false;
  if (engine.package.build_kind == kWebMediaBuild) engine.media->fetch_block(engine, "OFFLINE\\");
  engine.properties.record("MSINTEMP", engine.startup.temp_folder);
  return true;
}

void translate_package_texts(Engine& engine, const std::string& package) {
  if (!engine.translations.active()) return;
  engine.properties.set_installer_property(
      "ProductLanguage", std::to_string(language_identifier(engine.translations.current_language)));
  translate_shortcuts(engine.windows_installer, package, engine.shortcut_texts);
  translate_progids(engine.windows_installer, package, engine.progid_texts);
}

}  // namespace

// Field 1: the progress page; 2: the result variable; 3: install (or
// reinstall); 4: remove, read when field 3 is false. Both false advertise.
void apply_changes_command(Engine& engine, const ScriptLine& line) {
  const std::string result_variable = bare_variable_field(engine, line, 2);
  const bool install = truth_field(engine, line, 3);
  const bool remove = !install && truth_field(engine, line, 4);
  std::string source_folder;
  if (!prepare_apply(engine, source_folder, is_true(engine.variables.get("MAINTENANCE")) && install))
    return report_missing_media(engine, line, result_variable);

  const std::string package = folder_of(engine.startup.installer_database) + engine.startup.engine_name + ".msi";
  translate_package_texts(engine, package);
  ApplySettings settings = settings_for(engine, package, source_folder);
  settings.install = install || !remove;
  settings.advertise = !install && !remove;
  ApplyOutcome outcome;
  const ApplyResult result = run_installer(engine, settings, outcome);
  report(engine, line, result_variable, result, outcome.error_text);
  if (result == ApplyResult::kComplete || result == ApplyResult::kCompleteWithReboot)
    update_engine_cache(engine, install ? CacheUpdate::kInstall : (remove ? CacheUpdate::kRemove : CacheUpdate::kAdvertise));
}

// Field 1: the result variable; 3: ask for the media when they are missing.
void apply_patch_command(Engine& engine, const ScriptLine& line) {
  const std::string result_variable = bare_variable_field(engine, line, 1);
  std::string source_folder;
  if (!prepare_apply(engine, source_folder, truth_field(engine, line, 3)))
    return report_missing_media(engine, line, result_variable);

  const std::string package = folder_of(engine.startup.installer_database) + engine.startup.engine_name + ".msp";
  ApplySettings settings = settings_for(engine, package, engine.startup.data_folder);
  settings.patch = true;
  ApplyOutcome outcome;
  const ApplyResult result = run_installer(engine, settings, outcome);
  report(engine, line, result_variable, result, outcome.error_text);
}

}  // namespace qm
