// "Evaluate Expression" on its script line: the result variable, and how
// references reach the expression.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "script/package_reader.h"
#include "tests/support/package_text.h"

namespace qm {

// The handler (commands/variables/variable_commands.cpp).
void evaluate_expression_command(Engine& engine, const ScriptLine& line);

namespace {

constexpr std::string_view kCategory = "Set Variable Action";

// An engine whose script is one "Evaluate Expression" line.
class ExpressionCommandTest : public ::testing::Test {
 protected:
  std::string run(const std::string& expression, const std::string& result_variable) {
    test::PackageText package;
    package.add_line("Evaluate Expression", {expression, result_variable});
    engine.package = parse_package(package.text());
    evaluate_expression_command(engine, ScriptLine{0, "Evaluate Expression", std::string(engine.package.line_id(0))});
    return engine.variables.get(result_variable);
  }

  Engine engine;
};

TEST_F(ExpressionCommandTest, DefinesTheResultVariableWhenMissing) {
  EXPECT_FALSE(engine.variables.exists("OUTCOME"));
  EXPECT_EQ(run("\"a\" = \"a\"", "Outcome"), "TRUE");
  ASSERT_EQ(engine.variables.size(), 1u);
  EXPECT_EQ(engine.variables.snapshot()[0].first, "OUTCOME");
}

TEST_F(ExpressionCommandTest, OverwritesAnExistingResultVariable) {
  engine.variables.define("OUTCOME", "old", kCategory);
  engine.variables.define("OTHER", "kept", kCategory);
  EXPECT_EQ(run("\"a\" = \"b\"", "outcome"), "FALSE");
  EXPECT_EQ(engine.variables.size(), 2u);
  EXPECT_EQ(engine.variables.get("OTHER"), "kept");
}

TEST_F(ExpressionCommandTest, ReferencesBecomeQuotedValues) {
  struct Case {
    std::string a, b, expression, result;
  };
  const Case cases[] = {
      {"yes", "x", "$A$ = \"yes\" and $B$ <> \"\"", "TRUE"},
      {"yes", "", "$A$ = \"yes\" and $B$ <> \"\"", "FALSE"},
      {"no", "x", "$A$ = \"yes\" and $B$ <> \"\"", "FALSE"},
      {"", "", "$A$ = $B$", "TRUE"},
      {"1", "M", "($A$ = \"1\" or $A$ = \"2\") and $B$ >= \"M\"", "TRUE"},
      {"3", "M", "($A$ = \"1\" or $A$ = \"2\") and $B$ >= \"M\"", "FALSE"},
      {"10", "9", "$A$ < $B$", "TRUE"},           // compared as texts
      {"a b", "a b", "$a$ = $b$", "TRUE"},        // references in any case
      {"and", "or", "$A$ <> $B$", "TRUE"},        // values are data, not connectors
      {"x\") or (\"x", "x", "$A$ = $B$", "ERROR"},  // not even when it would balance
      {"x) or (", "1", "$A$ = $B$", "FALSE"},     // parentheses in a value are text
      {"x) or (", "x) or (", "$A$ = $B$", "TRUE"},
      // A double quote in a value is not doubled: the expression is malformed.
      {"say \"hi\"", "x", "$A$ = $B$", "ERROR"},
      {"\"", "x", "$B$ = \"x\" or $A$ = \"x\"", "ERROR"},
      // a reference to an undefined variable stays unquoted
      {"x", "x", "$A$ = $UNDEFINED$", "ERROR"},
      // the expression itself is malformed
      {"x", "x", "$A$ == $B$", "ERROR"},
      {"x", "x", "", "ERROR"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("A='" + c.a + "' B='" + c.b + "' expression [" + c.expression + "]");
    engine.variables.clear();
    engine.variables.define("A", c.a, kCategory);
    engine.variables.define("B", c.b, kCategory);
    EXPECT_EQ(run(c.expression, "RESULT"), c.result);
  }
}

TEST_F(ExpressionCommandTest, ReferencesBroughtInByValuesAreSubstitutedWithoutQuotes) {
  // B is defined before A, so the reference that A's value brings in is left
  // to the repetition, which substitutes without quotes.
  engine.variables.define("B", "inner", kCategory);
  engine.variables.define("A", "$B$", kCategory);
  EXPECT_EQ(run("$A$ = \"inner\"", "RESULT"), "TRUE");
  EXPECT_EQ(run("$A$ = $B$", "RESULT"), "TRUE");
}

TEST_F(ExpressionCommandTest, NewlineMarkerBecomesALineBreak) {
  engine.variables.define("TEXT", "a\r\nb", kCategory);
  EXPECT_EQ(run("$TEXT$ = \"a$NEWLINE$b\"", "RESULT"), "TRUE");
}

TEST_F(ExpressionCommandTest, TheResultVariableMayTakePartInItsOwnExpression) {
  engine.variables.define("RESULT", "FALSE", kCategory);
  EXPECT_EQ(run("$RESULT$ = \"FALSE\"", "RESULT"), "TRUE");
  EXPECT_EQ(run("$RESULT$ = \"FALSE\"", "RESULT"), "FALSE");
  // a result variable that did not exist is defined empty before the expression is read
  EXPECT_EQ(run("$FRESH$ = \"\"", "FRESH"), "TRUE");
}

}  // namespace
}  // namespace qm
