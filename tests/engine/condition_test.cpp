#include "engine_fixture.h"

namespace ml::test {
namespace {

using ConditionTest = EngineTest;

TEST_F(ConditionTest, TrueConditionRunsTheBlockAndTheBraceIsConsumed) {
  load("[F1=0]{\r\nF10=1\r\n}\r\nF11=1\r\n");
  run();
  EXPECT_EQ(state().flags[10], 1);
  EXPECT_EQ(state().flags[11], 1);
  EXPECT_TRUE(errors().empty());
}

TEST_F(ConditionTest, FalseConditionSkipsNestedBlocksAndCommentedBraces) {
  state().flags[1] = 1;
  load(
      "[F1=0]\r\n"
      "; a comment with a stray } brace\r\n"
      "{\r\n"
      "  F10=1\r\n"
      "  [F2=0]{ F11=1 }\r\n"
      "  ; { another\r\n"
      "  ソ\r\n"  // trail byte 0x5C, never a brace
      "}\r\n"
      "F12=1\r\n");
  run();
  EXPECT_EQ(state().flags[10], 0);
  EXPECT_EQ(state().flags[11], 0);
  EXPECT_EQ(state().flags[12], 1);
  EXPECT_TRUE(errors().empty());
}

TEST_F(ConditionTest, LogicOperatorsAndComparisons) {
  struct Case {
    const char* condition;
    bool expected;
  };
  state().flags[1] = 1;
  state().flags[2] = 0;
  state().flags[3] = 5;
  state().var('A') = -2;
  const Case cases[] = {
      {"[F1=1&F2=0]", true},  {"[F1=1&F2=1]", false}, {"[F1=0|F2=0]", true},
      {"[F1=0|F2=1]", false}, {"[5]", false},         {"[F1]", false},
      {"[F3>4]", true},       {"[F3<5]", false},      {"[F3<=5]", true},
      {"[F3>=6]", false},     {"[F3!5]", false},      {"[F3!4]", true},
      {"[A<0]", true},        {"[F1!=1]", true},  // "!" then "=": "=" stays pending
  };
  for (const Case& c : cases) {
    state().flags[100] = 0;
    reporter.entries.clear();
    load(std::string(c.condition) + "{ F100=1 }\r\n");
    run();
    EXPECT_EQ(state().flags[100], c.expected ? 1 : 0) << c.condition;
    EXPECT_TRUE(errors().empty()) << c.condition;
  }
}

TEST_F(ConditionTest, BlanksInsideAreReportedAndIgnored) {
  state().flags[1] = 1;
  load("[F1 = 1]{ F100=1 }\r\n");
  run();
  EXPECT_EQ(state().flags[100], 1);
  auto e = errors();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(u(e[0].message), "余分なスペースが入っている");
}

TEST_F(ConditionTest, DefinedFlagNamesAndBadCharacters) {
  load("define 好感度 F120\r\n[好感度=3]{ F100=1 }\r\n");
  state().flags[120] = 3;
  run();
  EXPECT_EQ(state().flags[100], 1);
  load("[f1=3]{ F100=1 }\r\n");
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(u(errors().back().message), "不正な文字");
}

TEST_F(ConditionTest, MalformedConditionsEndTheLoop) {
  struct Case {
    const char* script;
    const char* message;
  };
  const Case cases[] = {
      {"[F1=0]\r\nテキスト\r\n", "複文が開始されていない"},
      {"[F1=]{}\r\n", "演算が途中で終わっている"},
      {"[F1=1]{\r\n", "スクリプトの終わりになった"},  // F1 is 0: the block never closes
      {"[F1=0", "スクリプトの終わりになった"},
      {"[F1=1]}", "括弧が閉じていない"},
      {"[F5000=0]{}", "フラグの範囲を超えている"},
  };
  for (const Case& c : cases) {
    reporter.entries.clear();
    load(c.script);
    EXPECT_EQ(run(), 0) << c.script;
    auto e = errors();
    ASSERT_FALSE(e.empty()) << c.script;
    EXPECT_EQ(u(e.back().message), c.message) << c.script;
  }
}

TEST_F(ConditionTest, TrueConditionAtTheEndOfTheTextReportsTheEndAndTheMissingBlock) {
  load("[F1=0] ; nothing follows\r\n");
  EXPECT_EQ(run(), 0);
  auto e = errors();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(u(e[0].message), "スクリプトの終わりになった");
  EXPECT_EQ(u(e[1].message), "複文が開始されていない");
}

TEST_F(ConditionTest, LineBreakInsideTheConditionIsReported) {
  state().flags[1] = 1;
  load("[F1=1\r\n]{ F100=1 }\r\n");
  EXPECT_EQ(sc().step(), 1);
  EXPECT_EQ(sc().lineNumber, 2);
  run();
  EXPECT_EQ(state().flags[100], 1);
  auto e = errors();
  ASSERT_EQ(e.size(), 2u);  // the CR and the LF
  EXPECT_EQ(u(e[0].message), "改行で終わっている");
}

}  // namespace
}  // namespace ml::test
