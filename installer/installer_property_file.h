#pragma once
// The installer property file: what the product's own installer actions read
// to learn the script's variables and the recorded pass-through properties.
// It lies in the temp folder, named by the product code, only while Windows
// Installer runs. Lines end in CR LF; each property is three lines: its name,
// its value, "$ex".

#include <string>
#include <string_view>

namespace qm {

class VariableStore;

// Windows Installer's own properties (compared without regard to case),
// which script variables never override through the file.
bool is_excluded_property_name(std::string_view name);

struct PropertyFileInputs {
  bool patch = false;
  std::string source_folder;
  std::string data_folder;
  std::string media_path;
  // Comma texts of alternating names and values.
  std::string pass_through;
  std::string variables;
};

// The file's text. Values are expanded by `variables` and their backslash
// pairs collapsed (a leading network "\\" kept); a line break a value gains
// on expansion is written "$NEWLINE$" again, so every value stays on its line.
std::string installer_property_file_text(const PropertyFileInputs& inputs, const VariableStore& variables);

}  // namespace qm
