#include "script/package_reader.h"

#include <fstream>
#include <vector>

#include "script/ansi_text.h"
#include "script/integer_text.h"

namespace qm {

namespace {

constexpr std::string_view kEndMarker = "$";

// Walks the package text line by line. Running out of lines is an error that
// names the section being read, never a wait for a marker that cannot come.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  std::string_view line(std::string_view section) {
    if (pos_ >= text_.size()) throw PackageError("The setup package is incomplete: it ends before the end of the " + std::string(section) + ".");
    std::size_t end = text_.find('\n', pos_);
    std::string_view line;
    if (end == std::string_view::npos) {
      line = text_.substr(pos_);
      pos_ = text_.size();
    } else {
      line = text_.substr(pos_, end - pos_);
      pos_ = end + 1;
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }

  std::vector<std::string> list(std::string_view section) {
    std::vector<std::string> entries;
    for (std::string_view entry = line(section); entry != kEndMarker; entry = line(section))
      entries.emplace_back(entry);
    return entries;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// "$" cannot be a list entry (it ends the list), so the build writes it as
// "$WILD_DOLLAR$" or "$DOLLAR$"; only whole entries are put back.
void restore_dollar_entries(std::vector<std::string>& parameters) {
  for (std::string& entry : parameters)
    if (equal_ignore_case(entry, "$WILD_DOLLAR$") || equal_ignore_case(entry, "$DOLLAR$")) entry.assign(1, '$');
}

void check_parallel(const SetupPackage& package) {
  auto check = [&](const IndexedList& list, std::string_view name) {
    if (list.size() != package.line_count())
      throw PackageError("The setup package is damaged: the " + std::string(name) + " has " +
                         std::to_string(list.size()) + " entries for " + std::to_string(package.line_count()) +
                         " script lines.");
  };
  check(package.line_ids, "line identifier list");
  check(package.line_states, "line state list");
  check(package.line_media_folders, "line media folder list");
}

}  // namespace

SetupPackage parse_package(std::string_view text) {
  if (text.empty()) throw PackageError("The setup package is empty.");
  LineReader reader(text);
  SetupPackage package;

  package.commands = IndexedList(reader.list("command list"));
  package.line_ids = IndexedList(reader.list("line identifier list"));
  std::vector<std::string> parameters = reader.list("parameter list");
  restore_dollar_entries(parameters);
  package.line_states = IndexedList(reader.list("line state list"));

  package.product_code = reader.line("product code");
  package.product_title = reader.line("product title");
  package.plugin_commands = IndexedList(reader.list("plug-in command list"));

  PublisherLines& publisher = package.publisher;
  for (std::string* value : {&publisher.publisher, &publisher.support_contact, &publisher.help_link,
                             &publisher.update_info_link, &publisher.comments, &publisher.product_version})
    *value = reader.line("publisher lines");

  package.web_media_secrets = reader.list("web media secret table");
  package.line_media_folders = IndexedList(reader.list("line media folder list"));

  const std::string_view build_kind = reader.line("build kind");
  const auto kind = parse_integer_text(build_kind);
  if (!kind)
    throw PackageError("The setup package is damaged: the build kind '" + std::string(build_kind) +
                       "' is not a number.");
  package.build_kind = *kind;

  package.component_sizes = reader.list("component size list");
  package.revision_code = reader.line("revision code");
  package.media_files = IndexedList(reader.list("media file list"));
  package.language_dialog = reader.line("language dialog flag") == "TRUE";
  package.default_language = reader.line("default language");
  package.command_headers = IndexedList(reader.list("command header list"));
  package.build_constants = reader.list("build constant list");

  package.parameter_lists.emplace_back(std::move(parameters));
  package.index_command_headers();
  check_parallel(package);
  return package;
}

SetupPackage read_package(const std::string& path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) throw PackageError("The setup package " + path + " cannot be opened.");
  const std::streamoff size = file.tellg();
  std::string content(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  file.seekg(0);
  if (!file.read(content.data(), static_cast<std::streamsize>(content.size())))
    throw PackageError("The setup package " + path + " cannot be read.");
  return parse_package(content);
}

}  // namespace qm
