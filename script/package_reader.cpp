#include "script/package_reader.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include "script/ansi_text.h"
#include "script/integer_text.h"

namespace qm {

namespace {

constexpr std::string_view kEndMarker = "$";

enum class SectionKind { kLine, kList };

struct SectionShape {
  std::string_view name;  // as errors name it
  SectionKind kind;
};

// The sections of a package, in order.
constexpr SectionShape kLayout[] = {
    {"command list", SectionKind::kList},
    {"line identifier list", SectionKind::kList},
    {"parameter list", SectionKind::kList},
    {"line state list", SectionKind::kList},
    {"product code", SectionKind::kLine},
    {"product title", SectionKind::kLine},
    {"plug-in command list", SectionKind::kList},
    {"publisher lines", SectionKind::kLine},
    {"publisher lines", SectionKind::kLine},
    {"publisher lines", SectionKind::kLine},
    {"publisher lines", SectionKind::kLine},
    {"publisher lines", SectionKind::kLine},
    {"publisher lines", SectionKind::kLine},
    {"web media secret table", SectionKind::kList},
    {"line media folder list", SectionKind::kList},
    {"build kind", SectionKind::kLine},
    {"component size list", SectionKind::kList},
    {"revision code", SectionKind::kLine},
    {"media file list", SectionKind::kList},
    {"language dialog flag", SectionKind::kLine},
    {"default language", SectionKind::kLine},
    {"command header list", SectionKind::kList},
    {"build constant list", SectionKind::kList},
};
constexpr std::size_t kSectionCount = std::size(kLayout);

// Line ends are searched a machine word at a time: the C library's search is
// a byte loop on some systems, and a large package is mostly line ends to
// find.
using Word = std::uintptr_t;
constexpr Word kOnes = static_cast<Word>(0x0101010101010101ull);
constexpr Word kHighBits = static_cast<Word>(0x8080808080808080ull);
constexpr Word kLineFeeds = kOnes * '\n';

// The top bit of each byte of `word` that is a line feed is set. A byte just
// above a line feed may be marked too (by the borrow); the lowest mark is
// always a line feed.
Word line_feed_bytes(Word word) {
  const Word x = word ^ kLineFeeds;
  return (x - kOnes) & ~x & kHighBits;
}

std::size_t find_line_end(std::string_view text, std::size_t from) {
  std::size_t i = from;
  for (; i + sizeof(Word) <= text.size(); i += sizeof(Word)) {
    Word word;
    std::memcpy(&word, text.data() + i, sizeof word);
    if (const Word marks = line_feed_bytes(word); marks != 0) {
      // The bytes of a word loaded from memory lie in order from its low end.
      if constexpr (std::endian::native == std::endian::little) return i + std::countr_zero(marks) / 8;
      break;
    }
  }
  const void* found = std::memchr(text.data() + i, '\n', text.size() - i);
  return found == nullptr ? std::string_view::npos : static_cast<const char*>(found) - text.data();
}

// At least as many as the line feeds the text holds (a few more when vertical
// tabs follow line feeds): a bound for the entries of its lists.
std::size_t count_line_ends(std::string_view text) {
  std::size_t count = 0;
  std::size_t i = 0;
  for (; i + sizeof(Word) <= text.size(); i += sizeof(Word)) {
    Word word;
    std::memcpy(&word, text.data() + i, sizeof word);
    // One bit per marked byte, summed into the top byte by the multiplication.
    count += static_cast<std::size_t>(((line_feed_bytes(word) >> 7) * kOnes) >> (8 * (sizeof(Word) - 1)));
  }
  for (; i < text.size(); ++i) count += text[i] == '\n';
  return count;
}

// The next line of `text` from `pos`, without its CR LF (a lone LF ends a
// line too); `pos` moves past it. A last line without a line end counts
// only when `last_line_complete`.
bool next_line(std::string_view text, std::size_t& pos, std::string_view& line, bool last_line_complete) {
  if (pos >= text.size()) return false;
  const std::size_t end = find_line_end(text, pos);
  if (end == std::string_view::npos) {
    if (!last_line_complete) return false;
    line = text.substr(pos);
    pos = text.size();
  } else {
    line = text.substr(pos, end - pos);
    pos = end + 1;
  }
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return true;
}

// Walks the package text section by section. Running out of lines is an
// error that names the section being read, never a wait for a marker that
// cannot come.
class SectionReader {
 public:
  explicit SectionReader(std::string_view text) : text_(text) {}

  // Lists are about to be read whose entries together are at most `count`.
  void expect_entries(std::size_t count) { expected_entries_ = count; }

  std::string_view line(std::string_view section) {
    std::string_view line;
    if (!next_line(text_, pos_, line, true))
      throw PackageError("The setup package is incomplete: it ends before the end of the " + std::string(section) +
                         ".");
    return line;
  }

  std::vector<std::string_view> list(std::string_view section) {
    std::vector<std::string_view> entries;
    entries.reserve(expected_entries_);
    for (std::string_view entry = line(section); entry != kEndMarker; entry = line(section)) entries.push_back(entry);
    return entries;
  }

