#pragma once
// Builds setup package text for tests: every section with a sensible default,
// script lines added one by one with generated identifiers.

#include <string>
#include <vector>

namespace qm::test {

struct PackageLine {
  std::string command;
  std::vector<std::string> fields;
  std::string state;         // "C" comments the line out
  std::string media_folder;  // relative folder of the line's files
};

class PackageText {
 public:
  // Adds a script line; returns its identifier.
  std::string add_line(std::string command, std::vector<std::string> fields = {}, std::string state = {});

  // The identifier given to line `index`: "{00000000-0000-0000-0000-00000000000N}".
  static std::string line_id(std::size_t index);

  std::vector<PackageLine> lines;
  std::string product_code = "{12345678-ABCD-4321-8765-0123456789AB}";
  std::string product_title = "Sample Product";
  std::vector<std::string> plugin_commands;
  std::vector<std::string> publisher_lines = {"Brennivax", "support@example.com", "https://example.com/help",
                                              "https://example.com/update", "A comment", "1.2.3"};
  std::vector<std::string> web_media_secrets;
  std::string build_kind = "1";
  std::vector<std::string> component_sizes = {"VRAK-PREDEF-COMPONENT", "0"};
  std::string revision_code = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";
  std::vector<std::string> media_files;
  std::string language_dialog = "FALSE";
  std::string default_language = "English";
  std::vector<std::string> command_headers;
  std::vector<std::string> build_constants;

  // The package as it is appended to the engine: CR LF line ends.
  std::string text() const;
};

}  // namespace qm::test
