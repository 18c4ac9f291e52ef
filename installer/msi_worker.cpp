#include "installer/msi_worker.h"

#include <msiquery.h>

#include "engine/engine.h"
#include "engine/run_values.h"
#include "installer/database_edits.h"
#include "installer/install_log_header.h"
#include "installer/installer_messages.h"
#include "installer/installer_property_file.h"
#include "installer/installer_property_string.h"
#include "platform/account.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/windows_error.h"
#include "platform/worker_wait.h"
#include "platform/working_folder.h"
#include "script/ansi_text.h"
#include "script/path_text.h"

namespace qm {

namespace {

// Every message kind from fatal exit to show-dialog except files-in-use.
constexpr DWORD kExternalUiFilter = 0x7FDF;
// No user interface, but Windows Installer may still resolve its sources.
constexpr INSTALLUILEVEL kInternalUiLevel = static_cast<INSTALLUILEVEL>(INSTALLUILEVEL_NONE | INSTALLUILEVEL_SOURCERESONLY);
constexpr DWORD kLogMode = 0x3FDF;
constexpr DWORD kLogAttributes = INSTALLLOGATTRIBUTES_APPEND | INSTALLLOGATTRIBUTES_FLUSHEACHLINE;

// Where the package and its sources are, in the forms Windows Installer is given.
struct SourcePaths {
  std::string package_folder;
  std::string source_folder;
  std::string data_folder;
  std::string media_path;
  std::string source_list;
  bool quote_paths = false;
};

// A path with a blank goes in quotes unless its 8.3 form has none.
std::string shortened(const std::string& path, bool& quote_paths) {
  const std::string short_form = platform::short_path_form(path);
  if (short_form.empty()) {
    quote_paths = true;
    return path;
  }
  if (short_form.find(' ') != std::string::npos) quote_paths = true;
  return short_form;
}

std::string shortened_if_present(const std::string& folder, bool& quote_paths) {
  return platform::folder_exists(folder) ? shortened(folder, quote_paths) : folder;
}

// "C:\Dist\Data\" has the media path "\Dist\".
std::string media_path_of(const std::string& source_folder) {
  std::string parent = source_folder;
  if (parent.ends_with('\\')) parent.pop_back();
  parent = folder_of(parent);
  return parent.substr(drive_of(parent).size());
}

SourcePaths source_paths(const ApplySettings& settings) {
  SourcePaths paths;
  paths.package_folder = shortened(folder_of(settings.package), paths.quote_paths);
  if (!settings.patch && !settings.source_folder.empty()) CreateDirectoryA(settings.source_folder.c_str(), nullptr);
  paths.source_folder = shortened_if_present(settings.source_folder, paths.quote_paths);
  paths.data_folder = shortened_if_present(settings.data_folder, paths.quote_paths);
  paths.media_path = media_path_of(paths.source_folder);
  paths.source_list = paths.source_folder + ";" + paths.package_folder;
  return paths;
}

// Packages Windows Installer left behind from an earlier, broken run of
// this product.
void forget_temporary_packages(const std::string& product_code) {
  const auto key = platform::RegistryKey::open(
      HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\TempPackages",
      KEY_QUERY_VALUE | KEY_SET_VALUE);
  const std::string code = ansi_upper(product_code);
  for (const std::string& name : key.value_names())
    if (name.find(code) != std::string::npos) key.delete_value(name);
}

std::string without_trailing_dots(std::string text) {
  while (!text.empty() && (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.')) text.pop_back();
  return text;
}

std::string property_file_path(const Engine& engine, const ApplySettings& settings) {
  return engine.startup.temp_folder + settings.product_code;
}

void write_property_file(Engine& engine, const ApplySettings& settings, const SourcePaths& paths) {
  PropertyFileInputs inputs;
  inputs.patch = settings.patch;
  inputs.source_folder = paths.source_folder;
  inputs.data_folder = paths.data_folder;
  inputs.media_path = paths.media_path;
  inputs.pass_through = settings.pass_through;
  inputs.variables = settings.variables;
  platform::write_whole_file(property_file_path(engine, settings),
                             installer_property_file_text(inputs, engine.variables));
}

// A new instance ("Transform Instance") gets new component identifiers once
// per run, and its own product code and package code.
NewInstanceIdentity new_instance_identity(const Engine& engine) {
  return NewInstanceIdentity{.requested = engine.new_instance,
                             .components_renewed = engine.new_instance_components_renewed,
                             .product_code = engine.instance.product_code,
                             .cache_key = engine_cache_key(engine)};
}

void remember_new_instance(Engine& engine, const NewInstanceIdentity& instance) {
  engine.new_instance_components_renewed = instance.components_renewed;
}

void prepare_package(Engine& engine, const ApplySettings& settings) {
  platform::MsiLibrary& msi = engine.windows_installer;
  NewInstanceIdentity instance = new_instance_identity(engine);
  write_installer_properties(msi, settings.package, engine.properties.take_installer_properties(), instance);
  remember_new_instance(engine, instance);
  set_target_platform(msi, settings.package, engine.target_platform);
  set_word_count(msi, settings.package);
}

void write_log_header(Engine& engine, const ApplySettings& settings, const SourcePaths& paths) {
  InstallLogFacts facts{.caption = settings.caption,
                        .date_time = current_date_time_text(),
                        .variables = settings.variables,
                        .pass_through = settings.pass_through,
                        .package = settings.package,
                        .product_code = settings.product_code,
                        .source_folder = paths.source_folder,
                        .media_path = paths.media_path,
                        .package_folder = paths.package_folder};
  for (const std::string& line : install_log_header(facts)) engine.trace.write_to(settings.log_file, line);
  engine.windows_installer.function<UINT WINAPI(DWORD, LPCSTR, DWORD)>("MsiEnableLogA")(
      kLogMode, settings.log_file.c_str(), kLogAttributes);
}

// The current user as Windows Installer names a user's source list entry.
std::string process_user() {
  const platform::AccountName account = platform::process_account();
  return account.domain + "\\" + account.user;
}

UINT apply_patch(Engine& engine, const ApplySettings& settings, const SourcePaths& paths, const std::string& properties) {
  platform::MsiLibrary& msi = engine.windows_installer;
  const auto add_source = msi.function<UINT WINAPI(LPCSTR, LPCSTR, DWORD, LPCSTR)>("MsiSourceListAddSourceA");
  add_source(settings.product_code.c_str(), "", 0, paths.data_folder.c_str());
  add_source(settings.product_code.c_str(), process_user().c_str(), 0, paths.data_folder.c_str());
  return msi.function<UINT WINAPI(LPCSTR, LPCSTR, INSTALLTYPE, LPCSTR)>("MsiApplyPatchA")(
      settings.package.c_str(), nullptr, INSTALLTYPE_DEFAULT, properties.c_str());
}

// Our handler is registered only while this installer call runs; later
// calls into msi.dll (a query of the script) see the previous settings.
class MessageHandlerRegistration {
 public:
  MessageHandlerRegistration(platform::MsiLibrary& msi, InstallerMessageHandler& handler)
      : set_internal_(msi.function<INSTALLUILEVEL WINAPI(INSTALLUILEVEL, HWND*)>("MsiSetInternalUI")),
        set_external_(msi.function<INSTALLUI_HANDLERA WINAPI(INSTALLUI_HANDLERA, DWORD, LPVOID)>("MsiSetExternalUIA")) {
    previous_level_ = set_internal_(kInternalUiLevel, nullptr);
    previous_handler_ = set_external_(&InstallerMessageHandler::external_ui, kExternalUiFilter, &handler);
  }
  ~MessageHandlerRegistration() {
    set_external_(previous_handler_, 0, nullptr);
    set_internal_(previous_level_, nullptr);
  }
  MessageHandlerRegistration(const MessageHandlerRegistration&) = delete;
  MessageHandlerRegistration& operator=(const MessageHandlerRegistration&) = delete;

 private:
  INSTALLUILEVEL(WINAPI* set_internal_)(INSTALLUILEVEL, HWND*);
  INSTALLUI_HANDLERA(WINAPI* set_external_)(INSTALLUI_HANDLERA, DWORD, LPVOID);
  INSTALLUILEVEL previous_level_ = INSTALLUILEVEL_NOCHANGE;
  INSTALLUI_HANDLERA previous_handler_ = nullptr;
};

bool apply_cancelled(const Engine& engine) {
  std::lock_guard lock(engine.progress.lock());
  return engine.apply_cancelled;
}

InstallerMessageHandler make_message_handler(Engine& engine, const ApplySettings& settings) {
  InstallerMessageSettings message_settings{.quiet = ansi_upper(engine.variables.get("SILENT")) == "TRUE",
                                            .caption = engine.variables.get("TITLE"),
                                            .owner = settings.owner};
  return InstallerMessageHandler(
      message_settings, [&engine](const std::string& action, std::int64_t minimum, std::int64_t maximum,
                                  std::int64_t position) {
        engine.progress.store(action, minimum, maximum, position);
        return !apply_cancelled(engine);
      });
}

void run_windows_installer(Engine& engine, const ApplySettings& settings, const SourcePaths& paths,
                           InstallerMessageHandler& handler, ApplyOutcome& outcome) {
  platform::MsiLibrary& msi = engine.windows_installer;
  const bool installed = msi.query_product_state(settings.product_code) == INSTALLSTATE_DEFAULT;
  if (!settings.log_file.empty()) write_log_header(engine, settings, paths);
  MessageHandlerRegistration registration(msi, handler);

  PropertyStringInputs inputs{
      .operation = settings.patch ? InstallerOperation::kPatch
                                  : (settings.install ? InstallerOperation::kInstall : InstallerOperation::kRemove),
      .all_users = settings.all_users,
      .installed = installed,
      .advertised_only = platform::folder_exists(settings.advertise_marker) && !settings.advertise,
      .advertise = settings.advertise,
      .quote_paths = paths.quote_paths,
      .target_folder = settings.target_folder,
      .source_folder = paths.source_folder,
      .data_folder = paths.data_folder,
      .media_path = paths.media_path,
      .source_list = paths.source_list};
  const std::string properties = installer_property_string(inputs);
  outcome.installer_ran = true;
  // Windows Installer may start a helper process for the package's custom
  // actions, which keeps the working folder it was started in until this
  // process ends: it gets the temporary folder, so that the support folder
  // can be deleted when the run is over.
  platform::WorkingFolderScope helper_working_folder(engine.startup.temp_folder);
  const UINT result =
      settings.patch ? apply_patch(engine, settings, paths, properties)
                     : msi.function<UINT WINAPI(LPCSTR, LPCSTR)>("MsiInstallProductA")(settings.package.c_str(),
                                                                                    properties.c_str());
  if (result == ERROR_SUCCESS) return;
  if (result == ERROR_SUCCESS_REBOOT_INITIATED || result == ERROR_SUCCESS_REBOOT_REQUIRED) {
    outcome.reboot = true;
    return;
  }
  outcome.failed = true;
  outcome.error_text = without_trailing_dots(platform::system_error_text(result));
}

}  // namespace

void run_msi_worker(Engine& engine, const ApplySettings& settings, ApplyOutcome& outcome) {
  forget_temporary_packages(settings.product_code);
  const SourcePaths paths = source_paths(settings);
  engine.progress.store("Windows Installer", 0, 100, 0);
  InstallerMessageHandler handler = make_message_handler(engine, settings);
  const std::string property_file = property_file_path(engine, settings);
  try {
    write_property_file(engine, settings, paths);
    engine.progress.store("Windows Installer", 0, 100, 100);
    if (!settings.patch) prepare_package(engine, settings);
    if (!apply_cancelled(engine)) run_windows_installer(engine, settings, paths, handler, outcome);
  } catch (...) {
    DeleteFileA(property_file.c_str());
    throw;
  }
  DeleteFileA(property_file.c_str());
  if (outcome.failed && outcome.error_text.empty())
    outcome.error_text = handler.last_error_message().empty() ? "General setup failure" : handler.last_error_message();
  if (outcome.error_text.ends_with('.')) outcome.error_text.pop_back();
}

ApplyResult run_installer(Engine& engine, ApplySettings settings, ApplyOutcome& outcome) {
  platform::WorkingFolderScope working_folder(engine.startup.support_folder);
  settings.owner = static_cast<HWND>(engine.dialog_window);
  outcome = {};
  {
    std::lock_guard lock(engine.progress.lock());
    engine.apply_cancelled = false;
  }
  engine.progress.store("", 0, 0, kNumbersUnchanged);

  platform::WorkerWait wait;
  wait.silent = engine.silent();
  // A cancel the user confirmed reaches Windows Installer with its next
  // message, also when no progress display passes it on.
  const auto pass_cancel_on = [&engine] {
    if (!engine.cancel_requested) return;
    std::lock_guard lock(engine.progress.lock());
    engine.apply_cancelled = true;
  };
  wait.on_idle = pass_cancel_on;
  wait.stop = [&engine] {
    std::lock_guard lock(engine.progress.lock());
    engine.apply_cancelled = true;
  };
  {
    BusyScope busy(engine.busy);
    platform::run_on_worker([&] { run_msi_worker(engine, settings, outcome); }, wait);
  }
  // A cancel confirmed after Windows Installer had already finished its
  // work changes nothing: the product is installed (or removed) as asked.
  outcome.cancelled = apply_cancelled(engine) && (outcome.failed || !outcome.installer_ran);
  if (outcome.cancelled) return ApplyResult::kCancelled;
  if (outcome.failed) return ApplyResult::kFailed;
  return outcome.reboot ? ApplyResult::kCompleteWithReboot : ApplyResult::kComplete;
}

}  // namespace qm
