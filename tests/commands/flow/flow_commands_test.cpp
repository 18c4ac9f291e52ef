// The conditional commands read their condition from the script line:
// fields 1 to 4, translated when a language is chosen.

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "script/package_reader.h"
#include "script/script_error.h"
#include "tests/support/package_text.h"

namespace qm {

// The "If" handler (commands/flow/flow_commands.cpp).
void if_command(Engine& engine, const ScriptLine& line);

namespace {

constexpr std::string_view kAction = "Set Variable Action";

// Whether the "If" at this line enters its branch.
bool holds(Engine& engine, std::size_t line) {
  engine.script = {};
  if_command(engine, ScriptLine{line, "If", std::string(engine.package.line_id(line))});
  return engine.script.open_branches == 1 && engine.script.skip == SkipMode::kNone;
}

TEST(IfCommandTest, ReadsTheFieldsOfTheScriptLine) {
  test::PackageText text;
  text.add_line("If", {"$V$", "2", "$NINE$", ""});          // 0: 10 > 9
  text.add_line("Else If", {"V", "2", "$NINE$", "TRUE"});   // 1: negated
  text.add_line("If", {"v", "0", "10"});                    // 2: no negation field
  text.add_line("If", {"NINE", "5", "", "FALSE"});          // 3: defined
  text.add_line("Else If", {"NONE", "5", "", "TRUE"});      // 4: undefined
  text.add_line("If", {"V", "1", "1", ""});                 // 5: 10 = 1? no
  text.add_line("If", {"$V$", "4", "0XA", ""});             // 6: 10 = 0xA
  text.add_line("If");                                       // 7: no fields at all
  text.add_line("If", {"$NONE$", "0", "x", ""});            // 8: undefined variable

  Engine engine;
  engine.package = parse_package(text.text());
  engine.variables.define("V", "10", kAction);
  engine.variables.define("NINE", "9", kAction);

  const bool expected[] = {true, false, true, true, true, false, true};
  for (std::size_t line = 0; line < std::size(expected); ++line) {
    SCOPED_TRACE("line " + std::to_string(line));
    EXPECT_EQ(holds(engine, line), expected[line]);
  }
  try {
    holds(engine, 7);
    ADD_FAILURE() << "a line without fields reads the variable with the empty name";
  } catch (const ScriptError& error) {
    EXPECT_EQ(std::string(error.what()), "Attempting to get value of undefined variable ");
  }
  try {
    holds(engine, 8);
    ADD_FAILURE() << "no error";
  } catch (const ScriptError& error) {
    EXPECT_EQ(std::string(error.what()), "Attempting to get value of undefined variable NONE");
  }
}


TEST(IfCommandTest, VariableAndValueAreTranslatedWhenALanguageIsChosen) {
  test::PackageText text;
  const std::string id = text.add_line("If", {"V", "0", "english", ""});
  Engine engine;
  engine.package = parse_package(text.text());
  engine.variables.define("V", "english", kAction);
  engine.variables.define("W", "deutsch", kAction);
  engine.variables.define("GERMAN", "deutsch", kAction);

  struct Case {
    std::string language;
    std::vector<std::string> keys, translated;
    bool holds;
  };
  const Case cases[] = {
      {"", {}, {}, true},
      {"", {id, id}, {"W", "deutsch"}, true},  // tables loaded, but no language chosen
      {"German", {}, {}, true},                // no translation for this line
      {"German", {"{OTHER}", "{OTHER}"}, {"W", "deutsch"}, true},
      {"German", {id, id}, {"V", "deutsch"}, false},  // text 2 is the value
      {"German", {id, id}, {"W", "english"}, false},  // text 1 is the variable
      {"German", {id, id}, {"W", "deutsch"}, true},
      {"German", {id, id}, {"$W$", "$GERMAN$"}, true},  // the translated value is substituted
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("language '" + c.language + "' translations " + std::to_string(c.translated.size()) +
                 (c.translated.empty() ? "" : " '" + c.translated[0] + "' '" + c.translated[1] + "'"));
    engine.translations.current_language = c.language;
    engine.translations.keys = c.keys;
    engine.translations.sources = {"V", "english"};
    engine.translations.translated = c.translated;
    EXPECT_EQ(holds(engine, 0), c.holds);
  }
}

}  // namespace
}  // namespace qm
