#include "commands/machine/iis_queries.h"

#include <windows.h>

#include <cstring>
#include <optional>
#include <string>

#include "commands/iis/automation.h"
#include "commands/iis/web_server.h"
#include "platform/com_scope.h"
#include "platform/registry.h"

namespace qm {

namespace {

using automation::Variant;

std::optional<std::uint32_t> dword_value(const platform::RegistryKey& key, const std::string& name) {
  try {
    const std::optional<platform::RegistryValue> value = key.read_value(name);
    if (!value || value->type != REG_DWORD || value->data.size() != sizeof(std::uint32_t)) return std::nullopt;
    std::uint32_t number = 0;
    std::memcpy(&number, value->data.data(), sizeof number);
    return number;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace

bool iis_version_reaches(std::uint32_t major, std::uint32_t minor) {
  const platform::RegistryKey key = platform::RegistryKey::open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\INetStp", KEY_READ);
  if (!key.valid()) return false;
  const std::optional<std::uint32_t> installed_major = dword_value(key, "MajorVersion");
  const std::optional<std::uint32_t> installed_minor = dword_value(key, "MinorVersion");
  if (!installed_major || !installed_minor) return false;
  return std::uint64_t{*installed_major} * 10 + *installed_minor >= std::uint64_t{major} * 10 + minor;
}

std::string iis_anonymous_user() {
  const platform::ComScope com;
  if (!com.usable()) return {};
  const iis::UniqueDispatch service = iis::web_service();
  if (!service) return {};
  const std::optional<std::int32_t> number = iis::next_free_site_number(service.get());
  if (!number) return {};
  const std::string site_name = std::to_string(*number);
  std::optional<std::string> user;
  if (const iis::UniqueDispatch site =
          automation::call_for_object(service.get(), L"Create", {Variant::text("IIsWebServer"), Variant::text(site_name)})) {
    if (automation::call(site.get(), L"SetInfo")) user = iis::text_property(site.get(), L"AnonymousUserName");
  }
  // The probe site goes again whether or not it told anything.
  automation::call(service.get(), L"Delete", {Variant::text("IIsWebServer"), Variant::text(site_name)});
  return user.value_or("");
}

}  // namespace qm
