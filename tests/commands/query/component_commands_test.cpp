// The component commands run through the real run initialisation and
// interpreter: what each reads from its line and what the script sees.
// Line 0 of every script is its own "RUN" line, so the first line written
// here has index 1.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/engine_run.h"
#include "tests/support/script_text.h"

namespace qm {
namespace {

using test::EngineRun;
using test::PackageText;
using test::script_package;

using Texts = std::vector<std::string>;
using Values = std::vector<std::pair<std::string, std::string>>;

void expect_clean_run(EngineRun& run, const std::string& what) {
  ASSERT_TRUE(run.run()) << what << ": initialisation stopped the script";
  EXPECT_FALSE(run.outcome().failed) << what << ": " << run.outcome().error_report;
}

PackageText with_sizes(std::string_view script, Texts sizes) {
  PackageText package = script_package(script);
  package.component_sizes = std::move(sizes);
  return package;
}

const Texts kSizes = {"VRAK-PREDEF-COMPONENT", "1000", "CORE", "5368709120", "DOCS", "2048", "DOCS\\SAMPLES", "512"};

TEST(ComponentCommandsTest, WhatTheScriptReadsBack) {
  const struct {
    const char* what;
    const char* script;
    Values expected;
  } cases[] = {
      {"the predefined component is there before the first line",
       "Get Component State | VRAK-PREDEF-COMPONENT | S\nGet Component Space | vrak-predef-component | B\n"
       "Get Component Space | | R",
       {{"S", "TRUE"}, {"B", "1000"}, {"R", "1000"}}},
      {"defined components, their sizes from the package",
       "Define Component | Core | TRUE | Core files\nDefine Component | Docs | FALSE |\n"
       "Get Component State | core | S1\nGet Component State | Docs | S2\n"
       "Get Component Space | Core | B1\nGet Component Space | DOCS | B2\nGet Component Space | | R",
       {{"S1", "TRUE"}, {"S2", "FALSE"}, {"B1", "5368709120"}, {"B2", "2048"}, {"R", "5368710120"}}},
      {"a component that is not defined reports FALSE and 0",
       "Get Component State | Core | S\nGet Component Space | Core | B\nSet Component State | Core | TRUE\n"
       "Get Component State | Core | S2",
       {{"S", "FALSE"}, {"B", "0"}, {"S2", "FALSE"}}},
      {"a redefinition keeps the state",
       "Define Component | Core | TRUE |\nDefine Component | Core | FALSE |\nGet Component State | Core | S\n"
       "Set Component State | Core | FALSE\nDefine Component | Core | TRUE |\nGet Component State | Core | S2",
       {{"S", "TRUE"}, {"S2", "FALSE"}}},
      {"deleted components are not selected until defined again",
       "Define Component | Docs | TRUE |\nDelete Component | Docs\nGet Component State | Docs | S1\n"
       "Get Component Space | Docs | B\nGet Component Space | | R1\nDefine Component | Docs | FALSE |\n"
       "Get Component State | Docs | S2\nGet Component Space | | R2",
       {{"S1", "FALSE"}, {"B", "2048"}, {"R1", "1000"}, {"S2", "TRUE"}, {"R2", "3048"}}},
      {"hidden and locked components count in the required space",
       "Define Component | Docs | TRUE |\nDefine Component | Docs\\Samples | TRUE |\n"
       "Set Component Visibility | Docs | FALSE\nSet Component Choice | Docs\\Samples | FALSE\n"
       "Get Component State | Docs\\Samples | S\nGet Component Space | | R\n"
       "Set Component State | Docs\\Samples | FALSE\nGet Component State | Docs\\Samples | S2",
       {{"S", "TRUE"}, {"R", "3560"}, {"S2", "FALSE"}}},
      {"names and sizes are substituted",
       "Set Variable | PART | Core\nSet Variable | SIZE | 4096\nDefine Component | $PART$ | TRUE |\n"
       "Set Component Space | $PART$ | $SIZE$\nGet Component Space | $PART$ | B",
       {{"B", "4096"}}},
      {"sizes in 64 bits, negative ones too",
       "Define Component | Extra | TRUE |\nSet Component Space | Extra | 9000000000\n"
       "Get Component Space | Extra | B1\nSet Component Space | Extra | -2000\nGet Component Space | Extra | B2\n"
       "Get Component Space | | R",
       {{"B1", "9000000000"}, {"B2", "-2000"}, {"R", "-1000"}}},
      {"a size text that is no 64-bit integer changes nothing",
       "Define Component | Docs | TRUE |\nSet Component Space | Docs | 12abc\n"
       "Set Component Space | Docs | 99999999999999999999\nSet Component Space | Docs |\n"
       "Get Component Space | Docs | B",
       {{"B", "2048"}}},
      {"sizes beyond 64 bits make the largest count",
       "Define Component | A | TRUE |\nDefine Component | B | TRUE |\n"
       "Set Component Space | A | 9223372036854775807\nSet Component Space | B | 9223372036854775807\n"
       "Get Component Space | | R",
       {{"R", "9223372036854775807"}}},
      {"truth fields are read raw",
       "Set Variable | YES | TRUE\nDefine Component | Core | $YES$ |\nDefine Component | Docs | -1 |\n"
       "Define Component | Tools | true |\nGet Component State | Core | S1\nGet Component State | Docs | S2\n"
       "Get Component State | Tools | S3",
       {{"S1", "FALSE"}, {"S2", "TRUE"}, {"S3", "TRUE"}}},
      {"result variables are bare names, existing ones overwritten",
       "Set Variable | STATE | old\nDefine Component | Core | TRUE |\nGet Component State | Core | state\n"
       "Get Component Space | Core | space",
       {{"STATE", "TRUE"}, {"SPACE", "5368709120"}}},
  };
  for (const auto& c : cases) {
    EngineRun run(with_sizes(c.script, kSizes));
    expect_clean_run(run, c.what);
    for (const auto& [name, value] : c.expected) EXPECT_EQ(run.get(name), value) << c.what << ": " << name;
  }
}

TEST(ComponentCommandsTest, WithoutAResultVariableNothingIsWritten) {
  EngineRun run(script_package("Get Component State | VRAK-PREDEF-COMPONENT |\nGet Component Space | |"));
  expect_clean_run(run, "no result variable");
  EXPECT_FALSE(run.engine().variables.exists(""));
}

TEST(ComponentCommandsTest, ChoiceAndVisibilitySets) {
  EngineRun run(script_package(R"(
    Define Component | Docs | TRUE | Manuals
    Define Component | Docs\Samples | TRUE |
    Set Component Choice | docs | FALSE
    Set Component Choice | Docs | FALSE
    Set Component Visibility | Docs\Samples | FALSE
    Set Component Visibility | Missing | FALSE
    Set Component Choice | Missing | FALSE
    Delete Component | DOCS
    Delete Component | Docs
    Define Component | Tools | TRUE |
    Set Component Choice | Tools | FALSE
    Set Component Choice | TOOLS | TRUE
    Set Component Visibility | Tools | FALSE
    Set Component Visibility | tools | -1)"));
  expect_clean_run(run, "sets");
  const ComponentModel& components = run.engine().components;
  EXPECT_EQ(components.names, (Texts{"VRAK-PREDEF-COMPONENT", "Docs", "Docs\\Samples", "Tools"}));
  EXPECT_EQ(components.choice_locked, Texts{"Docs"});
  EXPECT_EQ(components.hidden, Texts{"Docs\\Samples"});
  EXPECT_EQ(components.deleted, Texts{"Docs"});
  EXPECT_TRUE(components.locked_in_tree("Docs\\Samples"));
  EXPECT_EQ(components.description("docs"), "Manuals");
  EXPECT_EQ(components.description("VRAK-PREDEF-COMPONENT"), "");
  EXPECT_EQ(components.states, (Texts{"TRUE", "TRUE", "TRUE", "TRUE"}));
}

TEST(ComponentCommandsTest, TranslatedNamesTakeTheUntranslatedSize) {
  const PackageText package = with_sizes(R"(
    Choose Test Language | German
    Define Component | Docs | TRUE | Manuals of $TITLE$
    Define Component | Tools | FALSE | Tools
    Get Component Space | Dokumente | B1
    Get Component Space | Tools | B2
    Get Component State | Docs | S
    Set Component State | Dokumente | FALSE
    Get Component State | Dokumente | S2)",
                                         {"VRAK-PREDEF-COMPONENT", "0", "DOCS", "2048"});
  const struct {
    std::size_t line;
    const char* translation;
  } texts[] = {
      {2, "Doku$PART$"},  // substituted again after translation
      {2, "Handbuecher zu $TITLE$"},
      {3, "Werkzeuge"},
      {3, "Werkzeugkiste"},
      {6, "Dokumente"},
  };
  EngineRun run(package);
  Translations& translations = run.engine().translations;
  for (const auto& text : texts) {
    translations.keys.push_back(PackageText::line_id(text.line));
    translations.sources.emplace_back();
    translations.translated.emplace_back(text.translation);
  }
  // The tables above count as loaded for the language, so that no file
  // replaces them.
  run.engine().commands.add("Choose Test Language", [](Engine& engine, const ScriptLine& line) {
    engine.translations.current_language = engine.field(line, 1);
    engine.translations.loaded_language = engine.field(line, 1);
    engine.variables.define("PART", "mente", "Test");
  });
  expect_clean_run(run, "translated");

  const ComponentModel& components = run.engine().components;
  EXPECT_EQ(components.names, (Texts{"VRAK-PREDEF-COMPONENT", "Dokumente", "Werkzeuge"}));
  EXPECT_EQ(components.description("Dokumente"), "Handbuecher zu Sample Product");
  EXPECT_EQ(components.description("Werkzeuge"), "Werkzeugkiste");
  EXPECT_EQ(components.sizes, (Texts{"VRAK-PREDEF-COMPONENT", "0", "DOCS", "2048", "Dokumente", "2048",
                                     "Werkzeuge", "0"}))
      << "a translated name takes a size only when the untranslated one has one";
  EXPECT_EQ(run.get("B1"), "2048");
  EXPECT_EQ(run.get("B2"), "0") << "Tools itself is not defined";
  EXPECT_EQ(run.get("S"), "TRUE") << "line 6 translates Docs";
  EXPECT_EQ(run.get("S2"), "FALSE");
}

TEST(ComponentCommandsTest, FreeSpaceOfTheRealTargetFolder) {
  EngineRun run(with_sizes("Define Component | Core | TRUE |", {"CORE", "1048576"}));
  expect_clean_run(run, "free space");
  const Engine& engine = run.engine();
  const std::string target = engine.variables.get("TARGETDIR");
  ASSERT_GE(target.size(), 3u);
  ASSERT_EQ(target[1], ':') << target;

  ULARGE_INTEGER available{};
  ASSERT_TRUE(GetDiskFreeSpaceExA((target.substr(0, 2) + "\\").c_str(), &available, nullptr, nullptr));
  const double tolerance = 64.0 * 1024 * 1024;  // the drive is in use while the test runs
  EXPECT_NEAR(static_cast<double>(engine.components.free_space(engine.variables)),
              static_cast<double>(available.QuadPart), tolerance);
  EXPECT_NEAR(static_cast<double>(engine.components.remaining_space(engine.variables)),
              static_cast<double>(available.QuadPart) - 1048576, tolerance);
}

}  // namespace
}  // namespace qm
