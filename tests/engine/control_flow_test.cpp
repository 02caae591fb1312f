#include <cstring>

#include "engine_fixture.h"

namespace ml::test {
namespace {

using ControlFlowTest = EngineTest;

TEST_F(ControlFlowTest, GotoFindsLabelsAnywhereAndContinuesAfterThem) {
  load(
      "goto @target\r\n"
      "F1=1\r\n"
      "; comment @target F2=1\r\n"
      "F3=1\r\n");
  run();
  EXPECT_EQ(state().flags[1], 0);
  EXPECT_EQ(state().flags[2], 1);  // the rest of the comment line is read as words
  EXPECT_EQ(state().flags[3], 1);
  EXPECT_TRUE(errors().empty());
}

TEST_F(ControlFlowTest, ForwardJumpsPassOverTheArgumentsOfOtherJumps) {
  load(
      "F1=1 goto @end\r\n"
      "F2=1\r\n"
      "goto @end\r\n"
      "F3=1\r\n"
      "@end F4=1\r\n");
  run();
  EXPECT_EQ(state().flags[2], 0);
  EXPECT_EQ(state().flags[3], 0);
  EXPECT_EQ(state().flags[4], 1);
  EXPECT_TRUE(errors().empty());
}

TEST_F(ControlFlowTest, GotoComparesWholeLabelsAndRecountsLines) {
  load(
      "goto @a\r\n"
      "@ab F1=1\r\n"
      "\r\n"
      "@a F2=1\r\n");
  sc().step();
  EXPECT_EQ(sc().lineNumber, 4);
  run();
  EXPECT_EQ(state().flags[1], 0);
  EXPECT_EQ(state().flags[2], 1);
}

TEST_F(ControlFlowTest, GotoWithoutAtSignOrMissingLabelEndsTheLoop) {
  load("goto target\r\n@target\r\n");
  EXPECT_EQ(run(), 0);
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(u(errors()[0].message), "ラベルが見つからない");
  EXPECT_EQ(errors()[0].detail, "target");
}

TEST_F(ControlFlowTest, GotoFindsALabelAtTheVeryEndOfTheText) {
  load("goto @end\r\nF1=1\r\n@end");
  EXPECT_EQ(sc().step(), 1);
  EXPECT_TRUE(errors().empty());
  run();
  EXPECT_EQ(state().flags[1], 0);
}

TEST_F(ControlFlowTest, LabelReachedSequentiallyIsAnUndefinedCommand) {
  load("@label F1=1\r\n");
  run();
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(u(errors()[0].message), "未定義のコマンド");
  EXPECT_EQ(state().flags[1], 1);
}

TEST_F(ControlFlowTest, ChangeLoadsTheNextScriptKeepingTheState) {
  writeScript("next", "F2=F1+1\r\n");
  load("F1=5 change next F3=1\r\n");
  run();
  EXPECT_STREQ(state().scriptName, "next");
  EXPECT_STREQ(sc().scriptPath, "scr\\next.scr");
  EXPECT_EQ(state().flags[2], 6);
  EXPECT_EQ(state().flags[3], 0);
  EXPECT_TRUE(errors().empty());
}

TEST_F(ControlFlowTest, ChangeToAMissingScriptStaysInTheCurrentOne) {
  load("change nowhere F3=1\r\n");
  run();
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(u(errors()[0].message), "ファイルが存在しない");
  EXPECT_EQ(errors()[0].detail, "scr\\nowhere.scr");
  EXPECT_EQ(state().flags[3], 1);
  EXPECT_STREQ(state().scriptName, "open");
}

TEST_F(ControlFlowTest, ChangeToAnEmptyScriptFailsTheLoad) {
  writeFile("scr/empty.scr", "");
  load("change empty\r\n");
  EXPECT_EQ(run(), 0);
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(u(errors()[0].message), "サイズがおかしい");
}

TEST_F(ControlFlowTest, RecollectionEndsAtChangeAndKaisouEnd) {
  writeScript("next", "F2=1 change other\r\n");
  load("change_kaisou next\r\n");
  sc().mainGame = false;
  sc().fastForward = true;
  run();
  EXPECT_EQ(state().flags[2], 1);
  EXPECT_FALSE(sc().mainGame);  // change_kaisou keeps the recollection going
  EXPECT_FALSE(sc().fastForward);
  EXPECT_STREQ(sc().scriptPath, "scr\\next.scr");  // change ended it before loading

  load("kaisou_end F4=1\r\n");
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(state().flags[4], 1);
  load("kaisou_end F5=1\r\n");
  sc().mainGame = false;
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(state().flags[5], 0);
}

TEST_F(ControlFlowTest, TitleResetsEngineSettingsAndReloadsTheOpeningScript) {
  writeScript("open", "F6=1\r\n");
  state().flags[2043] = 3;
  state().flags[2034] = 0;
  state().flags[2037] = 10;
  state().flags[2039] = 10;
  state().readTrackingOff() = 1;
  state().flags[2044] = 4;
  rt->story.switches.autoMode = true;
  rt->story.switches.skipMode = true;
  load("title F7=1\r\n");
  run();
  EXPECT_EQ(state().flags[2043], 0);
  EXPECT_EQ(state().flags[2034], 255);
  EXPECT_EQ(state().flags[2037], 0);
  EXPECT_EQ(state().flags[2039], 0);
  EXPECT_EQ(state().readTrackingOff(), 0);
  EXPECT_EQ(state().flags[2044], 4);
  EXPECT_FALSE(rt->story.switches.autoMode);
  EXPECT_FALSE(rt->story.switches.skipMode);
  EXPECT_EQ(state().flags[6], 1);
  EXPECT_EQ(state().flags[7], 0);
  EXPECT_STREQ(sc().scriptPath, "scr\\open.scr");
}

TEST_F(ControlFlowTest, TitleWithoutOpeningScriptOrInsideRecollection) {
  load("title\r\n");
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(u(errors().back().message), "オープンできません");
  reporter.entries.clear();
  load("title F1=1\r\n");
  sc().mainGame = false;
  EXPECT_EQ(run(), 1);
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(u(errors()[0].message), "Ｔｏｐスクリプトでは無いので title コマンドは使えません");
  EXPECT_EQ(state().flags[1], 1);
}

TEST_F(ControlFlowTest, WaitDurationsRunOnTheVirtualClock) {
  struct Case {
    const char* command;
    std::uint32_t ms;
  };
  state().flags[5] = 3;
  const Case cases[] = {
      {"wait 1.5", 1500}, {"wait 2", 2000}, {"sleep F5", 3000}, {"wait 0.25", 250},
      {"wait 0", 10},     {"sleep -1", 10}, {"wait 1+1", 2000}, {"wait 0.3", 300},
  };
  for (const Case& c : cases) {
    load(std::string(c.command) + "\r\n");
    std::uint32_t start = platform.ticks();
    EXPECT_EQ(sc().step(), 1) << c.command;
    EXPECT_EQ(platform.ticks() - start, c.ms) << c.command;
  }
  EXPECT_TRUE(errors().empty());
}

TEST_F(ControlFlowTest, CommaInADurationIsReported) {
  load("wait 1,5\r\n");
  std::uint32_t start = platform.ticks();
  sc().step();
  auto e = errors();
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(u(e[0].message), "不正な文字があります");
  EXPECT_EQ(e[0].detail, "1,5");
  EXPECT_EQ(platform.ticks() - start, 1000u);  // the operand ends up as its leading 1
  load("wait x\r\n");
  start = platform.ticks();
  sc().step();
  EXPECT_EQ(u(errors().back().message), "パラメータが不正");
  EXPECT_EQ(platform.ticks() - start, 10u);  // a malformed duration runs the loop once
}

TEST_F(ControlFlowTest, WaitEndsOnSkipInputsButSleepDoesNot) {
  // A click 200 ms into the wait: it always ends auto mode, and ends the wait only
  // when clicks cancel effects.
  std::uint32_t clickAt = 200;
  platform.setMessageHook([this, &clickAt](HeadlessPlatform& p, InputSink*) {
    if (p.ticks() == clickAt) rt->story.input.press(InputDecide);
  });
  rt->story.switches.autoMode = true;
  load("wait 1\r\n");
  std::uint32_t start = platform.ticks();
  sc().step();
  EXPECT_EQ(platform.ticks() - start, 1000u);
  EXPECT_FALSE(rt->story.input.isPressed(InputDecide));  // consumed by the click check
  EXPECT_FALSE(rt->story.switches.autoMode);

  rt->media.settings.effect.clickCancel = true;
  clickAt = platform.ticks() + 200;
  load("wait 1\r\n");
  start = platform.ticks();
  sc().step();
  EXPECT_EQ(platform.ticks() - start, 200u);

  // sleep ignores skip mode and Ctrl.
  platform.setMessageHook(nullptr);
  rt->story.switches.skipMode = true;
  platform.setCtrlHeld(true);
  load("sleep 1\r\n");
  start = platform.ticks();
  sc().step();
  EXPECT_EQ(platform.ticks() - start, 1000u);

  // wait stops at once: no frame is presented.
  load("wait 1\r\n");
  start = platform.ticks();
  sc().step();
  EXPECT_EQ(platform.ticks() - start, 0u);
  platform.setCtrlHeld(false);
  load("wait 1\r\n");
  sc().step();
  EXPECT_EQ(platform.ticks() - start, 0u);

  rt->story.switches.skipMode = false;
  rt->story.switches.autoMode = true;
  load("wait 1\r\n");
  sc().step();
  EXPECT_EQ(platform.ticks() - start, 1000u);  // auto mode alone does not cut it
  rt->media.settings.skip.effect = true;
  load("wait 1\r\n");
  sc().step();
  EXPECT_EQ(platform.ticks() - start, 1000u);
}

TEST_F(ControlFlowTest, WaitHonoursWaitCancelAndFastForward) {
  rt->media.settings.effect.waitCancel = true;
  load("wait 5 sleep 1\r\n");
  std::uint32_t start = platform.ticks();
  sc().step();
  EXPECT_EQ(platform.ticks() - start, 0u);
  sc().step();
  EXPECT_EQ(platform.ticks() - start, 1000u);  // sleep is not cancelled

  rt->media.settings.effect.waitCancel = false;
  load("wait 5 sleep 1\r\n");
  sc().fastForward = true;
  start = platform.ticks();
  sc().step();
  EXPECT_EQ(platform.ticks() - start, 0u);
  EXPECT_TRUE(sc().fastForward);
  sc().step();  // sleep ends the jump, then sleeps
  EXPECT_FALSE(sc().fastForward);
  EXPECT_EQ(platform.ticks() - start, 1000u);
}

TEST_F(ControlFlowTest, WaitEndsOnQuitAndTitleRequests) {
  platform.setMessageHook([this](HeadlessPlatform& p, InputSink*) {
    if (p.ticks() >= 300) rt->requests().titleRequested = true;
  });
  load("wait 2\r\n");
  std::uint32_t start = platform.ticks();
  EXPECT_EQ(sc().step(), 1);
  EXPECT_EQ(platform.ticks() - start, 300u);

  rt->requests().titleRequested = false;
  platform.setMessageHook([this](HeadlessPlatform& p, InputSink*) {
    if (p.ticks() >= 700) rt->requests().quitRequested = true;
  });
  load("sleep 2\r\n");
  EXPECT_EQ(sc().step(), 0);
  EXPECT_EQ(platform.ticks(), 700u);
  load("sleep 2\r\n");
  EXPECT_EQ(sc().step(), 1);  // already quitting: the loop stops before polling
}

TEST_F(ControlFlowTest, BreakStopsModesAndReports) {
  rt->story.switches.autoMode = true;
  sc().fastForward = true;
  load("break F1=1\r\n");
  run();
  EXPECT_FALSE(rt->story.switches.autoMode);
  EXPECT_FALSE(sc().fastForward);
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(u(errors()[0].message), "break コマンドにより停止しました");
  EXPECT_EQ(state().flags[1], 1);
}

TEST_F(ControlFlowTest, NameCheckComparesTheGivenName) {
  load("name_check\r\n");
  run();
  EXPECT_EQ(state().var('V'), 1);
  rt->media.settings.user.name = utf8ToSjis("ヨルクス");
  load("name_check\r\n");
  run();
  EXPECT_EQ(state().var('V'), 0);
}

TEST_F(ControlFlowTest, AutoReturnSwitchesFlag2047) {
  load("auto_ret_off\r\n");
  run();
  EXPECT_EQ(state().autoReturnOff(), 1);
  load("auto_ret_on\r\n");
  run();
  EXPECT_EQ(state().autoReturnOff(), 0);
}

}  // namespace
}  // namespace ml::test
