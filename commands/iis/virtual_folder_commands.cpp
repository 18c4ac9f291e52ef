// Handlers of the catalogue's IIS virtual folder rows: "Create Virtual
// Folder" (with its application, pool, MIME types and ASP.NET version) and
// "Delete Virtual Folder". Both act at once and swallow the web server's
// errors: a folder the server refuses is simply not made.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands/iis/automation.h"
#include "commands/iis/iis_fields.h"
#include "commands/iis/web_server.h"
#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "engine/program_thread.h"
#include "platform/com_scope.h"
#include "platform/framework_tools.h"
#include "script/comma_text.h"
#include "script/integer_text.h"
#include "script/path_text.h"

namespace qm {

namespace {

using automation::Variant;
using iis::UniqueDispatch;

// A field of the form "before|after" (after empty without a "|").
std::pair<std::string, std::string> split_at_bar(const std::string& text) {
  const std::size_t bar = text.find('|');
  if (bar == std::string::npos) return {text, ""};
  return {text.substr(0, bar), text.substr(bar + 1)};
}

// Everything "Create Virtual Folder" reads, before the web server is asked.
struct FolderSettings {
  std::string name;
  std::string path;
  bool access_source = false;
  bool access_read = false;
  bool access_write = false;
  bool directory_browsing = false;
  bool log_visits = false;
  bool content_indexed = false;
  std::int32_t protection = 0;
  std::string pool;
  std::int32_t execute_permissions = 0;
  std::string aspnet_selector;
  bool default_document_enabled = false;
  std::string default_documents;
  std::string footer;
  bool auth_anonymous = false;
  bool auth_ntlm = false;
  bool auth_basic = false;
  std::string mime_types;
  std::int32_t site = 0;
};

// Nothing when a number (the protection, the execute permissions, the site)
// is no integer text: the command then does nothing.
std::optional<FolderSettings> read_folder_settings(const Engine& engine, const ScriptLine& line) {
  FolderSettings settings;
  settings.name = iis_text_field(engine, line, 1);
  settings.path = iis_text_field(engine, line, 2);
  settings.access_source = iis_truth_field(engine, line, 3);
  settings.access_read = iis_truth_field(engine, line, 4);
  settings.access_write = iis_truth_field(engine, line, 5);
  settings.directory_browsing = iis_truth_field(engine, line, 6);
  settings.log_visits = iis_truth_field(engine, line, 7);
  settings.content_indexed = iis_truth_field(engine, line, 8);
  const auto [protection, pool] = split_at_bar(iis_text_field(engine, line, 9));
  const auto [execute, selector] = split_at_bar(iis_text_field(engine, line, 10));
  settings.pool = pool;
  settings.aspnet_selector = selector.empty() ? "0" : selector;
  settings.default_document_enabled = iis_truth_field(engine, line, 11);
  settings.default_documents = iis_text_field(engine, line, 12);
  settings.footer = iis_text_field(engine, line, 13);
  settings.auth_anonymous = iis_truth_field(engine, line, 14);
  settings.auth_ntlm = iis_truth_field(engine, line, 15);
  settings.auth_basic = iis_truth_field(engine, line, 16);
  settings.mime_types = iis_text_field(engine, line, 17);
  const std::optional<std::int32_t> protection_number = parse_integer_text(protection);
  const std::optional<std::int32_t> execute_number = parse_integer_text(execute);
  const std::optional<std::int32_t> site = iis_integer_field(engine, line, 18);
  if (!protection_number || !execute_number || !site) return std::nullopt;
  settings.protection = *protection_number;
  settings.execute_permissions = *execute_number;
  settings.site = *site;
  return settings;
}

// A run of property writes that stops at the first the server refuses.
class PropertyWrites {
 public:
  explicit PropertyWrites(IDispatch* object) : object_(object) {}
  PropertyWrites& put(const wchar_t* name, Variant value) {
    if (ok_) ok_ = automation::put_property(object_, name, value);
    return *this;
  }
  PropertyWrites& put(const wchar_t* name, bool value) { return put(name, Variant::boolean(value)); }
  PropertyWrites& put(const wchar_t* name, const std::string& value) { return put(name, Variant::text(value)); }
  bool ok() const { return ok_; }

