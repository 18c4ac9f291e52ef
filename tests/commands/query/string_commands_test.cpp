// "Replace String", "Parse String" and "Convert Case" on their script lines.

#include <gtest/gtest.h>

#include <string>

#include "tests/commands/query/query_run.h"

namespace qm {
namespace {

using test::run_query_script;
using test::script_error_report;

struct Case {
  const char* script;
  const char* variable;
  const char* value;
};

void expect_values(const Case* begin, const Case* end) {
  for (const Case* c = begin; c != end; ++c) {
    const auto run = run_query_script(c->script);
    EXPECT_FALSE(run->outcome().failed) << c->script << "\n" << run->outcome().error_report;
    EXPECT_EQ(run->get(c->variable), c->value) << c->script;
  }
}

TEST(StringCommandsTest, ReplaceString) {
  const Case cases[] = {
      {"Set Variable | V | aXbxc\nReplace String | V | x | - | TRUE | FALSE", "V", "a-bxc"},
      {"Set Variable | V | aXbxc\nReplace String | V | x | - | TRUE | TRUE", "V", "a-b-c"},
      {"Set Variable | V | aXbxc\nReplace String | V | x | - | FALSE | FALSE", "V", "aXb-c"},
      {"Set Variable | V | aXbxc\nReplace String | v | x | - | -1 | -1", "V", "a-b-c"},
      {"Set Variable | V | aXbxc\nReplace String | V | x | - | yes | 1", "V", "aXb-c"},
      // The texts to find and to put in are substituted...
      {"Set Variable | V | C:\\Old\\x\nSet Variable | FROM | Old\nSet Variable | TO | New\n"
       "Replace String | V | $FROM$ | $TO$ | FALSE | TRUE",
       "V", "C:\\New\\x"},
      // ...the value is worked on as stored: a reference in it stays.
      {"Set Variable | V | [$A$]\nSet Variable | A | x\nReplace String | V | [ | ( | FALSE | TRUE", "V", "($A$]"},
      {"Set Variable | V | abc\nReplace String | V |  | x | FALSE | TRUE", "V", "abc"},
      {"Set Variable | V | ab\nReplace String | V | abc | x | FALSE | TRUE", "V", "ab"},
      {"Set Variable | V | \nReplace String | V | a | x | FALSE | TRUE", "V", ""},
      {"Set Variable | V | a\\\\b\nReplace String | V | \\ | / | FALSE | TRUE", "V", "a//b"},  // not normalized
  };
  expect_values(std::begin(cases), std::end(cases));
}

TEST(StringCommandsTest, ParseString) {
  const Case cases[] = {
      {"Parse String | key=value=x | = | K | V | 0", "K", "key"},
      {"Parse String | key=value=x | = | K | V | 0", "V", "value=x"},
      {"Parse String | key=value=x | = | K | V | 1", "K", "key=value"},
      {"Parse String | key=value=x | = | K | V | 1", "V", "x"},
      {"Parse String | key | = | K | V | 0", "K", "key"},
      {"Parse String | key | = | K | V | 0", "V", ""},
      {"Parse String | key | = | K | V | 1", "K", ""},
      {"Parse String | key | = | K | V | 1", "V", "key"},
      // Source and delimiter are substituted and normalized as paths.
      {"Parse String | C:\\\\dir\\\\x | \\ | K | V | 1", "K", "C:\\dir"},
      {"Parse String | C:\\\\dir\\\\x | \\ | K | V | 1", "V", "x"},
      {"Set Variable | S | a\\\\b\\\\c\nSet Variable | D | \\\nParse String | $S$ | $D$ | K | V | 0", "V", "b\\c"},
      // Counts.
      {"Parse String | abcdef | 2 | K | V | 2", "V", "cdef"},
      {"Parse String | abcdef | 2 | K | V | 3", "K", "abcd"},
      {"Parse String | abcdef | 6 | K | V | 3", "K", ""},
      {"Parse String | abcdef | 6 | K | V | 3", "V", ""},  // exactly the length: two empty parts
      {"Parse String | abcdef | 7 | K | V | 3", "V", "abcdef"},
      {"Parse String | abcdef | two | K | V | 2", "K", ""},
      {"Parse String | abcdef | two | K | V | 2", "V", ""},
      {"Parse String | abcdef | 2 | K | V | 9", "K", ""},
      // Trimming; the delimiter found without regard to case.
      {"Parse String | $NEWLINE$ key $NEWLINE$=$NEWLINE$value | = | K | V | 0 | TRUE", "K", "key"},
      {"Parse String | $NEWLINE$ key $NEWLINE$=$NEWLINE$value | = | K | V | 0 | TRUE", "V", "value"},
      {"Parse String | $NEWLINE$key | = | K | V | 0 | FALSE", "K", "\r\nkey"},
      {"Parse String | One AND Two | and | K | V | 0 | FALSE | TRUE", "V", " Two"},
      {"Parse String | One AND Two | and | K | V | 0 | FALSE | FALSE", "K", "One AND Two"},
      // Part variables are written as named, upper-cased, and may be left out.
      {"Set Variable | V | old\nParse String | a=b | = |  | v | 0", "V", "b"},
      {"Set Variable | K | old\nParse String | a=b | = | K |  | 0", "K", "a"},
  };
  expect_values(std::begin(cases), std::end(cases));
}

TEST(StringCommandsTest, ParseStringDefinesItsPartsFirst) {
  // The mode is read after the parts are defined: a mode that is no number
  // stops the script with both variables there, empty.
  const auto run = run_query_script("mark a\nParse String | a=b | = | First | Second | zero\nmark z");
  EXPECT_EQ(run->outcome().error_report, script_error_report(3, "'zero' is not a valid integer value"));
  EXPECT_EQ(run->get("RUN"), "a");
  EXPECT_EQ(run->get("FIRST"), "");
  EXPECT_EQ(run->get("SECOND"), "");
}

TEST(StringCommandsTest, ConvertCase) {
  const Case cases[] = {
      {"Set Variable | V | C:\\Program Files\\x.TXT\nConvert Case | V | TRUE", "V", "C:\\PROGRAM FILES\\X.TXT"},
      {"Set Variable | V | C:\\Program Files\\x.TXT\nConvert Case | V | FALSE", "V", "c:\\program files\\x.txt"},
      {"Set Variable | V | Caf\xE9 \xC0 la carte\nConvert Case | V | TRUE", "V", "CAF\xC9 \xC0 LA CARTE"},
      {"Set Variable | V | Caf\xE9 \xC0 la carte\nConvert Case | v | false", "V", "caf\xE9 \xE0 la carte"},
      // The value is substituted and normalized as a path first.
      {"Set Variable | V | \\\\Server\\\\Share\nConvert Case | V | TRUE", "V", "\\\\SERVER\\SHARE"},
      {"Set Variable | V | [$A$]\nSet Variable | A | x\nConvert Case | V | TRUE", "V", "[X]"},
      {"Set Variable | V | \nConvert Case | V | TRUE", "V", ""},
  };
  expect_values(std::begin(cases), std::end(cases));
}

// The validator knows the variable from a line that the run skips, so the
// command meets it undefined.
TEST(StringCommandsTest, UndefinedVariablesStopTheScript) {
  const struct {
    const char* command;
    const char* message;
  } cases[] = {
      {"Convert Case | Skipped | TRUE", "Attempting to get value of undefined variable SKIPPED"},
      {"Replace String | Skipped | a | b | FALSE | TRUE", "Attempting to get value of undefined variable Skipped"},
  };
  for (const auto& c : cases) {
    const auto run = run_query_script(std::string("GoTo Label | ON\nSet Variable | SKIPPED | x\nLabel | ON\n") +
                                      c.command + "\nmark z");
    EXPECT_EQ(run->outcome().error_report, script_error_report(5, c.message)) << c.command;
    EXPECT_EQ(run->get("RUN"), "") << c.command;
    EXPECT_FALSE(run->engine().variables.exists("SKIPPED")) << c.command;
  }
}

}  // namespace
}  // namespace qm
