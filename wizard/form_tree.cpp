#include "wizard/form_tree.h"

#include <cstdio>

#include "script/ansi_text.h"

namespace qm {

namespace {

constexpr std::string_view kFormDesignerName = "cmpFormDesigner";

// The designer writes a float with up to 15 significant digits and an
// exponent without "+" or leading zeros: 1.5, 1E20, 2.5E-7.
std::string float_text(double number) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.15G", number);
  std::string text = buffer;
  const std::size_t e = text.find('E');
  if (e == std::string::npos) return text;
  std::string exponent = text.substr(e + 1);
  std::string sign;
  if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
    if (exponent[0] == '-') sign = "-";
    exponent.erase(0, 1);
  }
  exponent.erase(0, std::min(exponent.find_first_not_of('0'), exponent.size() - 1));
  return text.substr(0, e + 1) + sign + exponent;
}

struct TextOf {
  std::optional<std::string> operator()(const std::string& text) const { return text; }
  std::optional<std::string> operator()(std::int64_t number) const { return std::to_string(number); }
  std::optional<std::string> operator()(double number) const { return float_text(number); }
  std::optional<std::string> operator()(const FormIdentifier& identifier) const { return identifier.name; }
  std::optional<std::string> operator()(const FormSet& set) const {
    std::string text;
    for (const std::string& element : set.elements) {
      if (!text.empty()) text += ',';
      text += element;
    }
    return text;
  }
  std::optional<std::string> operator()(const FormList& list) const {
    std::string text;
    for (const FormValue& item : list.items) {
      const std::optional<std::string> line = text_of(item);
      if (!line) return std::nullopt;
      text += *line;
      text += "\r\n";
    }
    return text;
  }
  std::optional<std::string> operator()(const FormBinary&) const { return std::nullopt; }
  std::optional<std::string> operator()(const FormCollection&) const { return std::nullopt; }
};

const FormComponent* find_below(const FormComponent& component, std::string_view name) {
  for (const FormComponent& child : component.children) {
    if (ascii_equal_ignore_case(child.name, name)) return &child;
    if (const FormComponent* found = find_below(child, name)) return found;
  }
  return nullptr;
}

void visit_below(const FormComponent& component, std::size_t depth,
                 const std::function<void(const FormComponent&, std::size_t)>& visit) {
  for (const FormComponent& child : component.children) {
    visit(child, depth);
    visit_below(child, depth + 1, visit);
  }
}

}  // namespace

bool FormValue::operator==(const FormValue& other) const {
  if (data.index() != other.data.index()) return false;
  switch (kind_of(*this)) {
    case FormValueKind::kString: return std::get<std::string>(data) == std::get<std::string>(other.data);
    case FormValueKind::kInteger: return std::get<std::int64_t>(data) == std::get<std::int64_t>(other.data);
    case FormValueKind::kFloat: return std::get<double>(data) == std::get<double>(other.data);
    case FormValueKind::kIdentifier: return std::get<FormIdentifier>(data) == std::get<FormIdentifier>(other.data);
    case FormValueKind::kSet: return std::get<FormSet>(data) == std::get<FormSet>(other.data);
    case FormValueKind::kList: return std::get<FormList>(data) == std::get<FormList>(other.data);
    case FormValueKind::kBinary: return std::get<FormBinary>(data) == std::get<FormBinary>(other.data);
    case FormValueKind::kCollection: return std::get<FormCollection>(data) == std::get<FormCollection>(other.data);
  }
  return false;
}

bool FormList::operator==(const FormList& other) const { return items == other.items; }

bool FormCollectionItem::operator==(const FormCollectionItem& other) const {
  return ordinal == other.ordinal && properties == other.properties;
}

bool FormCollection::operator==(const FormCollection& other) const { return items == other.items; }

bool FormProperty::operator==(const FormProperty& other) const { return name == other.name && value == other.value; }

FormValueKind kind_of(const FormValue& value) { return static_cast<FormValueKind>(value.data.index()); }

std::optional<std::string> text_of(const FormValue& value) { return std::visit(TextOf{}, value.data); }

bool FormComponent::is_form_designer() const { return ascii_equal_ignore_case(name, kFormDesignerName); }

const FormProperty* FormComponent::find_property(std::string_view property_name) const {
  for (auto it = properties.rbegin(); it != properties.rend(); ++it) {
    if (ascii_equal_ignore_case(it->name, property_name)) return &*it;
  }
  return nullptr;
}

std::optional<std::string> FormComponent::property_text(std::string_view property_name) const {
  const FormProperty* property = find_property(property_name);
  return property ? text_of(property->value) : std::nullopt;
}

// The reader bounds the nesting of components, so these walks are bounded too.
const FormComponent* FormComponent::find_component(std::string_view component_name) const {
  return find_below(*this, component_name);
}

void for_each_component(const FormComponent& form,
                        const std::function<void(const FormComponent&, std::size_t)>& visit) {
  visit_below(form, 1, visit);
}

std::vector<const FormComponent*> bound_components(const FormComponent& form) {
  std::vector<const FormComponent*> components;
  const FormComponent* designer_subtree = nullptr;
  std::size_t designer_depth = 0;
  for_each_component(form, [&](const FormComponent& component, std::size_t depth) {
    if (designer_subtree && depth > designer_depth) return;
    designer_subtree = nullptr;
    if (component.is_form_designer()) {
      designer_subtree = &component;
      designer_depth = depth;
      return;
    }
    components.push_back(&component);
  });
  return components;
}

}  // namespace qm
