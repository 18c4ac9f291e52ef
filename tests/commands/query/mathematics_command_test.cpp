// "Mathematics" on its script line: operands substituted, the operation read
// as written, the result variable, and the generator that lives in the
// engine from line to line.

#include <gtest/gtest.h>

#include <string>

#include "tests/commands/query/query_run.h"

namespace qm {
namespace {

using test::run_query_script;

std::string result_after(const std::string& script) {
  const auto run = run_query_script(script);
  EXPECT_FALSE(run->outcome().failed) << script << "\n" << run->outcome().error_report;
  return run->get("R");
}

TEST(MathematicsCommandTest, ResultsAndFailures) {
  const struct {
    const char* script;
    const char* result;
  } cases[] = {
      {"Mathematics | 2147483647 | 1 | 0 | R", "2147483648"},
      {"Set Variable | A | -1\nSet Variable | B | 60\nMathematics | $A$ | $B$ | 9 | R", "15"},
      {"Mathematics | 65 |  | 12 | r", "A"},
      {"Set Variable | T | Quill\nMathematics | $T$ |  | 11 | R", "81"},
      {"Mathematics | 7 | 0 | 3 | R", ""},
      {"Mathematics | 7 | 0 | 4 | R", ""},
      {"Mathematics | 1 | 1 | 16 | R", ""},
      {"Mathematics |  | 1 | 0 | R", ""},
      {"Mathematics | x | 1 | 0 | R", ""},
      // The operation is read as written, never substituted.
      {"Set Variable | OP | 0\nMathematics | 1 | 1 | $OP$ | R", ""},
      // A failure overwrites an earlier value with the empty text.
      {"Set Variable | R | old\nMathematics | 1 | 0 | 3 | R", ""},
      {"Set Variable | R | old\nMathematics | 6 | 3 | 3 | R", "2"},
  };
  for (const auto& c : cases) EXPECT_EQ(result_after(c.script), c.result) << c.script;
}

TEST(MathematicsCommandTest, TheGeneratorAdvancesWithoutAResultVariable) {
  const auto run = run_query_script(R"(
    Mathematics | 15 |  | 15 | BEFORE
    Mathematics | -7 | 3 | 13 |
    Mathematics | 5 |  | 14 |
    Mathematics | 10 |  | 15 |
    Mathematics | 10 |  | 15 | SECOND
    Mathematics | 10 |  | 15 | THIRD
  )");
  EXPECT_FALSE(run->outcome().failed) << run->outcome().error_report;
  EXPECT_EQ(run->get("BEFORE"), "0") << "all zero before any seeding";
  EXPECT_EQ(run->get("SECOND"), "7") << "the first draw (-32) was made without a variable";
  EXPECT_EQ(run->get("THIRD"), "-6");
  EXPECT_EQ(run->engine().random_generator.state, -1586);
}

}  // namespace
}  // namespace qm
