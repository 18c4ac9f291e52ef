// "Save Feature Selections", "Load Feature Selections" and "Transform
// Instance" run through the real run initialisation and interpreter.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/run_values.h"
#include "tests/support/engine_run.h"
#include "tests/support/script_text.h"

namespace qm {
namespace {

using test::EngineRun;
using Values = std::vector<std::pair<std::string, std::string>>;

void expect_values(EngineRun& run, const Values& expected) {
  for (const auto& [name, value] : expected) EXPECT_EQ(run.get(name), value) << name;
}

// Saved, changed, and loaded again: the components take their saved states,
// the sets are the saved ones, and the settings and kept variables come back.
TEST(InstanceCommandsTest, SelectionsSavedAndLoadedAgain) {
  test::TempFolder folder;
  const std::string file = folder.file("selections.dat");
  EngineRun run(test::script_package(
                    "Define Component | Core | TRUE |\n"
                    "Define Component | Docs | FALSE |\n"
                    "Set Variable | SERIAL$VRAK$VRAK$TRUE | 12$NEWLINE$34\n"
                    "Set Component Visibility | Docs | FALSE\n"
                    "Save Feature Selections | $FILE$\n"
                    "Set Component State | Core | FALSE\n"
                    "Set Component State | Docs | TRUE\n"
                    "Set Component Visibility | Docs | TRUE\n"
                    "Set Component Choice | Core | FALSE\n"
                    "Set Variable | SERIAL | changed\n"
                    "Set Variable | STARTMENU | Changed\n"
                    "Load Feature Selections | $FILE$\n"
                    "Get Component State | Core | CORE\n"
                    "Get Component State | Docs | DOCS\n"
                    "Get Component State | Unknown | UNKNOWN\n"),
                {{"FILE", file}});
  ASSERT_TRUE(run.run());
  ASSERT_FALSE(run.outcome().failed) << run.outcome().error_report;
  expect_values(run, {{"CORE", "TRUE"}, {"DOCS", "FALSE"}, {"UNKNOWN", "FALSE"}, {"STARTMENU", "Sample Product"}});
  EXPECT_EQ(run.engine().variables.expand("$SERIAL$"), "12\r\n34");
  const ComponentModel& model = run.engine().components;
  EXPECT_EQ(model.hidden, std::vector<std::string>{"Docs"});
  EXPECT_EQ(model.choice_locked, std::vector<std::string>{});
  // The data folder line of a saved file is empty.
  const std::string saved = test::read_file(file);
  EXPECT_NE(saved.find("\r\nSample Product\r\n\r\nSERIAL\r\n12$NEWLINE$34\r\nVRAK64WOW\r\nWin32\r\n"), std::string::npos)
      << saved;
}

TEST(InstanceCommandsTest, LoadingAFileThatDoesNotExistChangesNothing) {
  EngineRun run(test::script_package(
      "Define Component | Core | FALSE |\n"
      "Set Component Visibility | Core | FALSE\n"
      "Load Feature Selections | $EXEDIR$missing.dat\n"
      "Get Component State | Core | CORE\n"));
  ASSERT_TRUE(run.run());
  ASSERT_FALSE(run.outcome().failed) << run.outcome().error_report;
  EXPECT_EQ(run.get("CORE"), "FALSE");
  EXPECT_EQ(run.engine().components.hidden, std::vector<std::string>{"Core"});
}

TEST(InstanceCommandsTest, SavingWhereNoFileCanBeIsARunTimeError) {
  EngineRun run(test::script_package("Save Feature Selections | $EXEDIR$no such folder\\selections.dat\n"));
  ASSERT_TRUE(run.run());
  EXPECT_TRUE(run.outcome().failed);
}

// Only a run from the distribution media of an installed product
// (NEWINSTANCE true) that applies no patch becomes a new instance: new upper
// case codes, not installed, a fresh model and its own engine cache folder.
TEST(InstanceCommandsTest, TransformingTheRunIntoANewInstance) {
  const struct {
    const char* what;
    const char* new_instance;
    bool patch;
    bool transforms;
  } cases[] = {
      {"a new instance", "TRUE", false, true},
      {"not a new instance", "FALSE", false, false},
      {"a patch", "TRUE", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const test::PackageText package = test::script_package(
        std::string("Define Component | Core | TRUE |\n"
                    "Set Variable | TARGETDIR | D:\\Chosen\\\n"
                    "Set Variable | MAINTENANCE | TRUE\n"
                    "Set Variable | NEWINSTANCE | ") +
        c.new_instance +
        "\n"
        "Transform Instance\n"
        "Get Component State | Core | CORE\n"
        "Set Variable | CACHE | $ENGINECACHE$\n");
    EngineRun run(package);
    if (c.patch) test::write_file(run.folder().file("setup.msp"), "");
    ASSERT_TRUE(run.run());
    ASSERT_FALSE(run.outcome().failed) << run.outcome().error_report;
    const Engine& engine = run.engine();
    const std::string product = run.get("PRODUCTCODE");
    const std::string revision = run.get("REVISIONCODE");
    EXPECT_EQ(engine.instance.product_code, product);
    EXPECT_EQ(engine.instance.revision_code, revision);
    if (!c.transforms) {
      EXPECT_EQ(product, package.product_code);
      EXPECT_EQ(revision, package.revision_code);
      expect_values(run, {{"MAINTENANCE", "TRUE"}, {"CORE", "TRUE"}, {"TARGETDIR", "D:\\Chosen\\"}});
      continue;
    }
    EXPECT_NE(product, package.product_code);
    EXPECT_NE(revision, package.revision_code);
    EXPECT_NE(product, revision);
    for (const std::string& code : {product, revision}) {
      EXPECT_EQ(code.size(), 38u);
      EXPECT_EQ(code.find_first_of("abcdef"), std::string::npos) << code;
    }
    expect_values(run, {{"MAINTENANCE", "FALSE"},
                        {"NEEDSUPGRADE", "FALSE"},
                        {"NEWINSTANCE", "FALSE"},
                        {"CORE", "FALSE"},
                        {"CACHE", engine_cache_root(true) + revision + "\\"},
                        {"UNINSTALLLINK", engine_cache_root(true) + revision + "\\setup.exe"}});
    EXPECT_NE(run.get("TARGETDIR"), "D:\\Chosen\\");
    EXPECT_EQ(engine.components.names, std::vector<std::string>{"VRAK-PREDEF-COMPONENT"});
  }
}

}  // namespace
}  // namespace qm
