#include "commands/machine/iis_queries.h"

#include <windows.h>
#include <oleauto.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/com_scope.h"
#include "platform/registry.h"
#include "platform/wide_text.h"
#include "platform/unique_resource.h"

namespace qm {

namespace {

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

// ---------------------------------------------------------------------------
// Late-bound calls on the IIS administration objects (ADSI).

void release_dispatch(IDispatch* object) { object->Release(); }
using UniqueDispatch = platform::UniqueResource<platform::NullIsNoneTraits<IDispatch*, release_dispatch>>;

// A VARIANT cleared on every way out.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  explicit Variant(const std::string& text) : Variant() {
    const std::wstring wide = platform::wide_from_ansi(text);
    value_.vt = VT_BSTR;
    value_.bstrVal = SysAllocString(wide.c_str());
  }
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  VARIANT* get() { return &value_; }

  // The object the variant holds, when it holds one.
  UniqueDispatch take_object() {
    if (value_.vt != VT_DISPATCH || value_.pdispVal == nullptr) return {};
    return UniqueDispatch(std::exchange(value_.pdispVal, nullptr));
  }

  std::optional<std::string> text() {
    if (VariantChangeType(&value_, &value_, 0, VT_BSTR) != S_OK || value_.bstrVal == nullptr) return std::nullopt;
    const int length = WideCharToMultiByte(CP_ACP, 0, value_.bstrVal, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string narrow(length, '\0');
    WideCharToMultiByte(CP_ACP, 0, value_.bstrVal, -1, narrow.data(), length, nullptr, nullptr);
    return std::string(narrow.c_str());
  }

 private:
  VARIANT value_;
};

// Calls `member` of `object` with text arguments (in parameter order);
// false when the object has no such member or the call fails.
bool invoke(IDispatch* object, const wchar_t* member, WORD kind, const std::vector<std::string>& arguments,
            Variant& result) {
  DISPID id = 0;
  LPOLESTR name = const_cast<LPOLESTR>(member);
  if (FAILED(object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) return false;
  // Automation takes the arguments last one first.
  std::vector<Variant> values(arguments.size());
  std::vector<VARIANT> passed(arguments.size());
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    Variant text(arguments[i]);
    std::swap(*values[i].get(), *text.get());
    passed[arguments.size() - 1 - i] = *values[i].get();
  }
  DISPPARAMS parameters = {passed.data(), nullptr, static_cast<UINT>(passed.size()), 0};
  return SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters, result.get(), nullptr,
                                  nullptr));
}

UniqueDispatch call_for_object(IDispatch* object, const wchar_t* member, const std::vector<std::string>& arguments) {
  Variant result;
  if (!invoke(object, member, DISPATCH_METHOD, arguments, result)) return {};
  return result.take_object();
}

bool call(IDispatch* object, const wchar_t* member, const std::vector<std::string>& arguments) {
  Variant result;
  return invoke(object, member, DISPATCH_METHOD, arguments, result);
}

UniqueDispatch web_service() {
  CLSID namespace_class;
  if (FAILED(CLSIDFromProgID(L"IISNamespace", &namespace_class))) return {};
  IDispatch* raw = nullptr;
  if (FAILED(CoCreateInstance(namespace_class, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&raw))))
    return {};
  const UniqueDispatch iis_namespace(raw);
  return call_for_object(iis_namespace.get(), L"GetObject", {"IIsWebService", "localhost/w3svc"});
}

// The first site number from 1 on that names no site; nothing when every
// number is taken.
std::optional<int> next_free_site_number(IDispatch* service) {
  for (int number = 1; number > 0; ++number)
    if (!call_for_object(service, L"GetObject", {"IIsWebServer", std::to_string(number)})) return number;
  return std::nullopt;
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
  const UniqueDispatch service = web_service();
  if (!service) return {};
  const std::optional<int> number = next_free_site_number(service.get());
  if (!number) return {};
  const std::string site_name = std::to_string(*number);
  std::optional<std::string> user;
  if (const UniqueDispatch site = call_for_object(service.get(), L"Create", {"IIsWebServer", site_name})) {
    if (call(site.get(), L"SetInfo", {})) {
      Variant value;
      if (invoke(site.get(), L"AnonymousUserName", DISPATCH_PROPERTYGET, {}, value)) user = value.text();
    }
  }
  // The probe site goes again whether or not it told anything.
  call(service.get(), L"Delete", {"IIsWebServer", site_name});
  return user.value_or("");
}

}  // namespace qm
