#include "engine/instance_registration.h"

#include <windows.h>

#include <string>

#include "engine/engine.h"
#include "engine/instance_bootstrap.h"
#include "engine/run_values.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "script/path_text.h"
#include "script/text_lines.h"
#include "script/truth_text.h"

namespace qm {

namespace {

std::string title_of(const Engine& engine) {
  const VariableStore& variables = engine.variables;
  return variables.exists("TITLE") ? variables.get("TITLE") : engine.instance.product_title;
}

std::string variable_or_empty(const Engine& engine, std::string_view name) {
  return engine.variables.exists(name) ? engine.variables.get(name) : std::string();
}

void write_values(HKEY root, const std::string& path,
                  std::initializer_list<std::pair<const char*, std::string>> values) {
  const auto key = platform::RegistryKey::create(root, path, KEY_WRITE);
  if (!key.valid()) return;
  for (const auto& [name, value] : values) key.write_string(name, value);
}

}  // namespace

bool names_a_subkey(std::string_view name) { return name.find_first_not_of("\\ ") != std::string_view::npos; }

void register_instance(Engine& engine) {
  const HKEY root = is_true(variable_or_empty(engine, "ALLUSERS")) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  const std::string cache = engine_cache_folder(engine);
  const std::string engine_copy = cache + file_name_of(engine.startup.engine_path);
  const std::string& product_code = engine.instance.product_code;
  const std::string title = title_of(engine);
  const PublisherLines& publisher = engine.package.publisher;

  if (names_a_subkey(product_code)) {
    write_values(root, std::string(kUninstallKey) + product_code,
                 {{"UninstallString", cache + engine.startup.engine_name + ".exe"}});
  }
  if (names_a_subkey(title)) {
    write_values(root, std::string(kUninstallKey) + title,
                 {{"DisplayIcon", engine_copy},
                  {"DisplayName", title},
                  {"UninstallString", "\"" + engine_copy + "\" REMOVE=TRUE MODIFY=FALSE"},
                  {"ModifyPath", engine_copy},
                  {"Publisher", publisher.publisher},
                  {"Contact", publisher.support_contact},
                  {"HelpLink", publisher.help_link},
                  {"URLUpdateInfo", publisher.update_info_link},
                  {"Comments", publisher.comments},
                  {"InstallLocation", normalize_path_text(engine.variables.expand(variable_or_empty(engine, "TARGETDIR")))}});
  }
  if (names_a_subkey(product_code)) write_values(root, std::string(kIdentityCacheKey) + product_code, {{"", cache}});

  platform::replace_file_atomically(cache + std::string(kInstanceFileName),
                                    join_lines_crlf({product_code, engine.instance.revision_code, title}));
}

void deregister_instance(Engine& engine) {
  const std::string title = title_of(engine);
  const std::string& product_code = engine.instance.product_code;
  for (const HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    if (names_a_subkey(title))
      platform::delete_registry_tree(root, std::string(kUninstallKey) + title, platform::RegistryView::kDefault);
    if (!names_a_subkey(product_code)) continue;
    // The entry under the product code is ours only in part (Windows
    // Installer keeps its own there for a product installed for all users),
    // but after a removal nothing of it is left to keep.
    platform::delete_registry_tree(root, std::string(kUninstallKey) + product_code, platform::RegistryView::kDefault);
    platform::delete_registry_tree(root, std::string(kIdentityCacheKey) + product_code,
                                   platform::RegistryView::kDefault);
  }
}

}  // namespace qm