 private:
  IDispatch* object_;
  bool ok_ = true;
};

// The application pool of that name, made when the service has none yet;
// false when neither can be had.
bool ensure_pool(IDispatch* service, const std::string& name) {
  const UniqueDispatch pools = automation::call_for_object(
      service, L"GetObject", {Variant::text("IISApplicationPools"), Variant::text("AppPools")});
  if (!pools) return false;
  if (automation::call_for_object(pools.get(), L"GetObject",
                                  {Variant::text("IISApplicationPool"), Variant::text(name)}))
    return true;
  const UniqueDispatch pool = automation::call_for_object(
      pools.get(), L"Create", {Variant::text("IISApplicationPool"), Variant::text(name)});
  return pool && automation::call(pool.get(), L"SetInfo");
}

// The script numbers application protection 1 low, 2 pooled, 3 high;
// AppCreate2 numbers them 0 low (in process), 2 pooled, 1 high (isolated).
std::int32_t app_create_mode(std::int32_t protection) {
  switch (protection) {
    case 1: return 0;
    case 2: return 2;
    case 3: return 1;
    default: return protection;
  }
}

bool configure_application(IDispatch* service, IDispatch* folder, const FolderSettings& settings) {
  std::string pool = settings.pool;
  if (!pool.empty() && !ensure_pool(service, pool)) pool.clear();
  if (!pool.empty() && !automation::put_property(folder, L"AppPoolId", Variant::text(pool))) return false;
  if (settings.protection == 0) return true;
  return automation::call(folder, L"AppCreate2", {Variant::integer(app_create_mode(settings.protection))}) &&
         automation::put_property(folder, L"AppFriendlyName", Variant::text(settings.pool));
}

// The folder's MimeMap with one entry more. A folder that has no map yet
// starts an empty one.
bool add_mime_type(IDispatch* folder, const std::string& extension, const std::string& type) {
  SAFEARRAY* entries = nullptr;
  if (std::optional<Variant> current = automation::get_property(folder, L"MimeMap");
      current && current->value().vt == (VT_ARRAY | VT_VARIANT) && current->value().parray != nullptr) {
    if (FAILED(SafeArrayCopy(current->value().parray, &entries))) return false;
  } else {
    entries = SafeArrayCreateVector(VT_VARIANT, 0, 0);
    if (entries == nullptr) return false;
  }
  Variant array = Variant::array(entries);
  LONG lower = 0;
  LONG upper = -1;
  if (SafeArrayGetDim(entries) != 1 || FAILED(SafeArrayGetLBound(entries, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(entries, 1, &upper)))
    return false;
  SAFEARRAYBOUND enlarged = {static_cast<ULONG>(upper - lower + 2), lower};
  if (FAILED(SafeArrayRedim(entries, &enlarged))) return false;
  const UniqueDispatch entry = automation::create_object(L"MimeMap");
  if (!entry || !automation::put_property(entry.get(), L"Extension", Variant::text(extension)) ||
      !automation::put_property(entry.get(), L"MimeType", Variant::text(type)))
    return false;
  Variant element = Variant::object(entry.get());
  LONG last = upper + 1;
  if (FAILED(SafeArrayPutElement(entries, &last, element.get()))) return false;
  return automation::put_property(folder, L"MimeMap", array) && automation::call(folder, L"SetInfo");
}

bool add_mime_types(IDispatch* folder, const std::string& comma_text) {
  if (comma_text.empty()) return true;
  for (const std::string& item : from_comma_text(comma_text)) {
    const std::size_t equals = item.find('=');
    const std::string extension = item.substr(0, equals);
    const std::string type = equals == std::string::npos ? std::string() : item.substr(equals + 1);
    if (!add_mime_type(folder, extension, type)) return false;
  }
  return true;
}

// The folder made (or found) and configured; false when the server refused
// any of it.
bool configure_folder(IDispatch* service, const FolderSettings& settings) {
  const UniqueDispatch site = iis::site(service, settings.site);
  if (!site) return false;
  const std::string path = iis::virtual_folder_path(settings.name);
  UniqueDispatch folder = iis::virtual_folder(site.get(), path);
  if (!folder)
    folder = automation::call_for_object(site.get(), L"Create",
                                         {Variant::text("IIsWebVirtualDir"), Variant::text(path)});
  if (!folder) return false;
  IDispatch* target = folder.get();
  PropertyWrites access(target);
  access.put(L"Path", settings.path)
      .put(L"AccessSource", settings.access_source)
      .put(L"AccessRead", settings.access_read)
      .put(L"AccessWrite", settings.access_write)
      .put(L"EnableDirBrowsing", settings.directory_browsing)
      .put(L"DontLog", !settings.log_visits)
      .put(L"ContentIndexed", settings.content_indexed);
  if (!access.ok() || !configure_application(service, target, settings)) return false;
  PropertyWrites rest(target);
  rest.put(L"AccessScript", false)
      .put(L"AccessExecute", false)
      .put(L"AccessScript", settings.execute_permissions > 0)
      .put(L"AccessExecute", settings.execute_permissions > 1)
      .put(L"EnableDefaultDoc", settings.default_document_enabled)
      .put(L"DefaultDoc", settings.default_documents)
      .put(L"EnableDocFooter", !settings.footer.empty());
  if (!settings.footer.empty()) rest.put(L"DefaultDocFooter", settings.footer);
  rest.put(L"AuthAnonymous", settings.auth_anonymous)
      .put(L"AuthNTLM", settings.auth_ntlm)
      .put(L"AuthBasic", settings.auth_basic);
  if (!rest.ok() || !automation::call(target, L"SetInfo")) return false;
  return add_mime_types(target, settings.mime_types);
}

// The ASP.NET version's own tool registers its script maps for the folder.
void register_aspnet_version(Engine& engine, const FolderSettings& settings) {
  std::string version = settings.aspnet_selector;
  if (version == "1") version = platform::framework_folder_name(platform::FrameworkVersion::k1_1);
  if (version == "2") version = platform::framework_folder_name(platform::FrameworkVersion::k2_0);
  run_hidden_and_wait(engine, platform::framework_tool_path(version, "aspnet_regiis.exe"),
                      "-s \"w3svc/" + std::to_string(settings.site) + "/" + iis::virtual_folder_path(settings.name) +
                          "\"");
}

}  // namespace

// "Create Virtual Folder" — field 1: the folder name (translated; empty: the
// site's root); 2: its physical path; 3-6 (truth): AccessSource, AccessRead,
// AccessWrite, EnableDirBrowsing; 7 (truth): log visits; 8 (truth):
// ContentIndexed; 9: application protection (0 none, 1 low, 2 pooled,
// 3 high), "|", application pool name; 10: execute permissions (0 none,
// 1 scripts, 2 scripts and programs), "|", ASP.NET version ("1", "2", a
// version folder name; none or "0": no registration); 11 (truth):
// EnableDefaultDoc; 12: default documents (translated); 13: footer file
// (translated, empty: no footer); 14-16 (truth): anonymous, NTLM and basic
// authentication; 17: MIME types as comma text of extension=type; 18: the
// site number.
void create_virtual_folder_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  const std::optional<FolderSettings> settings = read_folder_settings(engine, line);
  if (!settings) return;
  bool configured = false;
  {
    const platform::ComScope com;
    if (!com.usable()) return;
    const UniqueDispatch service = iis::web_service();
    configured = service && configure_folder(service.get(), *settings);
  }
  if (configured && settings->aspnet_selector != "0") register_aspnet_version(engine, *settings);
}

// "Delete Virtual Folder" — field 1: the site number; field 2: the folder
// name (empty: the site's root).
void delete_virtual_folder_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  const std::optional<std::int32_t> number = iis_integer_field(engine, line, 1);
  const std::string path = iis::virtual_folder_path(iis_text_field(engine, line, 2));
  if (!number) return;
  const platform::ComScope com;
  if (!com.usable()) return;
  const UniqueDispatch service = iis::web_service();
  const UniqueDispatch site = iis::site(service.get(), *number);
  automation::call(site.get(), L"Delete", {Variant::text("IIsWebVirtualDir"), Variant::text(path)});
}

}  // namespace qm
