// Handlers of the catalogue's IIS site rows: "Create IIS Site", "Delete IIS
// Site", "Control IIS Site", "Get IIS Site List", "Get IIS Site Index" and
// "IIS Anonymous User". They act on the local web server at once, through
// its administration objects, and swallow its errors: the changing commands
// report nothing, the queries an empty text or "0".

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands/iis/automation.h"
#include "commands/iis/iis_fields.h"
#include "commands/iis/web_server.h"
#include "commands/machine/iis_queries.h"
#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "platform/com_scope.h"
#include "script/integer_text.h"
#include "script/truth_text.h"

namespace qm {

namespace {

using automation::Variant;
using iis::UniqueDispatch;

// What "Create IIS Site" puts on a site, read before the web server is asked.
struct SiteSettings {
  std::string description;
  std::string bindings;
  std::string secure_bindings;
  std::int32_t connection_timeout = 0;
  bool keep_alive = false;
  bool logging = false;
  bool enable_asp = false;
  bool enable_exe_files = false;
  std::int32_t max_connections = -1;
  std::int32_t server_size = 0;
};

// Nothing when a number field holds no integer text: the command then does
// nothing at all.
std::optional<SiteSettings> read_site_settings(const Engine& engine, const ScriptLine& line) {
  SiteSettings settings;
  settings.description = iis_text_field(engine, line, 1);
  const std::string address = iis_text_field(engine, line, 3);
  const std::string host_header = iis_text_field(engine, line, 4);
  settings.bindings = address + ":" + iis_text_field(engine, line, 5) + ":" + host_header;
  settings.secure_bindings = address + ":" + iis_text_field(engine, line, 6) + ":" + host_header;
  const std::optional<std::int32_t> timeout = iis_integer_field(engine, line, 7);
  settings.keep_alive = iis_truth_field(engine, line, 8);
  settings.logging = iis_truth_field(engine, line, 9);
  settings.enable_asp = iis_truth_field(engine, line, 10);
  settings.enable_exe_files = iis_truth_field(engine, line, 11);
  const bool unlimited = iis_truth_field(engine, line, 12);
  const std::optional<std::int32_t> max_connections = unlimited ? -1 : iis_integer_field(engine, line, 14);
  const std::optional<std::int32_t> server_size = iis_integer_field(engine, line, 15);
  if (!timeout || !max_connections || !server_size) return std::nullopt;
  settings.connection_timeout = *timeout;
  settings.max_connections = *max_connections;
  settings.server_size = *server_size;
  return settings;
}

// The site's bindings, time-out, keep-alive and logging; false at the first
// property the server refuses.
bool put_site_settings(IDispatch* site, const SiteSettings& settings) {
  using automation::put_property;
  if (!put_property(site, L"ServerComment", Variant::text(settings.description)) ||
      !put_property(site, L"ServerBindings", Variant::text(settings.bindings)) ||
      !put_property(site, L"SecureBindings", Variant::text(settings.secure_bindings)) ||
      !put_property(site, L"ConnectionTimeout", Variant::integer(settings.connection_timeout)) ||
      !put_property(site, L"AllowKeepAlive", Variant::boolean(settings.keep_alive)))
    return false;
  if (!settings.logging) return put_property(site, L"LogType", Variant::integer(0));
  return put_property(site, L"LogType", Variant::integer(1)) && put_property(site, L"DontLog", Variant::boolean(false));
}

// The web service's "ASP" extension and "*.exe" files: a server that cannot
// enable them still gets its site.
bool enable_service_extensions(IDispatch* service, const SiteSettings& settings) {
  if (settings.enable_asp) automation::call(service, L"EnableWebServiceExtension", {Variant::text("ASP")});
  if (settings.enable_exe_files) automation::call(service, L"EnableExtensionFile", {Variant::text("*.exe")});
  if (!settings.enable_asp && !settings.enable_exe_files) return true;
  return automation::call(service, L"SetInfo").has_value();
}

void create_site(IDispatch* service, std::int32_t number, const SiteSettings& settings) {
  UniqueDispatch site = iis::site(service, number);
  if (!site)
    site = automation::call_for_object(service, L"Create",
                                       {Variant::text("IIsWebServer"), Variant::text(std::to_string(number))});
  if (!site || !put_site_settings(site.get(), settings) || !enable_service_extensions(service, settings)) return;
  if (!automation::put_property(site.get(), L"MaxConnections", Variant::integer(settings.max_connections)) ||
      !automation::put_property(site.get(), L"ServerSize", Variant::integer(settings.server_size)))
    return;
  automation::call(site.get(), L"SetInfo");
}

// The ServerComment of every site, until one cannot be read.
std::vector<std::string> site_descriptions(IDispatch* service) {
  std::vector<std::string> descriptions;
  iis::for_each_site(service, [&](IDispatch* site) {
    std::optional<std::string> description = iis::text_property(site, L"ServerComment");
    if (!description) return false;
    descriptions.push_back(std::move(*description));
    return true;
  });
  return descriptions;
}

// The Name (number) of the first site described so; "0" for none.
std::string site_index(IDispatch* service, const std::string& description) {
  std::string index = "0";
  const bool walked = iis::for_each_site(service, [&](IDispatch* site) {
    const std::optional<std::string> comment = iis::text_property(site, L"ServerComment");
    if (!comment) return false;
    if (*comment != description) return true;
    index = iis::text_property(site, L"Name").value_or("0");
    return false;
  });
  return walked ? index : "0";
}

}  // namespace

// "Create IIS Site" — field 1: the description (translated); 2: the site
// number (not a number: the first free one); 3, 4: IP address and host
// header; 5, 6: TCP and SSL ports; 7: connection time-out; 8 (truth):
// keep-alive; 9 (truth): logging; 10, 11 (truth): enable the "ASP" web
// service extension and "*.exe" files; 12 (truth): unlimited connections,
// else 14: their maximum; 15: server size. Creates the site, or reconfigures
// the one that has the number.
void create_iis_site_command(Engine& engine, const ScriptLine& line) {
  const std::optional<SiteSettings> settings = read_site_settings(engine, line);
  // Field 13 means nothing, but a variable it names must still exist.
  iis_text_field(engine, line, 13);
  if (!settings) return;
  const platform::ComScope com;
  if (!com.usable()) return;
  const UniqueDispatch service = iis::web_service();
  if (!service) return;
  std::optional<std::int32_t> number = iis_integer_field(engine, line, 2);
  if (!number) number = iis::next_free_site_number(service.get());
  if (!number) return;
  create_site(service.get(), *number, *settings);
}

// "Delete IIS Site" — field 1: the site number. Deletes the site with its
// folders.
void delete_iis_site_command(Engine& engine, const ScriptLine& line) {
  const std::optional<std::int32_t> number = iis_integer_field(engine, line, 1);
  if (!number) return;
  const platform::ComScope com;
  if (!com.usable()) return;
  const UniqueDispatch service = iis::web_service();
  automation::call(service.get(), L"Delete", {Variant::text("IIsWebServer"), Variant::text(std::to_string(*number))});
}

// "Control IIS Site" — field 1: the site number; field 2 (raw): 0 start,
// 1 stop, 2 pause, 3 continue. A site is started before it is paused or
// continued, since a stopped site can be neither.
void control_iis_site_command(Engine& engine, const ScriptLine& line) {
  const std::optional<std::int32_t> number = iis_integer_field(engine, line, 1);
  const std::optional<std::int32_t> action = parse_integer_text(engine.field(line, 2));
  if (!number || !action) return;
  const platform::ComScope com;
  if (!com.usable()) return;
  const UniqueDispatch service = iis::web_service();
  const UniqueDispatch site = iis::site(service.get(), *number);
  if (!site || !automation::get_property(site.get(), L"Status")) return;
  static constexpr const wchar_t* kActions[] = {L"Start", L"Stop", L"Pause", L"Continue"};
  if (*action < 0 || *action > 3) return;
  if (*action >= 2 && !automation::call(site.get(), L"Start")) return;
  automation::call(site.get(), kActions[*action]);
}

// "Get IIS Site List" — field 1: the result variable. Writes the sites'
// descriptions, one a line; the empty text without sites or IIS.
void get_iis_site_list_command(Engine& engine, const ScriptLine& line) {
  const std::string variable = variable_reference_field(engine, line, 1);
  std::string list;
  {
    const platform::ComScope com;
    const UniqueDispatch service = com.usable() ? iis::web_service() : UniqueDispatch();
    const std::vector<std::string> descriptions = site_descriptions(service.get());
    for (std::size_t i = 0; i < descriptions.size(); ++i) {
      if (i > 0) list += kNewlineMarker;
      list += descriptions[i];
    }
  }
  set_or_define_result(engine, line, variable, list);
}

// "Get IIS Site Index" — field 1: a site description (translated); field 2:
// the result variable. Writes the number of the first site described so,
// compared exactly, or "0".
void get_iis_site_index_command(Engine& engine, const ScriptLine& line) {
  const std::string description = iis_text_field(engine, line, 1);
  const std::string variable = variable_reference_field(engine, line, 2);
  std::string index = "0";
  {
    const platform::ComScope com;
    const UniqueDispatch service = com.usable() ? iis::web_service() : UniqueDispatch();
    if (service) index = site_index(service.get(), description);
  }
  set_or_define_result(engine, line, variable, index);
}

// "IIS Anonymous User" — field 1 (optional): the result variable. Writes the
// account IIS gives a new site for anonymous visits, or the empty text.
void iis_anonymous_user_command(Engine& engine, const ScriptLine& line) {
  const std::string variable = bare_variable_field(engine, line, 1);
  if (variable.empty()) return;
  set_or_define_result(engine, line, variable, iis_anonymous_user());
}

}  // namespace qm
