#include <climits>

#include "engine_fixture.h"

namespace ml::test {
namespace {

using ExpressionTest = EngineTest;

TEST_F(ExpressionTest, StrictlyLeftToRightWithoutPrecedence) {
  auto& s = sc();
  EXPECT_EQ(s.evaluate("2+3*4"), 20);
  EXPECT_EQ(s.evaluate("10-4-3"), 3);
  EXPECT_EQ(s.evaluate("7/2"), 3);
  EXPECT_EQ(s.evaluate("-7/2"), -3);  // a leading minus subtracts from 0; truncation
  EXPECT_EQ(s.evaluate("12&10|1"), 9);
  EXPECT_EQ(s.evaluate("6^3"), 5);
  EXPECT_EQ(s.evaluate("5+*2"), 10);  // an operator after another replaces it
  EXPECT_EQ(s.evaluate(""), 0);
  EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(ExpressionTest, ArithmeticWrapsAt32Bits) {
  auto& s = sc();
  EXPECT_EQ(s.evaluate("2147483647+1"), INT_MIN);
  EXPECT_EQ(s.evaluate("65536*65536"), 0);
  EXPECT_EQ(s.evaluate("4294967297"), 1);  // the number itself wraps as it is read
  state().var('A') = INT_MIN;
  EXPECT_EQ(s.evaluate("A-1"), INT_MAX);
  // The one quotient that overflows wraps instead of trapping.
  state().var('B') = -1;
  EXPECT_EQ(s.evaluate("A/B"), INT_MIN);
  EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(ExpressionTest, FlagsAndVariables) {
  auto& s = sc();
  state().flags[5] = 200;
  state().flags[2047] = 9;
  state().var('C') = -40;
  EXPECT_EQ(s.evaluate("F5+1"), 201);
  EXPECT_EQ(s.evaluate("F2047"), 9);
  EXPECT_EQ(s.evaluate("C*2"), -80);
  EXPECT_EQ(s.evaluate("CAT+1"), -39);  // further letters are ignored
  EXPECT_EQ(s.evaluate("FOO"), 0);      // "F" without a digit is variable F
  EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(ExpressionTest, ErrorsReportAndYieldTheLowestValue) {
  auto& s = sc();
  EXPECT_EQ(s.evaluate("F2048"), INT_MIN);
  EXPECT_EQ(s.evaluate("F99999999999"), INT_MIN);  // no wrap into the flag range
  EXPECT_EQ(s.evaluate("1+"), INT_MIN);
  EXPECT_EQ(s.evaluate("1 + 2"), INT_MIN);
  EXPECT_EQ(s.evaluate("a"), INT_MIN);
  ASSERT_EQ(reporter.entries.size(), 5u);
  EXPECT_EQ(u(reporter.entries[0].message), "フラグの範囲を超えている");
  EXPECT_EQ(reporter.entries[0].detail, "F2048");
  EXPECT_EQ(u(reporter.entries[2].message), "パラメータが不正");
  EXPECT_EQ(reporter.entries[2].detail, "1+");
}

TEST_F(ExpressionTest, DivisionByZeroIsAnInvalidParameter) {
  auto& s = sc();
  EXPECT_EQ(s.evaluate("5/0"), INT_MIN);
  EXPECT_EQ(s.evaluate("5/F9"), INT_MIN);
  ASSERT_EQ(reporter.entries.size(), 2u);
  EXPECT_EQ(u(reporter.entries[0].message), "パラメータが不正");
  EXPECT_EQ(reporter.entries[0].detail, "5/0");
}

}  // namespace
}  // namespace ml::test
