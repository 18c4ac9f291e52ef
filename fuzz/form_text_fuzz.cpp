// The dialog definition reader: what start-up does with each ".dfm" file of
// the resource archive, which a user can replace. A definition that cannot be
// read must say so with a FormTextError naming the file and a line; every
// other exception is a fault. A definition that was read keeps within the
// reader's bounds, answers the wizard's lookups, and, written again in the
// form text, reads as the same tree.

#include <cstdio>
#include <string>

#include "fuzz_input.h"
#include "script/ansi_text.h"
#include "wizard/form_text.h"
#include "wizard/form_tree.h"

namespace {

constexpr std::string_view kSourceName = "fuzz.dfm";

void write_value(std::string& out, const qm::FormValue& value);

void write_string(std::string& out, const std::string& text) {
  bool quoted = false;
  for (const char c : text) {
    const auto code = static_cast<unsigned char>(c);
    const bool plain = code >= 0x20 && code < 0x7F && c != '\'';
    if (plain != quoted) {
      out += '\'';
      quoted = plain;
    }
    if (plain) {
      out += c;
    } else {
      out += '#' + std::to_string(code);
    }
  }
  if (quoted) out += '\'';
  if (text.empty()) out += "''";
}

void write_float(std::string& out, double number) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", number);
  std::string text = buffer;
  // Digits alone would read as an integer.
  if (text.find_first_of(".e") == std::string::npos) text += ".0";
  out += text;
}

void write_properties(std::string& out, const std::vector<qm::FormProperty>& properties) {
  for (const qm::FormProperty& property : properties) {
    out += property.name + " = ";
    write_value(out, property.value);
    out += '\n';
  }
}

void write_value(std::string& out, const qm::FormValue& value) {
  switch (qm::kind_of(value)) {
    case qm::FormValueKind::kString: write_string(out, std::get<std::string>(value.data)); break;
    case qm::FormValueKind::kInteger: out += std::to_string(std::get<std::int64_t>(value.data)); break;
    case qm::FormValueKind::kFloat: write_float(out, std::get<double>(value.data)); break;
    case qm::FormValueKind::kIdentifier: out += std::get<qm::FormIdentifier>(value.data).name; break;
    case qm::FormValueKind::kSet: {
      out += '[';
      const auto& elements = std::get<qm::FormSet>(value.data).elements;
      for (std::size_t i = 0; i < elements.size(); ++i) out += (i ? ", " : "") + elements[i];
      out += ']';
      break;
    }
    case qm::FormValueKind::kList:
      out += '(';
      for (const qm::FormValue& item : std::get<qm::FormList>(value.data).items) {
        out += ' ';
        write_value(out, item);
      }
      out += ')';
      break;
    case qm::FormValueKind::kBinary: {
      out += "{\n";
      static constexpr char kDigits[] = "0123456789ABCDEF";
      for (const std::uint8_t byte : std::get<qm::FormBinary>(value.data).bytes) {
        out += kDigits[byte >> 4];
        out += kDigits[byte & 15];
      }
      out += '}';
      break;
    }
    case qm::FormValueKind::kCollection:
      out += "<\n";
      for (const qm::FormCollectionItem& item : std::get<qm::FormCollection>(value.data).items) {
        out += "item";
        if (item.ordinal) out += " [" + std::to_string(*item.ordinal) + "]";
        out += '\n';
        write_properties(out, item.properties);
        out += "end\n";
      }
      out += '>';
      break;
  }
}

void write_component(std::string& out, const qm::FormComponent& component) {
  static constexpr std::string_view kKinds[] = {"object ", "inherited ", "inline "};
  out += kKinds[static_cast<int>(component.kind)];
  if (!component.name.empty()) out += component.name + ": ";
  out += component.class_name;
  if (component.index) out += " [" + std::to_string(*component.index) + "]";
  out += '\n';
  write_properties(out, component.properties);
  for (const qm::FormComponent& child : component.children) write_component(out, child);
  out += "end\n";
}

// The same tree, but for the lines where blocks begin.
bool same_tree(const qm::FormComponent& a, const qm::FormComponent& b) {
  if (a.kind != b.kind || a.name != b.name || a.class_name != b.class_name || a.index != b.index ||
      a.properties != b.properties || a.children.size() != b.children.size())
    return false;
  for (std::size_t i = 0; i < a.children.size(); ++i)
    if (!same_tree(a.children[i], b.children[i])) return false;
  return true;
}

void check_lookups(const qm::FormComponent& component) {
  for (const qm::FormProperty& property : component.properties) {
    const qm::FormProperty* found = component.find_property(property.name);
    QM_FUZZ_CHECK(found != nullptr && qm::ascii_equal_ignore_case(found->name, property.name));
    QM_FUZZ_CHECK(found >= &property);  // the last one written
    (void)component.property_text(property.name);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = qm::fuzz::as_text(data, size);
  const qm::FormTextOptions options;
  qm::FormComponent form;
  try {
    form = qm::parse_form_text(text, kSourceName, options);
  } catch (const qm::FormTextError& error) {
    QM_FUZZ_CHECK(std::string_view(error.what()).starts_with("fuzz.dfm, line "));
    return 0;
  }

  std::size_t components = 1;
  check_lookups(form);
  qm::for_each_component(form, [&](const qm::FormComponent& component, std::size_t depth) {
    ++components;
    QM_FUZZ_CHECK(depth < options.limits.max_depth);
    QM_FUZZ_CHECK(component.line >= form.line);
    check_lookups(component);
    if (!component.name.empty()) QM_FUZZ_CHECK(form.find_component(component.name) != nullptr);
  });
  QM_FUZZ_CHECK(components <= options.limits.max_components);
  for (const qm::FormComponent* component : qm::bound_components(form)) QM_FUZZ_CHECK(!component->is_form_designer());

  std::string written;
  write_component(written, form);
  try {
    QM_FUZZ_CHECK(same_tree(form, qm::parse_form_text(written, kSourceName, options)));
  } catch (const qm::FormTextError& error) {
    std::fprintf(stderr, "%s\n", error.what());
    QM_FUZZ_CHECK(!"the definition written again could not be read");
  }
  return 0;
}
