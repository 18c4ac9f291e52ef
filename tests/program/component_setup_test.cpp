// Components in a whole setup under Wine: the real engine with the package's
// component size list, a script that defines and changes components, and the
// variables it reads back, as a dump line shows them.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/support/script_text.h"
#include "tests/support/setup_folder.h"

namespace qm {
namespace {

TEST(ComponentSetupTest, TheScriptDefinesChangesAndReadsComponents) {
  test::PackageText package = test::script_package(R"(
    Define Component | Core | TRUE | Core files
    Define Component | Docs | FALSE | Manuals
    Define Component | Docs\Samples | TRUE |
    Get Component Space | | REQUIRED_AT_START
    Set Component State | Docs | TRUE
    Set Component Choice | Docs\Samples | FALSE
    Set Component Visibility | Core | FALSE
    Delete Component | Docs\Samples
    Get Component State | docs | DOCS
    Get Component State | Docs\Samples | SAMPLES
    Get Component State | Core | CORE
    Get Component State | VRAK-PREDEF-COMPONENT | ENGINE
    Get Component Space | Core | CORE_SIZE
    Get Component Space | Nothing | NOTHING_SIZE
    Get Component Space | | REQUIRED
    Set Component Space | Docs | 12abc
    Set Component Space | Core | 1048576
    Define Component | Docs\Samples | FALSE |
    Get Component Space | | REQUIRED_AT_END
    dump)");
  package.component_sizes = {"VRAK-PREDEF-COMPONENT", "1000", "CORE", "5368709120", "DOCS", "2048",
                             "DOCS\\SAMPLES", "512"};
  const test::SetupFolder setup(package.text());
  ASSERT_EQ(setup.run("/s"), 0u);

  const std::map<std::string, std::string> variables = setup.variables();
  const std::map<std::string, std::string> expected = {
      {"REQUIRED_AT_START", "5368710632"},  // the engine, Core and Docs\Samples
      {"DOCS", "TRUE"},
      {"SAMPLES", "FALSE"},  // deleted
      {"CORE", "TRUE"},      // hidden, still selected
      {"ENGINE", "TRUE"},
      {"CORE_SIZE", "5368709120"},
      {"NOTHING_SIZE", "0"},
      {"REQUIRED", "5368712168"},      // the engine, Core and Docs
      {"REQUIRED_AT_END", "1052136"},  // Core's new size; Docs\Samples defined again keeps TRUE
  };
  for (const auto& [name, value] : expected) {
    const auto found = variables.find(name);
    ASSERT_NE(found, variables.end()) << name;
    EXPECT_EQ(found->second, value) << name;
  }
}

}  // namespace
}  // namespace qm
