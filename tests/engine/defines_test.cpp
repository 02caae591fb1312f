#include <string>

#include "engine/define_table.h"
#include "engine/random.h"
#include "engine_fixture.h"

namespace ml::test {
namespace {

TEST(DefineTableTest, ReplacesExistingNamesAndStopsAtItsCapacity) {
  DefineTable t;
  EXPECT_TRUE(t.add("a", "1"));
  EXPECT_TRUE(t.add("a", "2"));
  EXPECT_EQ(t.count(), 1u);
  EXPECT_EQ(*t.find("a", true), "2");
  EXPECT_EQ(t.find("A", true), nullptr);
  EXPECT_EQ(*t.find("A", false), "2");
  for (int i = 1; i < 1000; ++i) ASSERT_TRUE(t.add("n" + std::to_string(i), "v"));
  EXPECT_EQ(t.count(), 1000u);
  EXPECT_FALSE(t.add("new", "x"));
  // Once full, even a redefinition fails and the old value stays.
  EXPECT_FALSE(t.add("a", "3"));
  EXPECT_EQ(*t.find("a", true), "2");
}

TEST(RandomTest, SequenceOfTheLinearCongruentialGenerator) {
  Random r;
  r.seed(0);
  // state 1: high bits 0; state 22695478: still below 2^32.
  EXPECT_EQ(r.next31(), 0u);
  EXPECT_EQ(r.next31(), 0u);
  r.seed(12345);
  std::uint64_t s = 12345;
  for (int i = 0; i < 100; ++i) {
    s = s * 22695477ULL + 1ULL;
    ASSERT_EQ(r.next31(), static_cast<std::uint32_t>(s >> 32) & 0x7FFFFFFFu);
  }
}

using DefineCommandsTest = EngineTest;

TEST_F(DefineCommandsTest, FullTableIsReported) {
  std::string script;
  for (int i = 0; i < 1001; ++i) script += "define n" + std::to_string(i) + " v\r\n";
  load(script);
  run(5000);
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(u(errors()[0].message), "これ以上登録できない");
  EXPECT_EQ(rt->story.defines.count(), 1000u);
}

TEST_F(DefineCommandsTest, RandomDrawsFromTheSharedGenerator) {
  rt->story.random.seed(777);
  Random expected;
  expected.seed(777);
  load("random 10\r\nA=R\r\nrandom 0\r\nrandom F1\r\n");
  sc().step();
  EXPECT_EQ(state().var('R'), static_cast<int>(expected.next31() % 10));
  sc().step();
  sc().step();
  EXPECT_EQ(state().var('R'), 0);
  sc().step();  // F1 is 0 too
  EXPECT_EQ(state().var('R'), 0);
  // random 0 draws nothing: the next number is the one after the first draw.
  EXPECT_EQ(rt->story.random.next31(), expected.next31());
}

TEST_F(DefineCommandsTest, ParamCalcOrdersByWeightedScore) {
  load("param_calc\r\n");
  run();
  EXPECT_EQ(state().flags[0], 1);  // all zero: lower ids win ties
  EXPECT_EQ(state().flags[1], 2);

  // Scores: 10*1000/30=333, 10*1000/28=357, 9*1000/30=300, 11*1000/32=343, 6*1000/16=375.
  state().flags[771] = 10;
  state().flags[772] = 10;
  state().flags[773] = 9;
  state().flags[774] = 11;
  state().flags[775] = 6;
  load("param_calc\r\n");
  run();
  EXPECT_EQ(state().flags[0], 5);
  EXPECT_EQ(state().flags[1], 2);
}

TEST_F(DefineCommandsTest, SetFfAndMacroConsumeOneArgument) {
  load("set_ff 12 macro name F1=4\r\n");
  run();
  EXPECT_EQ(state().flags[1], 4);
  EXPECT_TRUE(errors().empty());
}

TEST_F(DefineCommandsTest, PictureFlagsMarkEventPicturesInTheGame) {
  load("def_cg E01 1100\r\ndef_cg bg01 1101\r\ndef_cg e02 99999\r\n");
  run();
  sc().markPictureFlag("e01");  // case is ignored
  sc().markPictureFlag("bg01");  // only names beginning with "e"
  sc().markPictureFlag("e02");   // a number outside the flags is ignored
  sc().markPictureFlag("e03");
  EXPECT_EQ(state().flags[1100], 1);
  EXPECT_EQ(state().flags[1101], 0);
  // Not in a recollection.
  state().flags[1100] = 0;
  sc().mainGame = false;
  sc().markPictureFlag("E01");
  EXPECT_EQ(state().flags[1100], 0);
}

}  // namespace
}  // namespace ml::test
