// The setup package reader: what the bootstrap does with the bytes of its own
// file. A setup program is the engine's image followed by the package; an input
// that is a PE image is cut where the image ends, any other input is read as a
// package on its own. A package that cannot be read must say so with a
// PackageError; every other exception is a fault. A package that was read is
// then walked as the interpreter and the run initialisation walk it, and
// written again in the package format: reading that gives the same package.

#include <optional>

#include "fuzz_input.h"
#include "script/ansi_text.h"
#include "script/labels.h"
#include "script/package_reader.h"
#include "script/pe_image.h"
#include "script/setup_package.h"

namespace {

// The hashed lookup answers what a search from the front answers.
template <typename List>
void check_lookup(const List& list) {
  if (list.size() > 64) return;
  for (std::size_t i = 0; i < list.size(); ++i) {
    std::size_t first = 0;
    while (!qm::equal_ignore_case(list[first], list[i])) ++first;
    QM_FUZZ_CHECK(list.find(list[i]) == first);
    QM_FUZZ_CHECK(list.find(qm::ansi_upper(list[i])) == first);
  }
}

void walk(const qm::SetupPackage& package) {
  check_lookup(package.line_ids);
  for (const qm::IndexedList* list : {&package.plugin_commands, &package.media_files, &package.command_headers})
    check_lookup(*list);
  // A record is found at the first entry equal to its identifier.
  const qm::ParameterList& parameters = package.parameter_lists.front();
  if (parameters.size() <= 256) {
    for (std::size_t line = 0; line < package.line_count(); ++line) {
      std::size_t first = 0;
      while (first < parameters.size() && !qm::equal_ignore_case(parameters[first], package.line_id(line))) ++first;
      const std::size_t found = parameters.find(package.line_id(line), package.line_ids);
      QM_FUZZ_CHECK(found == (first == parameters.size() ? qm::ParameterList::npos : first));
    }
  }
  QM_FUZZ_CHECK(package.line_ids.size() == package.line_count());
  QM_FUZZ_CHECK(package.line_states.size() == package.line_count());
  QM_FUZZ_CHECK(package.line_media_folders.size() == package.line_count());
  QM_FUZZ_CHECK(package.parameter_lists.size() == 1);
  for (std::size_t line = 0; line < package.line_count(); ++line) {
    (void)package.command(line);
    (void)package.is_commented_out(line);
    QM_FUZZ_CHECK(package.line_ids.find(package.line_id(line)) <= line);
    for (std::size_t n = 0; n < 8; ++n) (void)package.field_of_line(line, n);
    (void)package.header(line, qm::HeaderLookup::kTolerant);
    try {
      QM_FUZZ_CHECK(!package.header(line).empty());
    } catch (const qm::ScriptError& error) {
      QM_FUZZ_CHECK(error.what() == qm::kMissingHeaderMessage);
    }
  }
  // One past the last line: run initialisation's walk may ask for it.
  (void)package.header(package.line_count(), qm::HeaderLookup::kTolerant);
  for (std::string_view entry : package.parameter_lists.front().entries())
    QM_FUZZ_CHECK(!qm::equal_ignore_case(entry, "$DOLLAR$") && !qm::equal_ignore_case(entry, "$WILD_DOLLAR$"));
  for (const qm::Label& label : qm::collect_labels(package)) QM_FUZZ_CHECK(label.line < package.line_count());
}

void add(std::string& out, std::string_view line) {
  out += line;
  out += "\r\n";
}

template <typename Text>
void add_list(std::string& out, const std::vector<Text>& entries, bool parameters = false) {
  for (const Text& entry : entries) add(out, parameters && entry == "$" ? std::string_view("$DOLLAR$") : std::string_view(entry));
  add(out, "$");
}

// The package in its own format, as the build tool writes it.
std::string package_text(const qm::SetupPackage& package) {
  std::string out;
  add_list(out, package.commands);
  add_list(out, package.line_ids.entries());
  add_list(out, package.parameter_lists.front().entries(), true);
  add_list(out, package.line_states);
  add(out, package.product_code);
  add(out, package.product_title);
  add_list(out, package.plugin_commands.entries());
  const qm::PublisherLines& publisher = package.publisher;
  for (const std::string* value : {&publisher.publisher, &publisher.support_contact, &publisher.help_link,
                                   &publisher.update_info_link, &publisher.comments, &publisher.product_version})
    add(out, *value);
  add_list(out, package.web_media_secrets);
  add_list(out, package.line_media_folders);
  add(out, std::to_string(package.build_kind));
  add_list(out, package.component_sizes);
  add(out, package.revision_code);
  add_list(out, package.media_files.entries());
  add(out, package.language_dialog ? "TRUE" : "FALSE");
  add(out, package.default_language);
  add_list(out, package.command_headers.entries());
  add_list(out, package.build_constants);
  return out;
}

void check_same(const qm::SetupPackage& a, const qm::SetupPackage& b) {
  QM_FUZZ_CHECK(a.commands == b.commands);
  QM_FUZZ_CHECK(a.line_ids.entries() == b.line_ids.entries());
  QM_FUZZ_CHECK(a.parameter_lists.front().entries() == b.parameter_lists.front().entries());
  QM_FUZZ_CHECK(a.line_states == b.line_states);
  QM_FUZZ_CHECK(a.product_code == b.product_code && a.product_title == b.product_title);
  QM_FUZZ_CHECK(a.plugin_commands.entries() == b.plugin_commands.entries());
  QM_FUZZ_CHECK(a.publisher.publisher == b.publisher.publisher &&
                a.publisher.support_contact == b.publisher.support_contact &&
                a.publisher.help_link == b.publisher.help_link &&
                a.publisher.update_info_link == b.publisher.update_info_link &&
                a.publisher.comments == b.publisher.comments &&
                a.publisher.product_version == b.publisher.product_version);
  QM_FUZZ_CHECK(a.web_media_secrets == b.web_media_secrets);
  QM_FUZZ_CHECK(a.line_media_folders == b.line_media_folders);
  QM_FUZZ_CHECK(a.build_kind == b.build_kind && a.revision_code == b.revision_code);
  QM_FUZZ_CHECK(a.component_sizes == b.component_sizes);
  QM_FUZZ_CHECK(a.media_files.entries() == b.media_files.entries());
  QM_FUZZ_CHECK(a.language_dialog == b.language_dialog && a.default_language == b.default_language);
  QM_FUZZ_CHECK(a.command_headers.entries() == b.command_headers.entries());
  QM_FUZZ_CHECK(a.build_constants == b.build_constants);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text = qm::fuzz::as_text(data, size);
  if (const auto image_end = qm::pe_image_end(data, size)) {
    if (*image_end <= size) text.remove_prefix(*image_end);
  }
  try {
    const qm::SetupPackage package = qm::parse_package(text);
    walk(package);
    check_same(package, qm::parse_package(package_text(package)));
    // Found piece by piece, as start-up reads it out of the engine file, the
    // package ends where it was read, and that much of the text is the package.
    qm::PackageScanner scanner;
    std::optional<std::size_t> end;
    const std::size_t step = 1 + size % 97;
    for (std::size_t arrived = step; !end && arrived < text.size(); arrived += step)
      end = scanner.scan(text.substr(0, arrived), false);
    if (!end) end = scanner.scan(text, true);
    QM_FUZZ_CHECK(end.has_value() && *end <= text.size());
    check_same(package, qm::parse_package(text.substr(0, *end)));
  } catch (const qm::PackageError&) {
    // refused with its reason: the bootstrap reports it
  }
  return 0;
}
