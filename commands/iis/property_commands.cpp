// Handlers of the catalogue's rows that read and write any property of an
// IIS site or virtual folder by name: "Get IIS Property" and "Set IIS
// Property". Field 2 of both is not read.

#include <cstdint>
#include <optional>
#include <string>

#include "commands/iis/automation.h"
#include "commands/iis/iis_fields.h"
#include "commands/iis/web_server.h"
#include "engine/command_parameters.h"
#include "engine/engine.h"
#include "platform/com_scope.h"

namespace qm {

namespace {

using automation::Variant;
using iis::UniqueDispatch;

constexpr const char* kPropertyError = "!ERROR!";

// The site (field 1 true) or its virtual folder named by field 4; empty when
// the server has no such object.
UniqueDispatch property_target(const Engine& engine, const ScriptLine& line, IDispatch* service,
                               std::int32_t site_number) {
  UniqueDispatch site = iis::site(service, site_number);
  if (!site || iis_truth_field(engine, line, 1)) return site;
  return iis::virtual_folder(site.get(), iis::virtual_folder_path(iis_text_field(engine, line, 4)));
}

std::string read_property(const Engine& engine, const ScriptLine& line, std::int32_t site_number,
                          const std::string& name) {
  const platform::ComScope com;
  if (!com.usable()) return kPropertyError;
  const UniqueDispatch service = iis::web_service();
  const UniqueDispatch target = property_target(engine, line, service.get(), site_number);
  const std::optional<Variant> value = automation::call(target.get(), L"Get", {Variant::text(name)});
  if (!value) return kPropertyError;
  return value->to_text().value_or(kPropertyError);
}

}  // namespace

// "Get IIS Property" — field 1 (truth): of the site, else of a virtual
// folder; 3: the site number; 4: the folder name (empty: the root); 5: the
// property name; 6: the result variable. Writes the value as text, or
// "!ERROR!" when it cannot be read; a site number that is no number leaves
// the variable alone.
void get_iis_property_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  const std::optional<std::int32_t> site_number = iis_integer_field(engine, line, 3);
  if (!site_number) return;
  const std::string name = iis_text_field(engine, line, 5);
  const std::string value = read_property(engine, line, *site_number, name);
  set_or_define_result(engine, line, variable_reference_field(engine, line, 6), value);
}

// "Set IIS Property" — fields 1, 3, 4 and 5 as for "Get IIS Property";
// field 6: the value, given as text (the server converts it to the
// property's type).
void set_iis_property_command(Engine& engine, const ScriptLine& line) {
  const RedirectionGuard guard(engine);
  const std::optional<std::int32_t> site_number = iis_integer_field(engine, line, 3);
  if (!site_number) return;
  const std::string name = iis_text_field(engine, line, 5);
  const std::string value = iis_text_field(engine, line, 6);
  const platform::ComScope com;
  if (!com.usable()) return;
  const UniqueDispatch service = iis::web_service();
  const UniqueDispatch target = property_target(engine, line, service.get(), *site_number);
  if (automation::call(target.get(), L"Put", {Variant::text(name), Variant::text(value)}))
    automation::call(target.get(), L"SetInfo");
}

}  // namespace qm
