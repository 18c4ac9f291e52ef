// The feature tree on a page, in this process: the tree made from the
// component model, the menu's actions on it, the selection that the size
// texts follow, and the real popup menu chosen from by keys.

#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "engine/engine.h"
#include "platform/messages.h"
#include "tests/support/engine_run.h"
#include "tests/support/script_text.h"
#include "tests/support/wizard_driver.h"
#include "wizard/feature_tree.h"
#include "wizard/wizard.h"

namespace qm {
namespace {

constexpr const char* kPage = R"(object PoolTemplate: TPoolTemplate
  Caption = 'Features'
  ClientWidth = 420
  ClientHeight = 240
  object Features: TTreeView
    Tag = 1
    Hint = 'FEATURE'
    Left = 8
    Top = 8
    Width = 220
    Height = 200
    TabOrder = 0
  end
  object Description: TStaticText
    Tag = 2
    Left = 236
    Top = 8
    Width = 176
    Height = 40
  end
  object FeatureSize: TStaticText
    Tag = 3
    Left = 236
    Top = 52
    Width = 176
    Height = 17
  end
  object Required: TStaticText
    Tag = 4
    Left = 236
    Top = 76
    Width = 176
    Height = 17
  end
end
)";

class FeatureTreeTest : public ::testing::Test {
 protected:
  FeatureTreeTest() : run_(test::script_package("Display Dialog | features | R | FALSE | | |")) {
    run_.engine().commands.replace("Display Dialog", [](Engine&, const ScriptLine&) {});
    run_.run();
    Engine& engine = run_.engine();
    engine.set_silent(false);
    CreateDirectoryA(engine.startup.support_folder.c_str(), nullptr);
    test::write_file(engine.startup.support_folder + "features.dfm", kPage);
    ComponentModel& model = engine.components;
    model.define("Program", true, "The program itself");
    model.set_size("Program", 2 * 1048576);
    model.define("Docs\\Samples", false, "Worked examples");
    model.set_size("Docs\\Samples", 4096);
    model.define("Tools", true, "Tools");
    model.define("Tools\\Locked", true, "A part the user may not change");
    model.lock("Tools\\Locked");
    model.define("Hidden", true, "");
    model.hide("Hidden");
  }

  TreeViewControl& show() {
    Engine& engine = run_.engine();
    wizard_.preload_dialog(engine, 1);
    wizard_.show_dialog(engine, 1, false);
    return static_cast<TreeViewControl&>(*wizard_.page(1)->find("Features"));
  }

  HTREEITEM node(const TreeViewControl& tree, const std::string& path) {
    for (HTREEITEM at : tree.all_nodes())
      if (tree.node_path(at) == path) return at;
    return nullptr;
  }

  std::string caption(const char* control) { return wizard_.page(1)->find(control)->property_text("Caption").value_or("?"); }

  test::EngineRun run_;
  Wizard wizard_;
};

TEST_F(FeatureTreeTest, TheTreeShowsTheModel) {
  TreeViewControl& tree = show();
  std::vector<std::string> paths;
  for (HTREEITEM at : tree.all_nodes()) paths.push_back(tree.node_path(at));
  EXPECT_EQ(paths, (std::vector<std::string>{"Program", "Docs", "Docs\\Samples", "Tools", "Tools\\Locked"}))
      << "the engine's own component and the hidden one are left out";
  const ComponentModel& model = run_.engine().components;
  EXPECT_EQ(node_component_name(tree, model, node(tree, "Docs")), "") << "a node that only holds another";
  EXPECT_FALSE(feature_menu_offered(tree, model, node(tree, "Docs")));
  EXPECT_FALSE(feature_menu_offered(tree, model, node(tree, "Tools\\Locked")));
  EXPECT_TRUE(feature_menu_offered(tree, model, node(tree, "Program")));
  EXPECT_EQ(tree.node_image(node(tree, "Program")), 1);
  EXPECT_EQ(tree.node_image(node(tree, "Docs\\Samples")), 0);

  // The first node is selected, and the page says what it is.
  EXPECT_EQ(tree.selected(), node(tree, "Program"));
  EXPECT_EQ(caption("Description"), "The program itself");
  EXPECT_EQ(caption("FeatureSize"), "2,048 KB");
  EXPECT_EQ(run_.engine().variables.get("FEATURE"), "Program");
}

TEST_F(FeatureTreeTest, SelectingANodeFollowsInTheSizeTexts) {
  TreeViewControl& tree = show();
  tree.select(node(tree, "Docs\\Samples"));
  EXPECT_EQ(caption("Description"), "Worked examples");
  EXPECT_EQ(caption("FeatureSize"), "4,096 bytes");
  EXPECT_EQ(run_.engine().variables.get("FEATURE"), "Samples");
}

TEST_F(FeatureTreeTest, MenuActionsChangeTheModelAndTheImages) {
  TreeViewControl& tree = show();
  ComponentModel& model = run_.engine().components;
  apply_feature_action(tree, model, node(tree, "Docs\\Samples"), FeatureAction::kInstallOnly);
  EXPECT_TRUE(model.is_selected("Docs\\Samples"));
  EXPECT_EQ(tree.node_image(node(tree, "Docs\\Samples")), 1);

  // The whole Tools feature goes, but its locked part stays.
  apply_feature_action(tree, model, node(tree, "Tools"), FeatureAction::kUnavailable);
  EXPECT_FALSE(model.is_selected("Tools"));
  EXPECT_TRUE(model.is_selected("Tools\\Locked"));
  EXPECT_EQ(tree.node_image(node(tree, "Tools")), 0);
  EXPECT_EQ(tree.node_image(node(tree, "Tools\\Locked")), 1);

  apply_feature_action(tree, model, node(tree, "Tools"), FeatureAction::kInstallWithChildren);
  EXPECT_TRUE(model.is_selected("Tools"));
}

// The real menu, chosen from by keys as a user would: the second item
// installs the feature with everything below it.
TEST_F(FeatureTreeTest, TheMenuIsChosenFromByTheUser) {
  TreeViewControl& tree = show();
  ComponentModel& model = run_.engine().components;
  tree.select(node(tree, "Tools"));
  model.set_state("Tools", false);
  std::thread user([] {
    Sleep(500);
    test::press_keys({VK_DOWN, VK_DOWN, VK_RETURN});
  });
  const auto chosen = choose_feature_action(wizard_.page(1)->window(), POINT{200, 200}, run_.engine().messages);
  user.join();
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, FeatureAction::kInstallWithChildren);
}

}  // namespace
}  // namespace qm
