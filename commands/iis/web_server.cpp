#include "commands/iis/web_server.h"

#include <limits>

#include "script/ansi_text.h"

namespace qm::iis {

using automation::Variant;

UniqueDispatch web_service() {
  const UniqueDispatch iis_namespace = automation::create_object(L"IISNamespace");
  if (!iis_namespace) return {};
  return automation::call_for_object(iis_namespace.get(), L"GetObject",
                                     {Variant::text("IIsWebService"), Variant::text("localhost/w3svc")});
}

std::optional<std::int32_t> next_free_site_number(IDispatch* service) {
  if (service == nullptr) return std::nullopt;
  for (std::int32_t number = 1; number < std::numeric_limits<std::int32_t>::max(); ++number)
    if (!site(service, number)) return number;
  return std::nullopt;
}

UniqueDispatch site(IDispatch* service, std::int32_t number) {
  return automation::call_for_object(service, L"GetObject",
                                     {Variant::text("IIsWebServer"), Variant::text(std::to_string(number))});
}

std::string virtual_folder_path(std::string_view folder) {
  return folder.empty() ? std::string("Root") : "Root/" + std::string(folder);
}

UniqueDispatch virtual_folder(IDispatch* site, std::string_view path) {
  return automation::call_for_object(site, L"GetObject", {Variant::text("IIsWebVirtualDir"), Variant::text(path)});
}

bool for_each_site(IDispatch* service, const std::function<bool(IDispatch* site)>& visit) {
  bool readable = true;
  const bool walked = automation::for_each_child(service, [&](IDispatch* child) {
    const std::optional<std::string> class_name = text_property(child, L"Class");
    if (!class_name) {
      readable = false;
      return false;
    }
    if (!equal_ignore_case(*class_name, "IIsWebServer")) return true;
    return visit(child);
  });
  return walked && readable;
}

std::optional<std::string> text_property(IDispatch* object, const std::wstring& name) {
  const std::optional<Variant> value = automation::get_property(object, name);
  if (!value) return std::nullopt;
  return value->to_text();
}

}  // namespace qm::iis
