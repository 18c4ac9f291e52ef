// The interpreter's catalogue: each command has at most one handler, and a
// wired engine has one for every command the catalogue calls built.

#include "engine/command_catalogue.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "engine/engine.h"
#include "program/engine_wiring.h"

namespace qm {
namespace {

void nothing(Engine&, const ScriptLine&) {}

TEST(CommandBindingTest, EveryBuiltCommandHasItsHandlerOnceWired) {
  Engine engine;
  wire_engine(engine);
  for (const CommandFacts& facts : command_catalogue())
    EXPECT_EQ(engine.commands.find(facts.name) != nullptr, facts.built) << facts.name;
  EXPECT_TRUE(engine.commands.plugin_handler());
}

TEST(CommandBindingTest, BindingTwiceOrOutsideTheCatalogueIsAFault) {
  CommandCatalogue catalogue;
  EXPECT_EQ(catalogue.find("Set Variable"), nullptr) << "nothing is bound before the wiring";
  catalogue.bind("Set Variable", nothing);
  EXPECT_NE(catalogue.find("Set Variable"), nullptr);
  EXPECT_THROW(catalogue.bind("Set Variable", nothing), std::logic_error);
  EXPECT_THROW(catalogue.bind("Set Variables", nothing), std::logic_error);
  EXPECT_THROW(catalogue.replace("Set Variables", nothing), std::logic_error);
  EXPECT_THROW(catalogue.add("Set Variable", nothing), std::logic_error);

  catalogue.replace("Display Dialog", nothing);  // tests script the dialogs
  EXPECT_NE(catalogue.find("Display Dialog"), nullptr);
  catalogue.add("Test Command", nothing);
  EXPECT_NE(catalogue.find("Test Command"), nullptr);
  EXPECT_THROW(catalogue.add("Test Command", nothing), std::logic_error);
  EXPECT_EQ(catalogue.find("Code Folding Region"), nullptr) << "other names do nothing";
}

}  // namespace
}  // namespace qm
