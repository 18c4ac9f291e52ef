// The component model on its own: definitions and redefinitions, the sets
// and how they reach down a name's path, sizes and the space a selection
// requires, the size-text form and the feature list.

#include "engine/component_model.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "script/message_catalogue.h"
#include "script/variable_store.h"

namespace qm {
namespace {

using Texts = std::vector<std::string>;
using Steps = std::function<void(ComponentModel&)>;

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

TEST(ComponentModelTest, ParentsAreTheNameWithoutItsLastSegment) {
  const struct {
    const char* name;
    const char* parent;
  } cases[] = {
      {"Docs", ""},
      {"Docs\\Samples", "Docs"},
      {"Docs\\Samples\\Deep", "Docs\\Samples"},
      {"Docs\\", "Docs"},
      {"\\Docs", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(parent_component(c.name), c.parent) << c.name;
}

// The sets as a selection file may bring them: a set may name a component
// that is not defined, such as the parent Docs of a defined Docs\Samples.
TEST(ComponentModelTest, HiddenAndLockedReachDownTheTree) {
  const struct {
    const char* what;
    Texts set;
    const char* name;
    bool in_set;
    bool in_tree;
  } cases[] = {
      {"the name itself", {"Docs\\Samples"}, "Docs\\Samples", true, true},
      {"an undefined parent", {"Docs"}, "Docs\\Samples", false, true},
      {"a grandparent, case ignored", {"docs"}, "Docs\\Samples\\Deep", false, true},
      {"a child does not reach up", {"Docs\\Samples"}, "Docs", false, false},
      {"a sibling", {"Docs\\Other"}, "Docs\\Samples", false, false},
      {"a name that only begins alike", {"Doc"}, "Docs\\Samples", false, false},
      {"a top-level name", {"Tools"}, "Tools", true, true},
      {"an empty set", {}, "Docs\\Samples", false, false},
  };
  for (const auto& c : cases) {
    ComponentModel model;
    model.define("Docs\\Samples", true, "");
    model.define("Docs\\Samples\\Deep", true, "");
    model.hidden = c.set;
    EXPECT_EQ(model.is_hidden(c.name), c.in_set) << c.what;
    EXPECT_EQ(model.hidden_in_tree(c.name), c.in_tree) << c.what;
    EXPECT_FALSE(model.locked_in_tree(c.name)) << c.what;
    model.hidden.clear();
    model.choice_locked = c.set;
    EXPECT_EQ(model.is_locked(c.name), c.in_set) << c.what;
    EXPECT_EQ(model.locked_in_tree(c.name), c.in_tree) << c.what;
    EXPECT_FALSE(model.hidden_in_tree(c.name)) << c.what;
  }
  ComponentModel model;
  model.define("Docs\\Samples", true, "");
  EXPECT_FALSE(model.exists("Docs")) << "a child does not define its parent";
}

TEST(ComponentModelTest, DefinitionsStatesAndDeletion) {
  const struct {
    const char* what;
    Steps steps;
    const char* name;
    bool exists;
    const char* state;
    bool selected;
  } cases[] = {
      {"defined selected", [](ComponentModel& m) { m.define("Core", true, ""); }, "Core", true, "TRUE", true},
      {"defined not selected", [](ComponentModel& m) { m.define("Core", false, ""); }, "Core", true, "FALSE", false},
      {"names ignore case", [](ComponentModel& m) { m.define("Core", true, ""); }, "CORE", true, "TRUE", true},
      {"not defined", [](ComponentModel& m) { m.define("Core", true, ""); }, "Cor", false, "", false},
      {"a redefinition keeps TRUE",
       [](ComponentModel& m) {
         m.define("Core", true, "");
         m.define("Core", false, "");
       },
       "Core", true, "TRUE", true},
      {"a redefinition keeps FALSE",
       [](ComponentModel& m) {
         m.define("Core", false, "");
         m.define("core", true, "");
       },
       "Core", true, "FALSE", false},
      {"a redefinition keeps the state the script set",
       [](ComponentModel& m) {
         m.define("Core", true, "");
         m.set_state("Core", false);
         m.define("Core", true, "");
       },
       "Core", true, "FALSE", false},
      {"a loaded component without a state takes the default",
       [](ComponentModel& m) {
         m.names = {"Core"};
         m.define("Core", true, "");
       },
       "Core", true, "TRUE", true},
      {"a new component takes its default whatever a loaded list holds past the names",
       [](ComponentModel& m) {
         m.states = {"TRUE"};
         m.define("Core", false, "");
       },
       "Core", true, "FALSE", false},
      {"deleted",
       [](ComponentModel& m) {
         m.define("Core", true, "");
         m.mark_deleted("Core");
       },
       "Core", true, "TRUE", false},
      {"deleted, then defined again",
       [](ComponentModel& m) {
         m.define("Core", true, "");
         m.mark_deleted("Core");
         m.define("Core", false, "");
       },
       "Core", true, "TRUE", true},
      {"a deleted component's state still changes",
       [](ComponentModel& m) {
         m.define("Core", false, "");
         m.mark_deleted("Core");
         m.set_state("Core", true);
         m.define("Core", false, "");
       },
       "Core", true, "TRUE", true},
      {"a locked and hidden component's state changes",
       [](ComponentModel& m) {
         m.define("Core", true, "");
         m.lock("Core");
         m.hide("Core");
         m.set_state("Core", false);
       },
       "Core", true, "FALSE", false},
      {"a loaded true text in another form",
       [](ComponentModel& m) {
         m.names = {"Core", "Docs"};
         m.states = {"true", "-1"};
       },
       "Docs", true, "-1", true},
      {"a loaded state that is no truth text",
       [](ComponentModel& m) {
         m.names = {"Core"};
         m.states = {"yes"};
       },
       "Core", true, "yes", false},
      {"setting the state of an undefined component defines nothing",
       [](ComponentModel& m) { m.set_state("Core", true); }, "Core", false, "", false},
  };
  for (const auto& c : cases) {
    ComponentModel model;
    c.steps(model);
    EXPECT_EQ(model.exists(c.name), c.exists) << c.what;
    const auto index = model.index_of(c.name);
    EXPECT_EQ(index ? model.state_at(*index) : "", c.state) << c.what;
    EXPECT_EQ(model.is_selected(c.name), c.selected) << c.what;
  }
}

TEST(ComponentModelTest, TheSetsHoldEachNameOnce) {
  ComponentModel model;
  model.define("Core", true, "");
  model.define("Docs\\Samples", true, "");
  model.mark_deleted("core");
  model.mark_deleted("Core");
  model.mark_deleted("Missing");
  model.lock("CORE");
  model.lock("Core");
  model.lock("Missing");
  model.hide("docs\\samples");
  model.hide("Docs\\Samples");
  model.hide("Docs");  // not defined itself
  EXPECT_EQ(model.deleted, Texts{"Core"}) << "the component's own name is added";
  EXPECT_EQ(model.choice_locked, Texts{"Core"});
  EXPECT_EQ(model.hidden, Texts{"Docs\\Samples"});

  model.choice_locked = {"Core", "Tools", "CORE"};
  model.unlock("core");
  EXPECT_EQ(model.choice_locked, (Texts{"Tools", "CORE"})) << "only the first match leaves";
  model.unlock("Missing");  // no definition needed, nothing to remove
  model.unhide("DOCS\\SAMPLES");
  EXPECT_TRUE(model.hidden.empty());
  EXPECT_EQ(model.names, (Texts{"Core", "Docs\\Samples"}));
}

// Lookups compare as the user's locale does; taking a name out of a set folds
// ASCII letters only.
TEST(ComponentModelTest, TakingANameOutOfASetFoldsOnlyAsciiLetters) {
  ComponentModel model;
  model.define("Caf\xC9", true, "");
  model.lock("caf\xE9");
  model.hide("CAF\xC9");
  EXPECT_TRUE(model.is_locked("CAF\xE9"));
  model.unlock("caf\xE9");
  model.unhide("caf\xE9");
  EXPECT_EQ(model.choice_locked, Texts{"Caf\xC9"}) << "\\xE9 and \\xC9 differ outside ASCII";
  EXPECT_EQ(model.hidden, Texts{"Caf\xC9"});
  model.unlock("cAF\xC9");
  model.unhide("CAF\xC9");
  EXPECT_TRUE(model.choice_locked.empty());
  EXPECT_TRUE(model.hidden.empty());
}

TEST(ComponentModelTest, DescriptionsFollowTheLastDefinition) {
  ComponentModel model;
  model.names = {"Loaded"};  // loaded without descriptions
  model.define("Core", true, "Core files");
  model.define("Docs", true, "Manuals");
  model.define("core", true, "The core");
  EXPECT_EQ(model.description("CORE"), "The core");
  EXPECT_EQ(model.description("Docs"), "Manuals");
  EXPECT_EQ(model.description("Loaded"), "");
  EXPECT_EQ(model.description("Missing"), "");
  EXPECT_EQ(model.descriptions, (Texts{"", "The core", "Manuals"}));
}

TEST(ComponentModelTest, TheSizeListGivesEachComponentItsSize) {
  const struct {
    const char* what;
    Texts package;
    Steps steps;
    const char* name;
    std::int64_t size;
    Texts sizes;
  } cases[] = {
      {"the package's upper-case name", {"CORE", "2048"}, [](ComponentModel& m) { m.define("Core", true, ""); },
       "Core", 2048, {"CORE", "2048"}},
      {"a definition adds a zero pair", {"CORE", "2048"}, [](ComponentModel& m) { m.define("Docs", true, ""); },
       "Docs", 0, {"CORE", "2048", "Docs", "0"}},
      {"the first pair counts", {"CORE", "1", "Core", "2"}, [](ComponentModel& m) { m.define("Core", true, ""); },
       "core", 1, {"CORE", "1", "Core", "2"}},
      {"a size is not a name", {"A", "100", "100", "7"}, [](ComponentModel& m) { m.define("100", true, ""); },
       "100", 7, {"A", "100", "100", "7"}},
      {"a size text that is no number", {"CORE", "lots"}, [](ComponentModel& m) { m.define("Core", true, ""); },
       "Core", 0, {"CORE", "lots"}},
      {"a list cut short", {"CORE"}, [](ComponentModel& m) { m.define("Core", true, ""); }, "Core", 0, {"CORE"}},
      {"known before it is defined", {"CORE", "2048"}, [](ComponentModel&) {}, "Core", 2048, {"CORE", "2048"}},
      {"set: the first matching pair changes",
       {"CORE", "1", "core", "2"},
       [](ComponentModel& m) {
         m.define("Core", true, "");
         m.set_size("Core", 5368709120);
       },
       "Core", 5368709120, {"CORE", "5368709120", "core", "2"}},
      {"set: a defined component's pair",
       {},
       [](ComponentModel& m) {
         m.define("Core", true, "");
         m.set_size("core", -5);
       },
       "Core", -5, {"Core", "-5"}},
      {"set: a pair is appended when none matches",
       {},
       [](ComponentModel& m) {
         m.names = {"Core"};
         m.states = {"TRUE"};
         m.set_size("CORE", 10);
       },
       "Core", 10, {"CORE", "10"}},
      {"set: an undefined component changes nothing", {"CORE", "1"},
       [](ComponentModel& m) { m.set_size("Core", 10); }, "Core", 1, {"CORE", "1"}},
  };
  for (const auto& c : cases) {
    ComponentModel model;
    model.start_run(c.package);
    c.steps(model);
    EXPECT_EQ(model.size(c.name), c.size) << c.what;
    EXPECT_EQ(model.sizes, c.sizes) << c.what;
  }
}

TEST(ComponentModelTest, RequiredSpaceCountsTheSelection) {
  const Texts package = {"CORE", "1000", "DOCS", "2000", "TOOLS", "4000", "EXTRA", "8000"};
  const struct {
    const char* what;
    Texts sizes;
    Steps steps;
    std::int64_t required;
  } cases[] = {
      {"selected components", package,
       [](ComponentModel& m) {
         m.define("Core", true, "");
         m.define("Docs", true, "");
         m.define("Tools", false, "");
       },
       3000},
      {"hidden and locked components count, deleted ones do not", package,
       [](ComponentModel& m) {
         m.define("Core", true, "");
         m.define("Docs", true, "");
         m.define("Tools", true, "");
         m.define("Extra", true, "");
         m.hide("Core");
         m.lock("Docs");
         m.mark_deleted("Tools");
       },
       11000},
      {"a deleted component counts again once defined again", package,
       [](ComponentModel& m) {
         m.define("Tools", true, "");
         m.mark_deleted("Tools");
         m.define("Tools", false, "");
       },
       4000},
      {"an installed selection of 10 MB with nothing changed",
       {"CORE", "6291456", "DOCS", "4194304"},
       [](ComponentModel& m) {
         m.names = {"Core", "Docs", "Tools"};
         m.states = {"TRUE", "TRUE", "FALSE"};
         m.add_selection_to_baseline();
         m.define("Core", true, "");
         m.define("Docs", false, "");
         m.define("Tools", true, "");
       },
       0},
      {"an installed component deselected", {"CORE", "6291456", "DOCS", "4194304"},
       [](ComponentModel& m) {
         m.names = {"Core", "Docs"};
         m.states = {"TRUE", "TRUE"};
         m.add_selection_to_baseline();
         m.set_state("Docs", false);
       },
       -4194304},
      {"negative sizes", {"CORE", "-500", "DOCS", "200"},
       [](ComponentModel& m) {
         m.define("Core", true, "");
         m.define("Docs", true, "");
       },
       -300},
      {"sizes beyond 64 bits stop at the limit", {"CORE", "9223372036854775807", "DOCS", "9223372036854775807"},
       [](ComponentModel& m) {
         m.define("Core", true, "");
         m.define("Docs", true, "");
       },
       kMax},
      {"a baseline beyond the sizes", {"CORE", "-9223372036854775808"},
       [](ComponentModel& m) {
         m.define("Core", true, "");
         m.baseline = kMax;
       },
       std::numeric_limits<std::int64_t>::min()},
  };
  for (const auto& c : cases) {
    ComponentModel model;
    model.start_run(c.sizes);
    c.steps(model);
    EXPECT_EQ(model.required_space(), c.required) << c.what;
  }
}

TEST(ComponentModelTest, ClearingKeepsTheSizes) {
  ComponentModel model;
  model.start_run({"CORE", "1000"});
  model.define("Core", true, "Core files");
  model.define("Docs", true, "");
  model.mark_deleted("Docs");
  model.hide("Core");
  model.lock("Core");
  model.baseline = 5;
  model.clear();
  EXPECT_TRUE(model.names.empty() && model.states.empty() && model.descriptions.empty());
  EXPECT_TRUE(model.deleted.empty() && model.hidden.empty() && model.choice_locked.empty());
  EXPECT_EQ(model.sizes, (Texts{"CORE", "1000", "Docs", "0"}));
  model.start_run({"CORE", "1000"});
  EXPECT_EQ(model.sizes, (Texts{"CORE", "1000"}));
  EXPECT_EQ(model.baseline, 0);
}

TEST(ComponentModelTest, TheFeatureListReachesEveryComponentItsItemBegins) {
  const struct {
    const char* what;
    Texts names;
    Texts states;
    Texts locked;
    FeatureListItem item;
    Texts states_after;
    bool mark_after;
  } cases[] = {
      {"a prefix reaches ToolsExtra and Tools\\Sub", {"Tools", "ToolsExtra", "Tools\\Sub", "Other"},
       {"FALSE", "FALSE", "FALSE", "FALSE"}, {}, {"tools", true}, {"TRUE", "TRUE", "TRUE", "FALSE"}, true},
      {"unchecking", {"Tools", "ToolsExtra", "Tools\\Sub"}, {"TRUE", "TRUE", "TRUE"}, {}, {"Tools", false},
       {"FALSE", "FALSE", "FALSE"}, false},
      {"a locked child keeps its state and, last in order, decides the mark",
       {"Tools", "Tools\\Sub", "Tools\\Locked"}, {"FALSE", "FALSE", "FALSE"}, {"Tools\\Locked"}, {"Tools", true},
       {"TRUE", "TRUE", "FALSE"}, false},
      // The mark applied is the item's as it stands: once a locked component
      // has undone the click, the components after it follow the undone mark.
      {"a locked component earlier in order undoes the click for the rest",
       {"Tools\\Locked", "Tools", "ToolsExtra"}, {"FALSE", "FALSE", "FALSE"}, {"Tools\\Locked"}, {"Tools", true},
       {"FALSE", "FALSE", "FALSE"}, false},
      {"a locked parent holds its whole tree",
       {"Tools", "Tools\\Sub"}, {"TRUE", "TRUE"}, {"Tools"}, {"Tools", false}, {"TRUE", "TRUE"}, true},
      {"no component begins with the item", {"Tools"}, {"FALSE"}, {}, {"Docs", true}, {"FALSE"}, true},
  };
  for (const auto& c : cases) {
    ComponentModel model;
    model.names = c.names;
    model.states = c.states;
    model.choice_locked = c.locked;
    std::vector<FeatureListItem> items = {c.item};
    model.apply_feature_list(items);
    EXPECT_EQ(model.states, c.states_after) << c.what;
    EXPECT_EQ(items[0].checked, c.mark_after) << c.what;
  }
}

TEST(ComponentModelTest, ItemsApplyInListOrder) {
  ComponentModel model;
  model.names = {"Tools", "ToolsExtra"};
  model.states = {"FALSE", "FALSE"};
  std::vector<FeatureListItem> items = {{"Tools", true}, {"ToolsExtra", false}};
  model.apply_feature_list(items);
  EXPECT_EQ(model.states, (Texts{"TRUE", "FALSE"})) << "the later item decides for the component both reach";
  EXPECT_TRUE(items[0].checked) << "a later item does not come back to an earlier item's mark";
  EXPECT_FALSE(items[1].checked);
}

TEST(ComponentModelTest, SizeTextsTakeTheirUnitsFromTheMessageCatalogue) {
  MessageCatalogue messages;
  EXPECT_EQ(size_text(1048575, messages), "1,048,575 bytes");
  EXPECT_EQ(size_text(1048576, messages), "1,024 KB");
  EXPECT_EQ(size_text(5368709120, messages), "5,120 MB");
  EXPECT_EQ(size_text(-12345, messages), "-12,345 bytes");

  std::string catalogue;
  for (int slot = 1; slot <= MessageCatalogue::kSlots; ++slot) catalogue += "text " + std::to_string(slot) + "\r\n";
  catalogue += "Deutsch\r\n";
  for (int slot = 1; slot <= MessageCatalogue::kSlots; ++slot)
    catalogue += (slot == 6 ? "Byte" : slot == 7 ? "KByte" : slot == 8 ? "MByte" : "x") + std::string("\r\n");
  messages.load_text(catalogue, "deutsch");
  EXPECT_EQ(size_text(1000, messages), "1,000 Byte");
  EXPECT_EQ(size_text(1572864, messages), "1,536 KByte");
  EXPECT_EQ(size_text(5368709120, messages), "5,120 MByte");
}

TEST(ComponentModelTest, DrivesOfTargetFolders) {
  const struct {
    const char* path;
    const char* drive;
  } cases[] = {
      {"C:\\Program Files\\Product\\", "C:"},
      {"d:", "d:"},
      {"\\\\server\\share\\folder\\", "\\\\server\\share"},
      {"\\\\server\\share", "\\\\server\\share"},
      {"\\\\server", "\\\\server"},
      {"Product\\", ""},
      {"\\Product\\", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(free_space_drive(c.path), c.drive) << c.path;
}

// Free space as Windows tells it for the drive; the drive's free space may move
// a little between the two questions.
void expect_free_space_of_drive(std::int64_t free, const std::string& drive) {
  ULARGE_INTEGER available{};
  ASSERT_TRUE(GetDiskFreeSpaceExA(drive.c_str(), &available, nullptr, nullptr));
  const auto expected = static_cast<std::int64_t>(available.QuadPart);
  EXPECT_GT(free, 0);
  EXPECT_NEAR(static_cast<double>(free), static_cast<double>(expected), 64.0 * 1024 * 1024);
}

TEST(ComponentModelTest, FreeSpaceIsTheTargetDrives) {
  ComponentModel model;
  model.start_run({"CORE", "1000"});
  model.define("Core", true, "");
  VariableStore variables;
  EXPECT_EQ(model.free_space(variables), -1) << "no TARGETDIR";
  EXPECT_EQ(model.remaining_space(variables), -1001);

  variables.define("EMPTY", "", "Test");
  variables.define("TARGETDIR", "$EMPTY$", "Test");
  EXPECT_EQ(model.free_space(variables), -1) << "a TARGETDIR that expands to nothing";

  char windows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 2u);
  const std::string drive(windows, 2);
  variables.define("ROOT", drive, "Test");
  variables.set("TARGETDIR", "$ROOT$\\Some Product\\Not There\\", "Test");
  expect_free_space_of_drive(model.free_space(variables), drive + "\\");
  expect_free_space_of_drive(model.remaining_space(variables) + 1000, drive + "\\");
}

}  // namespace
}  // namespace qm
