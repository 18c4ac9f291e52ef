#include "engine/instance_bootstrap.h"

#include <windows.h>
#include <msi.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <optional>
#include <vector>

#include "engine/engine.h"
#include "engine/instance_registration.h"
#include "engine/run_values.h"
#include "engine/selection_data.h"
#include "platform/account.h"
#include "platform/file_search.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"
#include "script/ansi_text.h"
#include "script/build_constants.h"
#include "script/path_text.h"
#include "script/script_error.h"
#include "script/text_lines.h"
#include "script/truth_text.h"

namespace qm {

namespace {

constexpr std::string_view kBootstrapCategory = "Bootstrap";

// What Windows Installer knows of the product code.
enum class InstalledBuild {
  kNone,     // not installed (or Windows Installer could not tell)
  kThis,     // installed with this build's package code: a maintenance run
  kAnother,  // installed from another build: an upgrade
};

// The instance file's lines replace the identity, each that it has.
void read_instance_file(const std::string& path, InstanceIdentity& identity) {
  const std::optional<std::string> text = platform::read_whole_file(path);
  if (!text) return;
  const std::vector<std::string> lines = split_lines(*text);
  std::string* const values[] = {&identity.product_code, &identity.revision_code, &identity.product_title};
  for (std::size_t i = 0; i < lines.size() && i < std::size(values); ++i)
    if (!lines[i].empty()) *values[i] = lines[i];
}

std::string program_files_folder(const Engine& engine) {
  const auto key = platform::RegistryKey::open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                               KEY_READ, engine.registry_view);
  return with_trailing_backslash(key.read_string("ProgramFilesDir").value_or(""));
}

// An administrator installs below the program files folder; anyone else
// where the user may write: the folder above the user's documents.
std::string default_target_folder(const Engine& engine, bool administrator) {
  std::string folder;
  if (administrator) {
    folder = program_files_folder(engine);
  } else {
    const std::string documents = platform::shell_folder(CSIDL_PERSONAL);
    folder = folder_of(documents.substr(0, documents.empty() ? 0 : documents.size() - 1));
  }
  return folder + engine.instance.product_title + "\\";
}

InstalledBuild installed_build(Engine& engine) {
  const InstanceIdentity& identity = engine.instance;
  try {
    if (engine.windows_installer.query_product_state(identity.product_code) != INSTALLSTATE_DEFAULT)
      return InstalledBuild::kNone;
    const auto product_info =
        engine.windows_installer.function<UINT WINAPI(LPCSTR, LPCSTR, LPSTR, LPDWORD)>("MsiGetProductInfoA");
    char package_code[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (product_info(identity.product_code.c_str(), "PackageCode", package_code, &size) != ERROR_SUCCESS)
      return InstalledBuild::kThis;
    return ansi_lower(package_code) == ansi_lower(identity.revision_code) ? InstalledBuild::kThis
                                                                         : InstalledBuild::kAnother;
  } catch (const std::exception&) {
    // msi.dll missing, or a function of it: nothing is known to be installed.
    return InstalledBuild::kNone;
  }
}

void load_pass_through_list(Engine& engine, const std::string& par_file) {
  if (const std::optional<std::string> text = platform::read_whole_file(par_file))
    engine.properties.append_pass_through_text(*text);
}

// The product installed and maintained by this very build: its model,
// settings and kept variables as the installed instance saved them.
void load_installed_instance(Engine& engine) {
  const std::string folder = selection_folder(engine);
  read_selection_file(engine, folder + engine.startup.engine_name + ".dat", SelectionReadMode::kFull);
  engine.components.baseline = 0;
  engine.components.add_selection_to_baseline();
  load_pass_through_list(engine, folder + engine.startup.engine_name + ".par");
}

// A first installation: the engine's own component, the default settings,
// and what an earlier run of the same build may have saved without
// installing.
void start_fresh_instance(Engine& engine, bool administrator, const std::string& target_folder) {
  engine.components.clear();
  engine.components.define(kPredefinedComponent, true, "");
  engine.properties.clear_pass_through();
  VariableStore& variables = engine.variables;
  variables.define("TARGETDIR", target_folder, kBootstrapCategory);
  variables.define("STARTMENU", engine.instance.product_title, kBootstrapCategory);
  variables.define("ALLUSERS", to_truth_text(administrator), kBootstrapCategory);
  read_selection_file(engine, selection_file_path(engine), SelectionReadMode::kFull);
}

// The engine cache folder of the installed instance, as it registered it
// (for all users, else for this user); empty when none is registered.
std::string registered_cache_folder(const std::string& product_code) {
  if (!names_a_subkey(product_code)) return {};
  for (const HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    const auto key = platform::RegistryKey::open(root, std::string(kIdentityCacheKey) + product_code, KEY_READ);
    if (key.valid()) return key.read_string("").value_or("");
  }
  return {};
}

bool is_instance_file(const std::string& path) {
  return ascii_equal_ignore_case(file_name_of(path), kInstanceFileName);
}

// The selection file in an older build's engine cache folder: the only one
// there, or else the first that lies beside its engine copy, resource
// archive, installer database and property file.
std::optional<std::string> older_selection_file(const std::string& folder) {
  platform::FileSearchOptions options;
  options.subfolders = false;
  options.list_folders = false;
  std::vector<std::string> candidates;
  for (const std::string& path : platform::search_files(folder + "*.dat", options))
    if (ascii_equal_ignore_case(extension_of(path), ".dat") && !is_instance_file(path)) candidates.push_back(path);
  if (candidates.size() == 1) return candidates.front();
  for (const std::string& path : candidates) {
    bool complete = true;
    for (const char* companion : {".exe", ".res", ".msi", ".par"})
      complete = complete && platform::file_exists(with_extension(path, companion));
    if (complete) return path;
  }
  return std::nullopt;
}

// An upgrade that carries the older build's selections over: its choices and
// kept variables, but the new package's component sizes.
void migrate_older_instance(Engine& engine) {
  const std::string registered = registered_cache_folder(engine.instance.product_code);
  if (registered.empty()) return;
  const std::string folder = with_trailing_backslash(registered);
  if (!platform::folder_exists(folder)) return;
  if (const std::optional<std::string> file = older_selection_file(folder))
    read_selection_file(engine, *file, SelectionReadMode::kFullWithoutSizes);
}

bool loads_older_data(const Engine& engine) {
  return substitute_constants("#LOADOLDDATA#", engine.package.build_constants) == kTrueText;
}

// The bootstrap's steps after the identity is fixed. `cached_engine`: an
// instance file lies beside the engine, which therefore runs from an engine
// cache rather than from the distribution media.
void detect_instance(Engine& engine, bool cached_engine) {
  VariableStore& variables = engine.variables;
  const InstanceIdentity& identity = engine.instance;
  const auto define = [&variables](std::string_view name, const std::string& value) {
    variables.define(name, value, kBootstrapCategory);
  };
  define("PRODUCTCODE", identity.product_code);
  define("REVISIONCODE", identity.revision_code);

  const bool administrator = platform::is_administrator();
  const std::string target_folder = default_target_folder(engine, administrator);
  const std::string cache = engine_cache_root(administrator) + identity.revision_code + "\\";
  define("UNINSTALLLINK", cache + file_name_of(engine.startup.engine_path));
  define("ENGINECACHE", cache);
  engine.startup.data_folder =
      engine.package.build_kind == kWebMediaBuild ? cache : engine.startup.engine_folder + "data\\";
  define("DATADIR", engine.startup.data_folder);

  const InstalledBuild installed = installed_build(engine);
  const bool upgrade = installed == InstalledBuild::kAnother;
  const bool maintenance = installed == InstalledBuild::kThis;
  define("NEEDSUPGRADE", to_truth_text(upgrade));
  define("MAINTENANCE", to_truth_text(maintenance));

  engine.components.baseline = 0;
  if (maintenance)
    load_installed_instance(engine);
  else
    start_fresh_instance(engine, administrator, target_folder);
  if (upgrade && loads_older_data(engine)) migrate_older_instance(engine);

  variables.define("NEWINSTANCE", to_truth_text(!cached_engine && (maintenance || upgrade)),
                   category::kInitialization);
}

}  // namespace

void bootstrap_instance(Engine& engine) {
  const std::string instance_file = engine.startup.engine_folder + std::string(kInstanceFileName);
  const bool cached_engine = platform::file_exists(instance_file);
  if (cached_engine) read_instance_file(instance_file, engine.instance);
  detect_instance(engine, cached_engine);
}

void load_patch_run_state(Engine& engine) {
  const StartupValues& startup = engine.startup;
  if (!platform::file_exists(startup.support_folder + startup.engine_name + ".msp")) return;
  std::string uninstaller = installed_uninstaller(engine, false);
  if (uninstaller.empty()) uninstaller = installed_uninstaller(engine, true);
  std::string folder = folder_of(uninstaller);
  if (folder.empty()) return;
  folder.pop_back();
  const std::string name = file_name_of(folder);
  // Without a registered engine copy there is no installed state to load.
  if (name.empty()) return;
  engine.installed_revision_code = name;

  const std::string user_file = startup.user_cache_root + name + "\\" + startup.engine_name + ".dat";
  const std::string selections =
      platform::file_exists(user_file) ? user_file : startup.common_cache_root + name + "\\" + startup.engine_name + ".dat";
  read_selection_file(engine, selections, SelectionReadMode::kFull);
  engine.components.add_selection_to_baseline();

  const bool all_users = is_true(engine.variables.get("ALLUSERS"));
  const std::string& root = all_users ? startup.common_cache_root : startup.user_cache_root;
  load_pass_through_list(engine, root + name + "\\" + startup.engine_name + ".par");
}

bool transform_instance(Engine& engine) {
  const VariableStore& variables = engine.variables;
  if (!variables.exists("NEWINSTANCE") || !is_true(variables.get("NEWINSTANCE"))) return false;
  const std::string database = variables.exists("MSIFILE") ? variables.get("MSIFILE") : std::string();
  if (platform::file_exists(folder_of(database) + engine.startup.engine_name + ".msp")) return false;
  engine.instance.product_code = new_guid_text();
  engine.instance.revision_code = new_guid_text();
  engine.new_instance = true;
  // The instance file beside the engine is not read again: it would give the
  // run back the identity it leaves.
  detect_instance(engine, false);
  return true;
}

std::string new_guid_text() {
  GUID guid{};
  if (FAILED(CoCreateGuid(&guid))) throw ScriptError("Unable to create a new product code");
  char text[40] = {};
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

}  // namespace qm
