// The installer property file, as the product database's custom action reads
// it (actions/installer_property_file.h): any bytes give properties with a
// name that is neither empty nor the marker, and the input's lines, written
// as the engine writes them (name, value, "$ex"), read back as they were.

#include "actions/installer_property_file.h"
#include "fuzz_input.h"

namespace {

using qm::actions::InstallerProperty;

// The lines of the input in pairs, as the properties an engine run would
// write: a name is never empty nor "$ex", and neither holds a line end.
std::vector<InstallerProperty> pairs_of(const std::vector<std::string>& lines) {
  std::vector<InstallerProperty> pairs;
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
    if (lines[i].empty() || lines[i] == qm::actions::kEndOfProperty) continue;
    if (lines[i].size() > qm::actions::kMaxLineLength || lines[i + 1].size() > qm::actions::kMaxLineLength) continue;
    pairs.push_back({lines[i], lines[i + 1]});
  }
  return pairs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = qm::fuzz::as_text(data, size);

  for (const InstallerProperty& property : qm::actions::parse_installer_property_file(text)) {
    QM_FUZZ_CHECK(!property.name.empty());
    QM_FUZZ_CHECK(property.name != qm::actions::kEndOfProperty);
    QM_FUZZ_CHECK(property.name.find('\n') == std::string::npos);
    QM_FUZZ_CHECK(property.name.size() <= qm::actions::kMaxLineLength);
  }

  const std::vector<InstallerProperty> written = pairs_of(qm::fuzz::lines(text));
  std::string file;
  std::vector<InstallerProperty> expected;
  for (const InstallerProperty& property : written) {
    file += property.name + "\r\n" + property.value + "\r\n$ex\r\n";
    expected.push_back({property.name, qm::actions::decode_file_value(property.value)});
  }
  QM_FUZZ_CHECK(qm::actions::parse_installer_property_file(file) == expected);

  // The Property table's marker: a value changes exactly when it holds one.
  const std::string restored = qm::actions::restore_quotes(text);
  QM_FUZZ_CHECK(qm::actions::holds_quote_marker(text) == (restored.size() < text.size()));
  QM_FUZZ_CHECK(qm::actions::holds_quote_marker(text) || restored == text);
  return 0;
}
