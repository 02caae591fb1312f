#include <climits>

#include "engine_fixture.h"

namespace ml::test {
namespace {

using AssignmentTest = EngineTest;

TEST_F(AssignmentTest, FlagsAreClampedAndVariablesAreNot) {
  state().flags[1] = 255;
  load("F10=300 F11=-5 F12=F1 A=F1+1 B=2147483647+1 Z=3\r\n");
  run();
  EXPECT_EQ(state().flags[10], 255);
  EXPECT_EQ(state().flags[11], 0);
  EXPECT_EQ(state().flags[12], 255);
  EXPECT_EQ(state().var('A'), 256);
  EXPECT_EQ(state().var('B'), INT_MIN);
  EXPECT_EQ(state().var('Z'), 3);
  EXPECT_TRUE(errors().empty());
}

TEST_F(AssignmentTest, TargetIndexIsAnExpression) {
  load("F1+2=7 F2047=1\r\n");
  run();
  EXPECT_EQ(state().flags[3], 7);
  EXPECT_EQ(state().autoReturnOff(), 1);
}

TEST_F(AssignmentTest, OutOfRangeTargetEndsTheLoop) {
  load("F2048=1\r\nF1=1\r\n");
  EXPECT_EQ(run(), 0);
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(u(errors()[0].message), "フラグの範囲を超えている");
  EXPECT_EQ(errors()[0].detail, "F2048");
  EXPECT_EQ(state().flags[1], 0);
}

TEST_F(AssignmentTest, BadExpressionStoresZeroIntoAFlag) {
  state().flags[4] = 9;
  state().var('D') = 9;
  load("F4=1+ D=x\r\n");
  run();
  EXPECT_EQ(state().flags[4], 0);
  EXPECT_EQ(state().var('D'), INT_MIN);
  EXPECT_EQ(errors().size(), 2u);
}

TEST_F(AssignmentTest, BlanksAroundTheEqualsSignMakeThreeWords) {
  load("F1 = 1\r\n");
  EXPECT_EQ(run(), 0);
  auto e = errors();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(u(e[0].message), "未定義のコマンド");
  EXPECT_EQ(e[0].detail, "F1");
  EXPECT_EQ(u(e[1].message), "代入できない");
  EXPECT_EQ(e[1].detail, "");
}

TEST_F(AssignmentTest, DefinedNamesAreSubstitutedPieceByPiece) {
  load("define 好感度 F120\r\ndefine 加算 5\r\n好感度=好感度+加算 F121=好感度*2\r\n");
  state().flags[120] = 10;
  run();
  EXPECT_EQ(state().flags[120], 15);
  EXPECT_EQ(state().flags[121], 30);
  EXPECT_TRUE(errors().empty());
}

TEST_F(AssignmentTest, LowercaseTargetCannotBeAssigned) {
  load("x=1\r\n");
  EXPECT_EQ(run(), 0);
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(u(errors()[0].message), "代入できない");
  EXPECT_EQ(errors()[0].detail, "x");
}

}  // namespace
}  // namespace ml::test
