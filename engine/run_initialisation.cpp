#include "engine/run_initialisation.h"

#include <windows.h>

#include "engine/engine.h"
#include "engine/instance_bootstrap.h"
#include "engine/interpreter.h"
#include "engine/localization.h"
#include "engine/resume_entry.h"
#include "engine/run_values.h"
#include "platform/account.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "script/path_text.h"
#include "script/script_validator.h"
#include "script/truth_text.h"

namespace qm {

namespace {

std::string registered(const char* value_name) {
  const auto key = platform::RegistryKey::open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                                               KEY_READ);
  return key.read_string(value_name).value_or("");
}

void record_activation_properties(Engine& engine) {
  for (std::size_t line = 0; line < engine.package.line_count(); ++line) {
    const std::string header = engine.package.header(line, HeaderLookup::kTolerant);
    if (!header.empty()) engine.properties.record("A" + header, "FALSE");
  }
}

void inject_command_line(Engine& engine) {
  for (const OverrideValue& given : engine.variables.overrides()) {
    if (engine.variables.exists(given.name))
      engine.variables.set(given.name, given.value, category::kInjectOverride);
    else
      engine.variables.define(given.name, given.value, category::kInjectOverride);
  }
}

}  // namespace

void define_predefined_variables(Engine& engine) {
  VariableStore& variables = engine.variables;
  const StartupValues& startup = engine.startup;
  const SetupPackage& package = engine.package;
  const auto define = [&](std::string_view name, const std::string& value) {
    variables.define(name, value, category::kInitialization);
  };
  update_clock(engine);

  define("VRAKLOGO", "");
  define("SELECTED", "0");
  define("WINDOWHANDLE", "0");
  define("EXEFILE", startup.engine_path);
  define("EXEDIR", startup.engine_folder);
  define("PROGRESSTEXT", "");
  define("PROGRESSMODE", "");
  define("ABORT", "FALSE");
  define("PROGRESS", "0");
  define("LASTERROR", "");
  define("LICENSE", "FALSE");
  define("USERNAME", registered("RegisteredOwner"));
  define("USERCOMPANY", registered("RegisteredOrganization"));
  define("COPYWEBLOCK", "");
  define("REBOOTCOMPUTER", "FALSE");
  define("RUNAPP", "TRUE");
  define("WIZARD", "NEXT");
  define("VERSION", package.publisher.product_version);
  define("SILENT", to_truth_text(engine.silent()));
  define("LOGGED", startup.trace_file);
  define("CMDLINE", startup.command_line_remainder);
  define("REBOOTNOW", "OK");
  define("SFXPATH", folder_of(startup.setup_file));
  define("SFXFILE", file_name_of(startup.setup_file));
  define("GPOPATH", folder_of(startup.group_policy_path));
  define("COMPLETE", "TRUE");
  define("NEWLINE", "\r\n");
  define("MINIMUM", "FALSE");
  define("PERSONALIZED", "FALSE");
  define("MODIFY", "TRUE");
  define("REPAIR", "FALSE");
  define("REMOVE", "FALSE");
  define("ROOTDIR", startup.engine_folder);
  define("TITLE", engine.instance.product_title);
  define("COMPANY", package.publisher.publisher);
  define("ADVERTISE", "FALSE");
  define("DATE", engine.clock.date);
  define("TIME", engine.clock.time);
  define("TEMPDIR", startup.temp_folder);
  define("SUPPORTDIR", startup.support_folder);
  define("MSIFILE", startup.installer_database);
  define("LANGUAGE", "");
}

InitialisationResult initialise_run(Engine& engine) {
  engine.trace.write("    <Variables>");
  engine.target_platform = TargetPlatform::kWin32;
  engine.last_progress = {};
  engine.trace.write("    </Variables>");

  engine.trace.write("    <CompileScript>");
  ValidationResult validation = validate_script(engine.package, engine.variables);
  if (!validation.ok()) return InitialisationResult::kInvalidScript;
  engine.deferred_lines = std::move(validation.deferred_lines);
  engine.trace.write("    </CompileScript>");

  engine.variables.clear();
  engine.components.start_run(engine.package.component_sizes);
  const bool administrator = platform::is_administrator();
  engine.variables.define("TARGETDIR", "", category::kPreInitialization);
  engine.variables.define("STARTMENU", engine.package.product_title, category::kPreInitialization);
  engine.variables.define("ALLUSERS", to_truth_text(administrator), category::kPreInitialization);

  engine.trace.write("    <BootStrap>");
  engine.startup.common_cache_root = engine_cache_root(true);
  engine.startup.user_cache_root = engine_cache_root(false);
  const SetupPackage& package = engine.package;
  engine.instance = {package.product_code, package.revision_code, package.product_title};
  engine.installed_revision_code.clear();
  engine.cache_written = false;
  engine.cache_removed = false;
  bootstrap_instance(engine);
  engine.trace.write("    </BootStrap>");

  build_label_table(engine);
  engine.script = ScriptState{.labels = std::move(engine.script.labels)};

  const std::string& database = engine.startup.installer_database;
  if (!platform::file_exists(database) && !platform::file_exists(with_extension(database, ".msp")))
    return InitialisationResult::kNoInstallerDatabase;

  engine.trace.write("    <vrak>");
  engine.components.define(kPredefinedComponent, true, "");
  define_predefined_variables(engine);
  load_patch_run_state(engine);
  delete_resume_entry(engine.package.product_code);
  record_activation_properties(engine);

  if (!choose_start_language(engine)) return InitialisationResult::kLanguageCancelled;

  inject_command_line(engine);
  engine.script.position = 0;
  return InitialisationResult::kRun;
}

}  // namespace qm
