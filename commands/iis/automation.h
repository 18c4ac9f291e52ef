#pragma once
// Late-bound calls on automation objects (IDispatch): members found by name,
// arguments and results carried in VARIANTs. The IIS administration objects
// are reached only this way, so that a machine without IIS, or with another
// version of it, answers with a failed call rather than a missing interface.

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "platform/com_pointer.h"

namespace qm::automation {

using UniqueDispatch = platform::UniqueComPointer<IDispatch>;

// A VARIANT that owns what it holds and clears it on every way out.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  ~Variant() { VariantClear(&value_); }
  Variant(Variant&& other) noexcept;
  Variant& operator=(Variant&& other) noexcept;
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  static Variant text(std::string_view value);
  static Variant boolean(bool value);
  static Variant integer(std::int32_t value);
  // Holds a reference of its own to `object`.
  static Variant object(IDispatch* object);
  // Takes `array` (of VARIANTs) over.
  static Variant array(SAFEARRAY* array);

  VARIANT* get() { return &value_; }
  const VARIANT& value() const { return value_; }

  // The value as text, as automation converts it (a truth value gives "-1"
  // or "0"); nothing when it has no text form (an array, an object without a
  // default value, null).
  std::optional<std::string> to_text() const;

  // The object the variant holds; empty when it holds none.
  UniqueDispatch take_object();

 private:
  VARIANT value_;
};

// A new object of the class registered under `prog_id`, in process or in a
// local server; empty when the class is not registered or will not start.
UniqueDispatch create_object(const wchar_t* prog_id);

// Calls the method `name` with `arguments` (in parameter order); the result,
// or nothing when the object has no such member or the call fails.
std::optional<Variant> call(IDispatch* object, const std::wstring& name, std::initializer_list<Variant> arguments = {});

// A call whose result is an object; empty when it fails or gives none.
UniqueDispatch call_for_object(IDispatch* object, const std::wstring& name, std::initializer_list<Variant> arguments);

// Reads and writes the property `name`; false or nothing when the object has
// no such property or refuses the value.
std::optional<Variant> get_property(IDispatch* object, const std::wstring& name);
bool put_property(IDispatch* object, const std::wstring& name, const Variant& value);

// Walks the children of a directory-service container (its IADsContainer's
// enumerator) until `visit` answers false. False when the object is no
// container or the enumeration fails part-way: the children visited so far
// stay visited.
bool for_each_child(IDispatch* container, const std::function<bool(IDispatch* child)>& visit);

}  // namespace qm::automation
