// Check lists and track bars on a page, in this process: the feature list
// made from the component model and the user's marks given back to it (a
// prefix reaches every component it begins, a locked part undoes the
// click), a plain check list writing its ticked items, a track bar writing
// its position.

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "engine/engine.h"
#include "tests/support/engine_run.h"
#include "tests/support/script_text.h"
#include "wizard/list_controls.h"
#include "wizard/wizard.h"

namespace qm {
namespace {

constexpr const char* kPage = R"(object PoolTemplate: TPoolTemplate
  Caption = 'Lists'
  ClientWidth = 420
  ClientHeight = 240
  object Features: TCheckListBox
    Tag = 1
    Left = 8
    Top = 8
    Width = 200
    Height = 100
  end
  object Extras: TCheckListBox
    Hint = 'EXTRAS'
    Left = 212
    Top = 8
    Width = 200
    Height = 100
    Items.Strings = (
      'Fonts'
      '$NOTHING$'
      'Icons'
      'Sounds')
  end
  object Level: TTrackBar
    Hint = 'LEVEL'
    Left = 8
    Top = 120
    Width = 200
    Height = 30
    Max = 10
  end
  object Required: TStaticText
    Tag = 4
    Left = 8
    Top = 160
    Width = 200
    Height = 17
  end
end
)";

class ListControlsTest : public ::testing::Test {
 protected:
  ListControlsTest() : run_(test::script_package("Display Dialog | lists | R | FALSE | | |")) {
    run_.engine().commands.replace("Display Dialog", [](Engine&, const ScriptLine&) {});
    run_.run();
    Engine& engine = run_.engine();
    engine.set_silent(false);
    CreateDirectoryA(engine.startup.support_folder.c_str(), nullptr);
    test::write_file(engine.startup.support_folder + "lists.dfm", kPage);
    engine.variables.define("NOTHING", "", "test");
    engine.variables.define("EXTRAS", "Icons$NEWLINE$Sounds", "test");
    engine.variables.define("LEVEL", "7", "test");
    ComponentModel& model = engine.components;
    model.define("Tools", true, "");
    model.set_size("Tools", 2048);
    model.define("ToolsExtra", true, "");
    model.define("Tools\\Sub", true, "");
    model.define("Docs", false, "");
    model.define("Docs\\Locked", false, "");
    model.lock("Docs\\Locked");
  }

  WizardPage& show() {
    wizard_.preload_dialog(run_.engine(), 1);
    wizard_.show_dialog(run_.engine(), 1, false);
    return *wizard_.page(1);
  }

  // Ticks or clears an item's box as the user's click would.
  void tick(Control& list, int index, bool ticked) {
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
    SendMessageA(list.window(), LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  }

  test::EngineRun run_;
  Wizard wizard_;
};

TEST_F(ListControlsTest, TheFeatureListAndTheModel) {
  WizardPage& page = show();
  auto& features = static_cast<CheckListBoxControl&>(*page.find("Features"));
  EXPECT_EQ(features.items(), (std::vector<std::string>{"Tools", "ToolsExtra", "Docs"}));
  EXPECT_TRUE(features.checked(0));
  EXPECT_FALSE(features.checked(2));
  EXPECT_EQ(page.find("Required")->property_text("Caption"), "2,048 bytes");

  ComponentModel& model = run_.engine().components;
  tick(features, 0, false);
  EXPECT_FALSE(model.is_selected("Tools"));
  EXPECT_FALSE(model.is_selected("Tools\\Sub")) << "the item's text begins its name";
  EXPECT_TRUE(model.is_selected("ToolsExtra")) << "reached by Tools, then given its own item's mark";
  EXPECT_EQ(page.find("Required")->property_text("Caption"), "0 bytes");

  tick(features, 2, true);
  EXPECT_TRUE(model.is_selected("Docs"));
  EXPECT_FALSE(model.is_selected("Docs\\Locked")) << "locked against the user's choice";
  EXPECT_FALSE(features.checked(2)) << "the last component the item reaches decides its mark";
}

TEST_F(ListControlsTest, PlainCheckListsAndTrackBarsWriteTheirVariables) {
  WizardPage& page = show();
  auto& extras = static_cast<CheckListBoxControl&>(*page.find("Extras"));
  EXPECT_EQ(extras.items(), (std::vector<std::string>{"Fonts", "Icons", "Sounds"})) << "the empty item is gone";
  EXPECT_FALSE(extras.checked(0));
  EXPECT_TRUE(extras.checked(1));
  EXPECT_TRUE(extras.checked(2));
  tick(extras, 0, true);
  EXPECT_EQ(run_.engine().variables.get("EXTRAS"), "Fonts$NEWLINE$Icons$NEWLINE$Sounds$NEWLINE$");

  Control& level = *page.find("Level");
  EXPECT_EQ(level.property_text("Position"), "7");
  SendMessageA(level.window(), TBM_SETPOS, TRUE, 3);
  SendMessageA(page.window(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 3), reinterpret_cast<LPARAM>(level.window()));
  EXPECT_EQ(run_.engine().variables.get("LEVEL"), "3");
}

}  // namespace
}  // namespace qm
