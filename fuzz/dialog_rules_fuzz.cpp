// Dialog rules, as a product's rule file holds them (one per line), applied to
// a page of a few controls: whatever the lines, a rule writes only a
// property the page has, and the parts it is cut into come from its line.

#include <map>

#include "fuzz_input.h"
#include "wizard/dialog_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> lines = qm::fuzz::lines(qm::fuzz::as_text(data, size));
  std::map<std::string, std::string> page = {{"CheckBox1.Checked", "True"}, {"Button1.Enabled", "False"},
                                             {"Edit1.Text", "C:\\App"}};
  const std::size_t properties = page.size();
  const qm::ControlProperties access{
      [&](const std::string& control, const std::string& property) -> std::optional<std::string> {
        const auto found = page.find(control + "." + property);
        if (found == page.end()) return std::nullopt;
        return found->second;
      },
      [&](const std::string& control, const std::string& property, const std::string& value) {
        const auto found = page.find(control + "." + property);
        QM_FUZZ_CHECK(!control.empty() && !property.empty());
        if (found != page.end()) found->second = value;
      }};
  for (const std::string& line : lines) {
    const qm::DialogRule rule = qm::parse_dialog_rule(line);
    for (const std::string* part : {&rule.source_control, &rule.source_property, &rule.compare_value,
                                    &rule.target_control, &rule.target_property, &rule.new_value})
      QM_FUZZ_CHECK(part->size() <= line.size());
  }
  qm::apply_dialog_rules(lines, access);
  QM_FUZZ_CHECK(page.size() == properties);
  return 0;
}
