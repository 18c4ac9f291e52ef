#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "script/condition.h"
#include "script/script_error.h"
#include "script/variable_store.h"
#include "tests/support/package_text.h"

namespace qm {
namespace {

constexpr std::string_view kAction = "Set Variable Action";

std::string error_of(const ConditionFields& fields, const VariableStore& variables) {
  try {
    condition_holds(fields, variables);
  } catch (const ScriptError& error) {
    return error.what();
  }
  return "(no error)";
}

// Negation texts and whether they negate (field 4 is a truth text).
struct Negation {
  std::string text;
  bool negates;
};
const Negation kNegations[] = {
    {"", false},      {"FALSE", false}, {"0", false},     {"1", false},    {"yes", false}, {" TRUE", false},
    {"TRUE ", false}, {"TRUE", true},   {"true", true},   {"tRuE", true},  {"-1", true},
};

// One comparison: variable V holds `left`; field 3 is `right`.
struct Comparison {
  std::string left;
  std::string code;
  std::string right;
  bool holds;
};

// Checks each comparison plain and under every negation text.
void expect_comparisons(const std::vector<Comparison>& cases) {
  for (const Comparison& c : cases) {
    VariableStore variables;
    variables.define("V", c.left, kAction);
    for (const Negation& negation : kNegations) {
      SCOPED_TRACE("left '" + c.left + "' code '" + c.code + "' right '" + c.right + "' negation '" +
                   negation.text + "'");
      EXPECT_EQ(condition_holds({"V", c.code, c.right, negation.text}, variables), c.holds != negation.negates);
    }
  }
}

TEST(ConditionTest, IntegerComparisonRules) {
  expect_comparisons({
      // "2": greater, as numbers when both sides are integers
      {"10", "2", "9", true},
      {"9", "2", "10", false},
      {"10", "2", "10", false},
      {"-1", "2", "-2", true},
      {"-2", "2", "-1", false},
      {"2147483647", "2", "-2147483648", true},
      {"0x10", "2", "15", true},
      {"$A", "2", "9", true},
      // every other comparison code means equality of the numbers
      {"0x10", "0", "16", true},
      {"16", "0", "$10", true},
      {"007", "0", "7", true},
      {"10", "0", "+10", true},
      {" 7", "0", "7", true},
      {"$FFFFFFFF", "0", "-1", true},
      {"15", "1", "5", false},  // as texts 15 would contain 5
      {"1234", "1", "23", false},
      {"15", "1", "15", true},
      {"0x10", "1", "x1", false},
      {"1234", "3", "23", false},
      {"16", "3", "0X10", true},
      {"10", "4", "010", true},
      {"16", "4", "x10", true},
      {"16", "4", "17", false},
  });
}

TEST(ConditionTest, TextsWhenEitherSideIsNoInteger) {
  expect_comparisons({
      // the byte of the digit 1 is below that of 9
      {"10a", "2", "9", false},
      {"10", "2", "9a", false},
      {"10", "0", "10 ", false},
      {"10", "2", "", true},
      {"", "0", "0", false},
      // beyond 32 bits a number is a text
      {"2147483648", "2", "9", false},
      {"4294967296", "2", "5", false},
      {"2147483648", "0", "2147483648", true},
      {"99999999999", "1", "999", true},
      {"a5b", "1", "5", true},
  });
}

TEST(ConditionTest, TextComparisonRules) {
  expect_comparisons({
      // "0": equal, case-sensitive
      {"abc", "0", "abc", true},
      {"abc", "0", "ABC", false},
      {"abc", "0", "abc ", false},
      {"abc", "0", "ab", false},
      {"", "0", "", true},
      // "1": contains, case-sensitive; the empty text is never contained
      {"abc", "1", "bc", true},
      {"abc", "1", "abc", true},
      {"abc", "1", "BC", false},
      {"Hello", "1", "ELL", false},
      {"abc", "1", "abcd", false},
      {"abc", "1", "", false},
      {"", "1", "", false},
      // "2": greater in byte order; a proper prefix is smaller
      {"b", "2", "a", true},
      {"a", "2", "a", false},
      {"a", "2", "b", false},
      {"abc", "2", "ab", true},
      {"ab", "2", "abc", false},
      {"abd", "2", "abc", true},
      {"b", "2", "abc", true},  // the first differing byte decides, not the length
      {"abc", "2", "b", false},
      {"a", "2", "B", true},
      {"B", "2", "a", false},
      {"x", "2", "", true},
      {"", "2", "x", false},
      {"", "2", "", false},
      {"\xE9", "2", "z", true},  // bytes above 127 order after ASCII
      {"z", "2", "\xE9", false},
      {"\xFF", "2", "\x80", true},
      // "3": contains without regard to case; the empty text is never contained
      {"Hello", "3", "ELL", true},
      {"Hello", "3", "hello", true},
      {"HELLO", "3", "ll", true},
      {"Hello", "3", "xyz", false},
      {"Hi", "3", "HIGH", false},
      {"Hello", "3", "", false},
      {"", "3", "", false},
      // "4": equal without regard to ASCII letter case only
      {"Hello", "4", "hELLO", true},
      {"a-b", "4", "A-B", true},
      {"", "4", "", true},
      {"Hello", "4", "Hell", false},
      {"Hello", "4", "Hello ", false},
      {"[", "4", "{", false},  // these differ by the letter-case bit but are no letters
      {"@", "4", "`", false},
      {"\xE9", "4", "\xC9", false},
  });
}

TEST(ConditionTest, UnknownCodesNeverHold) {
  for (const std::string code : {"6", "7", "", " 0", "0 ", "00", "-1", "a", "05", "5 ", " 5", "=", "2.0"}) {
    // even where every comparison would agree
    expect_comparisons({{"x", code, "x", false}, {"1", code, "1", false}, {"9", code, "1", false}});
  }
}

TEST(ConditionTest, DefinedCodeTestsTheBareNameWithoutReadingIt) {
  struct Case {
    std::string variable;
    std::string negate;
    bool holds;
  };
  const Case cases[] = {
      {"V", "", true},
      {"v", "", true},
      {"V", "TRUE", false},
      {"V", "-1", false},
      {"V", "1", true},
      {"W", "", false},
      {"W", "TRUE", true},
      {"W", "true", true},
      {"W", "FALSE", false},
      // field 1 is taken unchanged: "$V$" names no variable
      {"$V$", "", false},
      {"$V$", "TRUE", true},
      {"", "", false},
  };
  VariableStore variables;
  variables.define("V", "", kAction);
  for (const Case& c : cases) {
    for (const std::string value : {"", "anything", "$V$"}) {
      SCOPED_TRACE("variable '" + c.variable + "' negation '" + c.negate + "' value '" + value + "'");
      EXPECT_EQ(condition_holds({c.variable, "5", value, c.negate}, variables), c.holds);
    }
  }
}

TEST(ConditionTest, VariableFieldIsAReferenceOrABareName) {
  VariableStore variables;
  variables.define("TARGET", "x", kAction);
  for (const std::string field : {"TARGET", "target", "$TARGET$", "$Target$"}) {
    SCOPED_TRACE(field);
    EXPECT_TRUE(condition_holds({field, "0", "x", ""}, variables));
    EXPECT_FALSE(condition_holds({field, "0", "y", ""}, variables));
  }
}

TEST(ConditionTest, UndefinedVariableIsAScriptError) {
  struct Case {
    std::string field;
    std::string name;  // as the message gives it
  };
  const Case cases[] = {
      {"Missing", "Missing"},
      {"$Missing$", "Missing"},
      {"$TARGET", "$TARGET"},   // no closing dollar: the whole field is the name
      {"TARGET$", "TARGET$"},
      {"$TARGET$$", "$TARGET$$"},
      {"", ""},
  };
  VariableStore variables;
  variables.define("TARGET", "x", kAction);
  for (const Case& c : cases) {
    // every code but "5" reads the variable, the unknown ones included
    for (const std::string code : {"0", "1", "2", "3", "4", "7", ""}) {
      for (const std::string negate : {"", "TRUE"}) {
        SCOPED_TRACE("field '" + c.field + "' code '" + code + "' negation '" + negate + "'");
        EXPECT_EQ(error_of({c.field, code, "x", negate}, variables),
                  "Attempting to get value of undefined variable " + c.name);
      }
    }
  }
}

TEST(ConditionTest, RightSideIsSubstitutedLeftSideIsNot) {
  struct Case {
    std::string left;  // stored in V as it is
    std::string code;
    std::string right;
    bool holds;
  };
  const Case cases[] = {
      {"x", "0", "$R$", true},
      {"x", "0", "$r$", true},
      {"xx", "0", "$R$$R$", true},
      {"<x>", "0", "<$R$>", true},
      {"x", "0", "$CHAIN$", true},  // a value that refers to another is substituted too
      {"10", "2", "$NINE$", true},  // and then compared as a number
      {"0x10", "0", "$SIXTEEN$", true},
      // the left side is the stored value, not substituted
      {"$R$", "0", "$R$", false},
      {"$R$", "0", "x", false},
      {"$NEWLINE$", "0", "$NEWLINE$", false},
      {"a\r\nb", "0", "a$newline$b", true},
      {"$R$", "1", "R", true},
      // a reference to an undefined variable stays in the text
      {"$UNDEFINED$", "0", "$UNDEFINED$", true},
      {"50$", "0", "50$", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("left '" + c.left + "' code '" + c.code + "' right '" + c.right + "'");
    VariableStore variables;
    variables.define("V", c.left, kAction);
    variables.define("CHAIN", "$R$", kAction);
    variables.define("R", "x", kAction);
    variables.define("NINE", "9", kAction);
    variables.define("SIXTEEN", "16", kAction);
    EXPECT_EQ(condition_holds({"V", c.code, c.right, ""}, variables), c.holds);
  }
}

TEST(ConditionTest, NegationFieldIsReadRaw) {
  VariableStore variables;
  variables.define("V", "x", kAction);
  variables.define("N", "TRUE", kAction);
  EXPECT_TRUE(condition_holds({"V", "0", "x", "$N$"}, variables));
  EXPECT_TRUE(condition_holds({"V", "5", "", "$N$"}, variables));
}

}  // namespace
}  // namespace qm
