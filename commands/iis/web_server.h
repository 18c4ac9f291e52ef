#pragma once
// The local IIS web server as its administration objects (the metabase's
// ADSI objects) show it: the web service, its sites by number and their
// virtual folders. Every call here answers a failure with an empty object or
// nothing, since the IIS commands swallow the web server's errors.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "commands/iis/automation.h"

namespace qm::iis {

using automation::UniqueDispatch;

// The web service object ("localhost/w3svc"); empty when the administration
// objects are not installed or the service cannot be had. COM must be usable
// on the calling thread.
UniqueDispatch web_service();

// The first site number from 1 on that names no site; nothing when every
// number is taken.
std::optional<std::int32_t> next_free_site_number(IDispatch* service);

// The site of that number; empty when there is none.
UniqueDispatch site(IDispatch* service, std::int32_t number);

// Where a site keeps a virtual folder: "Root" for the empty name, else
// "Root/" and the name.
std::string virtual_folder_path(std::string_view folder);

// The virtual folder at `path` of a site; empty when there is none.
UniqueDispatch virtual_folder(IDispatch* site, std::string_view path);

// The service's sites (children of class "IIsWebServer", in any case), in
// the service's order, until `visit` answers false. False when the
// enumeration broke off.
bool for_each_site(IDispatch* service, const std::function<bool(IDispatch* site)>& visit);

// Property `name` of an object as text; nothing when it cannot be read or has
// no text form.
std::optional<std::string> text_property(IDispatch* object, const std::wstring& name);

}  // namespace qm::iis
