#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/expression.h"
#include "script/variable_store.h"

namespace qm {
namespace {

// The cases are written with ' for the double quote, which keeps them
// readable; two of them in a row stand for a doubled quote.
std::string quotes(std::string text) {
  for (char& c : text)
    if (c == '\'') c = '"';
  return text;
}

struct ExpressionCase {
  std::string text;  // ' stands for "
  std::string result;
};

void expect_results(const std::vector<ExpressionCase>& cases) {
  for (const ExpressionCase& c : cases) {
    const std::string text = quotes(c.text);
    SCOPED_TRACE("expression [" + text + "]");
    EXPECT_EQ(evaluate_expression(text), c.result);
  }
}

TEST(ExpressionTest, ComparisonsAreOrdinalAndCaseSensitive) {
  expect_results({
      {"'a' = 'a'", "TRUE"},
      {"'a' = 'b'", "FALSE"},
      {"'a' = 'A'", "FALSE"},
      {"'' = ''", "TRUE"},
      {"'a' <> 'b'", "TRUE"},
      {"'a' <> 'a'", "FALSE"},
      {"'a' <> 'A'", "TRUE"},
      {"'a' < 'b'", "TRUE"},
      {"'b' < 'a'", "FALSE"},
      {"'a' < 'a'", "FALSE"},
      {"'a' <= 'a'", "TRUE"},
      {"'a' <= 'b'", "TRUE"},
      {"'b' <= 'a'", "FALSE"},
      {"'b' > 'a'", "TRUE"},
      {"'a' > 'a'", "FALSE"},
      {"'a' > 'b'", "FALSE"},
      {"'a' >= 'a'", "TRUE"},
      {"'b' >= 'a'", "TRUE"},
      {"'a' >= 'b'", "FALSE"},
      // lower-case letters have higher codes than capitals
      {"'b' > 'B'", "TRUE"},
      {"'B' < 'a'", "TRUE"},
      {"'abc' < 'abd'", "TRUE"},
      // a proper prefix is smaller
      {"'ab' < 'abc'", "TRUE"},
      {"'abc' > 'ab'", "TRUE"},
      {"'' < 'a'", "TRUE"},
      // numbers are texts too
      {"'10' < '9'", "TRUE"},
      {"'10' = '010'", "FALSE"},
      // bytes above 127 order after ASCII
      {"'\xE9' > 'z'", "TRUE"},
      {"'z' < '\xFF'", "TRUE"},
      {"'\x80' >= '\x7F'", "TRUE"},
      // blanks inside a quoted text belong to it
      {"' a' = 'a'", "FALSE"},
      {"'a b' = 'a b'", "TRUE"},
      {"'a ' > 'a'", "TRUE"},
      // tabs, line breaks and parentheses in a quoted text are plain characters
      {"'\t' = '\t'", "TRUE"},
      {"'a\r\nb' = 'a\r\nb'", "TRUE"},
      {"'(' = '('", "TRUE"},
      {"')' < '('", "FALSE"},
      {"'a) or (' = 'x'", "FALSE"},
      {"'and' = 'and'", "TRUE"},
  });
}

TEST(ExpressionTest, CharactersWithCodeZeroAreCompared) {
  const std::string a_nul_b("a\0b", 3);
  EXPECT_EQ(evaluate_expression("\"" + a_nul_b + "\" = \"" + a_nul_b + "\""), "TRUE");
  EXPECT_EQ(evaluate_expression("\"" + a_nul_b + "\" = \"a\""), "FALSE");
  EXPECT_EQ(evaluate_expression("\"" + a_nul_b + "\" > \"a\""), "TRUE");
}

TEST(ExpressionTest, DoubledQuoteStandsForOneQuote) {
  expect_results({
      {"'a''b' = 'a''b'", "TRUE"},
      {"'a''b' = 'ab'", "FALSE"},
      {"'a''b' = 'a'", "FALSE"},
      {"'''' = ''''", "TRUE"},    // one quote character on each side
      {"'''' = ''", "FALSE"},
      {"'''' > ''", "TRUE"},
      {"'a''' > 'a'", "TRUE"},
      {"'''a' = '''a'", "TRUE"},
      {"'''''' = ''''''", "TRUE"},  // two quote characters
      {"'''''' = ''''", "FALSE"},
      {"'a'' = ''b' = 'a'' = ''b'", "TRUE"},  // an operator inside a quoted text
      {"'a'' = ''b' = 'a'", "FALSE"},
  });
}

TEST(ExpressionTest, BlanksAroundTheParts) {
  expect_results({
      {"'a'='a'", "TRUE"},
      {"'a'<>'b'", "TRUE"},
      {"'a'<='a'", "TRUE"},
      {"'b'>='a'", "TRUE"},
      {"   'a'   =   'a'   ", "TRUE"},
      {"'a' ='a'", "TRUE"},
      {"'a'= 'a'", "TRUE"},
      {"( 'a' = 'a' )", "TRUE"},
      {"'a' = 'a'and 'b' = 'b'", "TRUE"},  // the connector may follow the quote at once
      {"'a' = 'a' and'b' = 'b'", "TRUE"},  // and the next comparison may follow it at once
      {"'a' = 'a'or'x' = 'y'", "TRUE"},
      // only the blank separates: tabs and line breaks are not blanks
      {"'a'\t=\t'a'", "ERROR"},
      {"'a' =\t'a'", "ERROR"},
      {"\t'a' = 'a'", "ERROR"},
      {"'a' = 'a'\t", "ERROR"},
      {"'a' = 'a'\r\n", "ERROR"},
      {"'a' = 'a'\tand 'b' = 'b'", "ERROR"},
      {"'a' = 'a' and\t'b' = 'b'", "ERROR"},
      {"'a' = 'a'\r\nor 'b' = 'b'", "ERROR"},
  });
}

TEST(ExpressionTest, ConnectorsCombineStrictlyFromTheLeft) {
  expect_results({
      {"'a' = 'a' and 'b' = 'b'", "TRUE"},
      {"'a' = 'a' and 'b' = 'c'", "FALSE"},
      {"'a' = 'x' and 'b' = 'b'", "FALSE"},
      {"'a' = 'x' and 'b' = 'y'", "FALSE"},
      {"'a' = 'a' or 'b' = 'c'", "TRUE"},
      {"'a' = 'x' or 'b' = 'b'", "TRUE"},
      {"'a' = 'x' or 'b' = 'y'", "FALSE"},
      {"'a' = 'a' or 'b' = 'b'", "TRUE"},
      // no precedence of "and" over "or": (true or false) and false
      {"'a' = 'a' or 'x' = 'y' and 'b' = 'c'", "FALSE"},
      // and not from the right: (false and true) or true
      {"'a' = 'x' and 'b' = 'b' or 'c' = 'c'", "TRUE"},
      // ((true and false) or true) and true
      {"'a' = 'a' and 'b' = 'x' or 'c' = 'c' and 'd' = 'd'", "TRUE"},
      // ((false or true) and true) or false
      {"'a' = 'x' or 'b' = 'b' and 'c' = 'c' or 'd' = 'x'", "TRUE"},
      {"'1' = '1' and '2' = '2' and '3' = '3' and '4' = '5'", "FALSE"},
      {"'1' = '2' or '2' = '3' or '3' = '4' or '4' = '4'", "TRUE"},
  });
}

TEST(ExpressionTest, ParenthesesGroup) {
  expect_results({
      {"('a' = 'a')", "TRUE"},
      {"(('a' = 'b'))", "FALSE"},
      {"((('a' = 'a')))", "TRUE"},
      // grouping overrides the left-to-right chain
      {"'a' = 'a' or ('x' = 'y' and 'b' = 'c')", "TRUE"},
      {"('a' = 'a' or 'x' = 'y') and 'b' = 'c'", "FALSE"},
      {"'a' = 'x' and ('b' = 'b' or 'c' = 'c')", "FALSE"},
      {"('1' = '1' or '1' = '2') and 'M' >= 'M'", "TRUE"},
      {"('a' = 'a') and ('b' = 'b')", "TRUE"},
      {"('a' = 'a') or ('b' = 'c')", "TRUE"},
      {"(('a' = 'b') or ('b' = 'b')) and ('c' = 'c')", "TRUE"},
      {"('a' = 'a')and ('b' = 'b')", "TRUE"},
      // the connector is a word of its own: a parenthesis does not end it
      {"'a' = 'a' and ('b' = 'b')", "TRUE"},
      {"'a' = 'a' and('b' = 'b')", "ERROR"},
      {"'a' = 'a' or('b' = 'b')", "ERROR"},
      // unbalanced
      {"('a' = 'a'", "ERROR"},
      {"'a' = 'a')", "ERROR"},
      {"(('a' = 'a')", "ERROR"},
      {"('a' = 'a'))", "ERROR"},
      // the whole text is one term: these would balance only with the
      // parentheses around the whole text taken as two groups
      {"'a' = 'a') or ('b' = 'b'", "ERROR"},
      {"'a' = 'a') and ('b' = 'b'", "ERROR"},
      // a group must hold an expression
      {"()", "ERROR"},
      {"( )", "ERROR"},
      {"('a')", "ERROR"},
      {"('a' = 'a') ()", "ERROR"},
      {"'a' (= 'a')", "ERROR"},
  });
}

TEST(ExpressionTest, ConnectorsAreLowerCaseAndOrOnly) {
  expect_results({
      {"'a' = 'a' AND 'b' = 'b'", "ERROR"},
      {"'a' = 'a' And 'b' = 'b'", "ERROR"},
      {"'a' = 'a' OR 'b' = 'b'", "ERROR"},
      {"'a' = 'a' oR 'b' = 'b'", "ERROR"},
      {"'a' = 'a' xor 'b' = 'b'", "ERROR"},
      {"'a' = 'a' && 'b' = 'b'", "ERROR"},
      {"'a' = 'a' || 'b' = 'b'", "ERROR"},
      {"'a' = 'a' not 'b' = 'b'", "ERROR"},
      {"'a' = 'a' andor 'b' = 'b'", "ERROR"},
      {"'a' = 'a' an 'b' = 'b'", "ERROR"},
      {"'a' = 'a' and and 'b' = 'b'", "ERROR"},
      // two comparisons without a connector
      {"'a' = 'a' 'b' = 'b'", "ERROR"},
      {"'a' = 'a''b' = 'b'", "ERROR"},
      // a connector with nothing, or no comparison, after it
      {"'a' = 'b' and", "ERROR"},
      {"'a' = 'b' and ", "ERROR"},
      {"'a' = 'a' or", "ERROR"},
      {"'a' = 'a' or ()", "ERROR"},
      {"'a' = 'a' or 'b'", "ERROR"},
      // a connector without a comparison before it
      {"and 'a' = 'a'", "ERROR"},
      {"('a' = 'a' or) and 'b' = 'b'", "ERROR"},
  });
}

TEST(ExpressionTest, MalformedComparisonsAreErrors) {
  expect_results({
      {"", "ERROR"},
      {" ", "ERROR"},
      {"    ", "ERROR"},
      {"'a'", "ERROR"},
      {"'a' =", "ERROR"},
      {"'a' = ", "ERROR"},
      {"= 'a'", "ERROR"},
      {"'a' 'a'", "ERROR"},
      {"'a' == 'a'", "ERROR"},
      {"'a' => 'a'", "ERROR"},
      {"'a' =< 'a'", "ERROR"},
      {"'a' >< 'a'", "ERROR"},
      {"'a' != 'a'", "ERROR"},
      {"'a' ! 'a'", "ERROR"},
      {"'a' eq 'a'", "ERROR"},
      {"'a' = = 'a'", "ERROR"},
      {"'a' <= = 'a'", "ERROR"},
      // the sides must be quoted
      {"a = 'a'", "ERROR"},
      {"'a' = a", "ERROR"},
      {"aa' = 'a'", "ERROR"},  // the opening quote is missing
      {"a = a", "ERROR"},
      {"1 = 1", "ERROR"},
      {"TRUE", "ERROR"},
      // text after the last comparison
      {"'a' = 'a' x", "ERROR"},
      {"'a' = 'a' 'b'", "ERROR"},
      {"'a' = 'a' =", "ERROR"},
      // a quoted text without its closing quote runs to the end
      {"'a' = 'a", "ERROR"},
      {"'a = 'a'", "ERROR"},
      {"'a' = 'a' and 'b' = 'b", "ERROR"},
      {"'", "ERROR"},
      {"'''", "ERROR"},
      {"'a'''", "ERROR"},
  });
}

TEST(ExpressionTest, AnErrorAnywhereMakesTheWholeExpressionAnError) {
  expect_results({
      // the outcome would already be settled by the first comparison
      {"'a' = 'a' or 'b' ? 'c'", "ERROR"},
      {"'a' = 'b' and 'c' ? 'd'", "ERROR"},
      {"'a' = 'a' or ('b' = 'b' and 'c')", "ERROR"},
      {"'a' = 'b' and ('b' == 'b')", "ERROR"},
      {"'a' ? 'a' or 'b' = 'b'", "ERROR"},
      {"('a' = 'a' or 'b' = 'b') and 'c' = 'c' or x", "ERROR"},
  });
}

TEST(ExpressionTest, DeepNesting) {
  const auto nested = [](int depth) {
    return std::string(depth, '(') + "\"a\" = \"a\"" + std::string(depth, ')');
  };
  EXPECT_EQ(evaluate_expression(nested(200)), "TRUE");
  EXPECT_EQ(evaluate_expression(nested(200) + " and " + nested(200)), "TRUE");
  // Far beyond any real script: must give an answer, not exhaust the stack.
  EXPECT_EQ(evaluate_expression(nested(200000)), "ERROR");
  EXPECT_EQ(evaluate_expression(std::string(200000, '(')), "ERROR");
}

TEST(ExpressionTest, LongChains) {
  std::string all_equal = "\"x\" = \"x\"";
  for (int i = 0; i < 5000; ++i) all_equal += " and \"x\" = \"x\"";
  EXPECT_EQ(evaluate_expression(all_equal), "TRUE");
  EXPECT_EQ(evaluate_expression(all_equal + " and \"x\" = \"y\""), "FALSE");
  EXPECT_EQ(evaluate_expression(all_equal + " and \"x\" = \"y\" or \"z\" = \"z\""), "TRUE");
  const std::string long_text(100000, 'q');
  EXPECT_EQ(evaluate_expression("\"" + long_text + "\" = \"" + long_text + "\""), "TRUE");
}

}  // namespace
}  // namespace qm