  std::vector<std::string> owned_list(std::string_view section) {
    const std::vector<std::string_view> views = list(section);
    return {views.begin(), views.end()};
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t expected_entries_ = 0;
};

// "$" cannot be a list entry (it ends the list), so the build writes it as
// "$WILD_DOLLAR$" or "$DOLLAR$"; only whole entries are put back.
void restore_dollar_entries(std::vector<std::string_view>& parameters) {
  for (std::string_view& entry : parameters) {
    if ((entry.size() == 8 || entry.size() == 13) &&
        (equal_ignore_case(entry, "$WILD_DOLLAR$") || equal_ignore_case(entry, "$DOLLAR$")))
      entry = kEndMarker;
  }
}

void check_parallel(const SetupPackage& package) {
  auto check = [&](std::size_t size, std::string_view name) {
    if (size != package.line_count())
      throw PackageError("The setup package is damaged: the " + std::string(name) + " has " + std::to_string(size) +
                         " entries for " + std::to_string(package.line_count()) + " script lines.");
  };
  check(package.line_ids.size(), "line identifier list");
  check(package.line_states.size(), "line state list");
  check(package.line_media_folders.size(), "line media folder list");
}

// Reads the sections in the layout's order into `package`; the views point
// into `text`, which the package keeps.
void read_sections(std::string_view text, SetupPackage& package) {
  SectionReader reader(text);
  // Reserved ahead, the large lists are never moved while they grow.
  const std::size_t line_ends = count_line_ends(text);
  reader.expect_entries(line_ends);
  package.commands = reader.list("command list");
  // A package has four entries of each line in its lists at least; for a
  // damaged one nothing is reserved beyond what it holds.
  const std::size_t lines = 4 * package.commands.size() <= line_ends ? package.commands.size() : 0;
  reader.expect_entries(lines);
  package.line_ids = IndexedViews(reader.list("line identifier list"));
  reader.expect_entries(line_ends - 3 * lines);
  std::vector<std::string_view> parameters = reader.list("parameter list");
  restore_dollar_entries(parameters);
  reader.expect_entries(lines);
  package.line_states = reader.list("line state list");
  reader.expect_entries(0);

  package.product_code = reader.line("product code");
  package.product_title = reader.line("product title");
  package.plugin_commands = IndexedList(reader.owned_list("plug-in command list"));

  PublisherLines& publisher = package.publisher;
  for (std::string* value : {&publisher.publisher, &publisher.support_contact, &publisher.help_link,
                             &publisher.update_info_link, &publisher.comments, &publisher.product_version})
    *value = reader.line("publisher lines");

  package.web_media_secrets = reader.owned_list("web media secret table");
  reader.expect_entries(lines);
  package.line_media_folders = reader.list("line media folder list");
  reader.expect_entries(0);

  const std::string_view build_kind = reader.line("build kind");
  const auto kind = parse_integer_text(build_kind);
  if (!kind)
    throw PackageError("The setup package is damaged: the build kind '" + std::string(build_kind) +
                       "' is not a number.");
  package.build_kind = *kind;

  package.component_sizes = reader.owned_list("component size list");
  package.revision_code = reader.line("revision code");
  package.media_files = IndexedList(reader.owned_list("media file list"));
  package.language_dialog = reader.line("language dialog flag") == "TRUE";
  package.default_language = reader.line("default language");
  package.command_headers = IndexedList(reader.owned_list("command header list"));
  package.build_constants = reader.owned_list("build constant list");

  package.parameter_lists.emplace_back(std::move(parameters), package.line_ids);
  package.index_command_headers();
  check_parallel(package);
}

}  // namespace

std::optional<std::size_t> PackageScanner::scan(std::string_view text, bool all_of_it) {
  std::string_view line;
  while (section_ < kSectionCount) {
    if (!next_line(text, pos_, line, all_of_it)) return std::nullopt;
    if (kLayout[section_].kind == SectionKind::kLine || line == kEndMarker) ++section_;
  }
  return pos_;
}

SetupPackage parse_package(std::string&& text) {
  if (text.empty()) throw PackageError("The setup package is empty.");
  auto kept = std::make_shared<const std::string>(std::move(text));
  SetupPackage package;
  package.keep_text(kept);
  read_sections(*kept, package);
  return package;
}

SetupPackage parse_package(std::string_view text) { return parse_package(std::string(text)); }

SetupPackage parse_package(const char* text) { return parse_package(std::string_view(text)); }

SetupPackage read_package(const std::string& path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) throw PackageError("The setup package " + path + " cannot be opened.");
  const std::streamoff size = file.tellg();
  std::string content(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  file.seekg(0);
  if (!file.read(content.data(), static_cast<std::streamsize>(content.size())))
    throw PackageError("The setup package " + path + " cannot be read.");
  return parse_package(std::move(content));
}

}  // namespace qm
