#include "commands/iis/automation.h"

#include <iads.h>

#include <utility>
#include <vector>

#include "platform/wide_text.h"

namespace qm::automation {

namespace {

// IID_IADsContainer, written out so that the engine needs no directory
// service import library for one interface identifier.
constexpr IID kContainerInterface = {0x001677d0, 0xfd16, 0x11ce, {0xab, 0xc4, 0x02, 0x60, 0x8c, 0x9e, 0x75, 0x53}};

void release_unknown(IUnknown* object) { object->Release(); }
using UniqueUnknown = platform::UniqueResource<platform::NullIsNoneTraits<IUnknown*, release_unknown>>;

void release_enumerator(IEnumVARIANT* enumerator) { enumerator->Release(); }
using UniqueEnumerator = platform::UniqueResource<platform::NullIsNoneTraits<IEnumVARIANT*, release_enumerator>>;

void release_container(IADsContainer* container) { container->Release(); }
using UniqueContainer = platform::UniqueResource<platform::NullIsNoneTraits<IADsContainer*, release_container>>;

std::optional<DISPID> member_id(IDispatch* object, const std::wstring& name) {
  DISPID id = 0;
  LPOLESTR names = const_cast<LPOLESTR>(name.c_str());
  if (FAILED(object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id))) return std::nullopt;
  return id;
}

// `arguments` in parameter order. A property write names its one argument
// DISPID_PROPERTYPUT, as automation requires.
std::optional<Variant> invoke(IDispatch* object, const std::wstring& name, WORD kind,
                              const std::vector<const Variant*>& arguments) {
  if (object == nullptr) return std::nullopt;
  const std::optional<DISPID> id = member_id(object, name);
  if (!id) return std::nullopt;
  // Automation takes the arguments last one first; the callee only reads
  // them, so shallow copies do.
  std::vector<VARIANT> passed;
  for (auto argument = arguments.rbegin(); argument != arguments.rend(); ++argument)
    passed.push_back((*argument)->value());
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS parameters = {passed.data(), nullptr, static_cast<UINT>(passed.size()), 0};
  if (kind == DISPATCH_PROPERTYPUT) {
    parameters.rgdispidNamedArgs = &put_id;
    parameters.cNamedArgs = 1;
  }
  Variant result;
  EXCEPINFO exception{};
  const HRESULT outcome =
      object->Invoke(*id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters, result.get(), &exception, nullptr);
  // A server that raised an exception hands its texts to the caller.
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  if (FAILED(outcome)) return std::nullopt;
  return result;
}

std::vector<const Variant*> pointers_to(std::initializer_list<Variant> arguments) {
  std::vector<const Variant*> pointers;
  for (const Variant& argument : arguments) pointers.push_back(&argument);
  return pointers;
}

}  // namespace

Variant::Variant(Variant&& other) noexcept : Variant() { std::swap(value_, other.value_); }

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    VariantClear(&value_);
    value_ = other.value_;
    VariantInit(&other.value_);
  }
  return *this;
}

Variant Variant::text(std::string_view value) {
  Variant variant;
  const std::wstring wide = platform::wide_from_ansi(value);
  variant.value_.vt = VT_BSTR;
  variant.value_.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  return variant;
}

Variant Variant::boolean(bool value) {
  Variant variant;
  variant.value_.vt = VT_BOOL;
  variant.value_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return variant;
}

Variant Variant::integer(std::int32_t value) {
  Variant variant;
  variant.value_.vt = VT_I4;
  variant.value_.lVal = value;
  return variant;
}

Variant Variant::object(IDispatch* object) {
  Variant variant;
  variant.value_.vt = VT_DISPATCH;
  variant.value_.pdispVal = object;
  if (object != nullptr) object->AddRef();
  return variant;
}

Variant Variant::array(SAFEARRAY* array) {
  Variant variant;
  variant.value_.vt = VT_ARRAY | VT_VARIANT;
  variant.value_.parray = array;
  return variant;
}

std::optional<std::string> Variant::to_text() const {
  Variant converted;
  // VariantChangeType only reads its source, whatever its signature says.
  VARIANT* source = const_cast<VARIANT*>(&value_);
  if (FAILED(VariantChangeType(converted.get(), source, 0, VT_BSTR)) || converted.value_.vt != VT_BSTR)
    return std::nullopt;
  const BSTR text = converted.value_.bstrVal;
  if (text == nullptr) return std::string();
  return platform::ansi_from_wide(std::wstring_view(text, SysStringLen(text)));
}

UniqueDispatch Variant::take_object() {
  if (value_.vt != VT_DISPATCH || value_.pdispVal == nullptr) return {};
  UniqueDispatch object(std::exchange(value_.pdispVal, nullptr));
  value_.vt = VT_EMPTY;
  return object;
}

UniqueDispatch create_object(const wchar_t* prog_id) {
  CLSID class_id;
  if (FAILED(CLSIDFromProgID(prog_id, &class_id))) return {};
  IDispatch* raw = nullptr;
  if (FAILED(CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&raw))))
    return {};
  return UniqueDispatch(raw);
}

std::optional<Variant> call(IDispatch* object, const std::wstring& name, std::initializer_list<Variant> arguments) {
  return invoke(object, name, DISPATCH_METHOD, pointers_to(arguments));
}

UniqueDispatch call_for_object(IDispatch* object, const std::wstring& name, std::initializer_list<Variant> arguments) {
  std::optional<Variant> result = call(object, name, arguments);
  return result ? result->take_object() : UniqueDispatch();
}

std::optional<Variant> get_property(IDispatch* object, const std::wstring& name) {
  return invoke(object, name, DISPATCH_PROPERTYGET, {});
}

bool put_property(IDispatch* object, const std::wstring& name, const Variant& value) {
  return invoke(object, name, DISPATCH_PROPERTYPUT, {&value}).has_value();
}

bool for_each_child(IDispatch* container, const std::function<bool(IDispatch* child)>& visit) {
  if (container == nullptr) return false;
  IADsContainer* raw_container = nullptr;
  if (FAILED(container->QueryInterface(kContainerInterface, reinterpret_cast<void**>(&raw_container)))) return false;
  const UniqueContainer directory(raw_container);
  IUnknown* raw_unknown = nullptr;
  if (FAILED(directory.get()->get__NewEnum(&raw_unknown)) || raw_unknown == nullptr) return false;
  const UniqueUnknown unknown(raw_unknown);
  IEnumVARIANT* raw_enumerator = nullptr;
  if (FAILED(unknown.get()->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&raw_enumerator))))
    return false;
  const UniqueEnumerator children(raw_enumerator);
  for (;;) {
    Variant child;
    ULONG fetched = 0;
    const HRESULT outcome = children.get()->Next(1, child.get(), &fetched);
    if (outcome == S_FALSE || (outcome == S_OK && fetched == 0)) return true;
    if (FAILED(outcome)) return false;
    const UniqueDispatch object = child.take_object();
    if (!object) return false;
    if (!visit(object.get())) return true;
  }
}

}  // namespace qm::automation
