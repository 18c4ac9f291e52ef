#pragma once
// The setup package in memory: the script (one entry per line in each of the
// parallel line lists), the parameter records, and the product's tables.
// Built once at start-up by read_package(); read-only afterwards, so it may be
// consulted from any thread. The large lists are views into the package text,
// which the package keeps.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/indexed_list.h"
#include "script/parameter_list.h"

namespace qm {

// What a build kind number means.
inline constexpr std::int32_t kWebMediaBuild = 2;
inline constexpr std::int32_t kEngineCacheBuild = 3;

// The line state that comments a line out (exactly "C", upper case).
inline constexpr std::string_view kCommentedOut = "C";

struct PublisherLines {
  std::string publisher;        // initial COMPANY; uninstall value "Publisher"
  std::string support_contact;  // "Contact"
  std::string help_link;        // "HelpLink"
  std::string update_info_link; // "URLUpdateInfo"
  std::string comments;         // "Comments"
  std::string product_version;  // initial VERSION
};

// Whether header() may answer with the empty text.
enum class HeaderLookup { kRequired, kTolerant };

class SetupPackage {
 public:
  SetupPackage() = default;
  SetupPackage(SetupPackage&&) = default;
  SetupPackage& operator=(SetupPackage&&) = default;

  // --- the script: lists parallel to one another, one entry per line
  std::vector<std::string_view> commands;            // command name of each line
  IndexedViews line_ids;                             // "{GUID}" of each line
  std::vector<std::string_view> line_states;         // "C" = commented out
  std::vector<std::string_view> line_media_folders;  // relative folder of the line's files, or empty

  // --- parameter records: identifier, field 1, field 2, ... The package brings
  // one list; the field accessor searches them all, in order.
  std::vector<ParameterList> parameter_lists;

  // --- single values
  std::string product_code;
  std::string product_title;
  PublisherLines publisher;
  std::int32_t build_kind = 0;
  std::string revision_code;
  bool language_dialog = false;
  std::string default_language;

  // --- tables
  IndexedList plugin_commands;              // names served by plug-in libraries
  std::vector<std::string> web_media_secrets;  // pairs: block name, scrambled value
  std::vector<std::string> component_sizes;    // pairs: component name, size in bytes
  IndexedList media_files;                  // triples: media name, file path, folder
  IndexedList command_headers;              // pairs: header, line index
  std::vector<std::string> build_constants; // pairs: name, value

  std::size_t line_count() const { return commands.size(); }
  std::string_view command(std::size_t line) const { return commands[line]; }
  std::string_view line_id(std::size_t line) const { return line_ids[line]; }
  bool is_commented_out(std::size_t line) const { return line_states[line] == kCommentedOut; }

  // Field n of the record of the line with this identifier (0 = the
  // identifier itself); the empty text when no record holds it. No
  // substitution is made.
  std::string field(std::string_view line_id, std::size_t n) const;
  std::string field_of_line(std::size_t line, std::size_t n) const { return field(line_id(line), n); }

  // The command header of a line. Throws the script error "Unable to obtain
  // command headers..." when the line has none and kRequired was asked.
  std::string header(std::size_t line, HeaderLookup lookup = HeaderLookup::kRequired) const;

  // Called once the tables are complete.
  void index_command_headers();

  // The text the views of the lists point into; the package keeps it.
  void keep_text(std::shared_ptr<const std::string> text) { text_ = std::move(text); }

 private:
  std::shared_ptr<const std::string> text_;
  std::unordered_map<std::string, std::string> header_of_line_;  // decimal line index -> header
};

inline constexpr std::string_view kMissingHeaderMessage =
    "Unable to obtain command headers. Please rebuild your project.";

}  // namespace qm
