#pragma once
// A dialog definition as read from its form text: one component (the form)
// holding its properties in file order and its child components in order.
//
// Values keep the kind the text wrote them in, since the designer assigns a
// property by the kind of its value (a string, an integer, an identifier such
// as True or clBtnFace, a set, a list of strings, binary picture data, the
// items of a collection). The wizard reads most of them as text by name.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qm {

struct FormValue;
struct FormProperty;

// A bare word of the text: True, clBtnFace, alClient, a component reference.
struct FormIdentifier {
  std::string name;
  bool operator==(const FormIdentifier&) const = default;
};

// [akLeft, akTop]: the names of the elements, as written.
struct FormSet {
  std::vector<std::string> elements;
  bool operator==(const FormSet&) const = default;
};

// ( 'a' 'b' 1 ): string lists of memos, list boxes and the like.
struct FormList {
  std::vector<FormValue> items;
  bool operator==(const FormList& other) const;
};

// { 0A1B... }: picture and other stream data.
struct FormBinary {
  std::vector<std::uint8_t> bytes;
  bool operator==(const FormBinary&) const = default;
};

// One "item ... end" of a collection; the text may give it an ordinal.
struct FormCollectionItem {
  std::optional<std::int64_t> ordinal;
  std::vector<FormProperty> properties;
  bool operator==(const FormCollectionItem& other) const;
};

// < item ... end item ... end >: columns, panels, tab definitions.
struct FormCollection {
  std::vector<FormCollectionItem> items;
  bool operator==(const FormCollection& other) const;
};

struct FormValue {
  // The order of the alternatives is the order of FormValueKind.
  std::variant<std::string, std::int64_t, double, FormIdentifier, FormSet, FormList, FormBinary, FormCollection>
      data;

  // Written out rather than defaulted: the types refer to each other, and
  // some compilers loop on defaulted comparisons of such types.
  bool operator==(const FormValue& other) const;
};

enum class FormValueKind { kString, kInteger, kFloat, kIdentifier, kSet, kList, kBinary, kCollection };

FormValueKind kind_of(const FormValue& value);

struct FormProperty {
  std::string name;  // dotted for a property of a property: "Font.Name"
  FormValue value;
  bool operator==(const FormProperty& other) const;
};

// How a component block begins: a component of its own, one a form inherits
// from its ancestor (changed here), or a frame placed inline.
enum class ComponentKind { kObject, kInherited, kInline };

struct FormComponent {
  ComponentKind kind = ComponentKind::kObject;
  std::string name;        // empty for the anonymous form "object TClass"
  std::string class_name;  // kept as written; whether the class is known is the wizard's concern
  std::optional<std::int64_t> index;  // "[n]" after the class: its place among the inherited children
  std::size_t line = 0;               // where its block begins, for the wizard's own messages
  std::vector<FormProperty> properties;
  std::vector<FormComponent> children;

  // The designer's own component, which the build tool may leave in a
  // definition; nothing that binds or shows controls uses it.
  bool is_form_designer() const;

  // The property of that name, compared without regard to ASCII case as the
  // designer compares names. A property written twice is found where it was
  // written last, since loading assigns them in order and the last one stays.
  const FormProperty* find_property(std::string_view property_name) const;

  // The property read as text (see text_of), or nothing when it is absent or
  // has no text form.
  std::optional<std::string> property_text(std::string_view property_name) const;

  // The first component of that name among this one's descendants (depth
  // first, in file order), compared as the designer compares names.
  const FormComponent* find_component(std::string_view component_name) const;
};

// A value as the designer reads a property as text: strings as they are,
// numbers in decimal, identifiers by name, sets as their element names joined
// by "," (without brackets), lists as lines each ended by CR LF (a string
// list's text). Binary data and collections have no text form.
std::optional<std::string> text_of(const FormValue& value);

// Every component below `form` (not the form itself), depth first in file
// order, each with its depth (1 for the form's own children).
void for_each_component(const FormComponent& form,
                        const std::function<void(const FormComponent& component, std::size_t depth)>& visit);

// The components binding walks: every component below `form` in file order,
// without the designer's own component (nor anything placed inside it).
std::vector<const FormComponent*> bound_components(const FormComponent& form);

}  // namespace qm
