#include "engine/poll.h"
#include "engine_fixture.h"

namespace ml::test {
namespace {

class RecordingShell : public ShellHooks {
 public:
  void autoModeChanged(bool on) override { autoCalls += on ? "A" : "a"; }
  void skipModeChanged(bool on) override { skipCalls += on ? "S" : "s"; }
  void refreshSaveMenus(bool enable) override { menus += enable ? "E" : "d"; }
  std::string autoCalls, skipCalls, menus;
};

using PollTest = EngineTest;

TEST_F(PollTest, PollCopiesTheMouseAndFollowsTheControlKey) {
  rt->story.input.mouseX = 120;
  rt->story.input.mouseY = 340;
  rt->story.input.press(InputLogBack | InputLogForward | InputDecide);
  platform.setCtrlHeld(true);
  ASSERT_TRUE(poll(sc()));
  EXPECT_EQ(sc().mouseX, 120);
  EXPECT_EQ(sc().mouseY, 340);
  EXPECT_TRUE(rt->story.input.isHeld(InputSkip));
  EXPECT_TRUE(rt->story.input.isPressed(InputSkip));
  EXPECT_FALSE(rt->story.input.isHeld(InputLogBack | InputLogForward));
  EXPECT_TRUE(rt->story.input.isHeld(InputDecide));

  // Inactive window: no mouse, no Ctrl.
  platform.setActive(false);
  ASSERT_TRUE(poll(sc()));
  EXPECT_EQ(sc().mouseX, -1);
  EXPECT_EQ(sc().mouseY, -1);
  EXPECT_FALSE(rt->story.input.isHeld(InputSkip));
  // System/NoActive keeps the mouse.
  rt->media.settings.system.noActive = true;
  ASSERT_TRUE(poll(sc()));
  EXPECT_EQ(sc().mouseX, 120);
}

TEST_F(PollTest, PollReportsClosingAfterProcessingMessages) {
  platform.setMessageHook([this](HeadlessPlatform&, InputSink*) { rt->requests().quitRequested = true; });
  EXPECT_FALSE(poll(sc()));
}

TEST_F(PollTest, PresentShowsFramesOnlyWhileTheWindowCounts) {
  ASSERT_TRUE(present(sc()));
  EXPECT_EQ(platform.presentedFrames(), 1u);
  platform.setActive(false);
  ASSERT_TRUE(present(sc()));
  EXPECT_EQ(platform.presentedFrames(), 1u);
  rt->media.settings.system.noActive = true;
  ASSERT_TRUE(present(sc()));
  EXPECT_EQ(platform.presentedFrames(), 2u);
}

TEST_F(PollTest, PollWithMenusHandlesQuitTitleAndFontRequests) {
  RecordingShell shell;
  ShellHooks* saved = rt->shell;
  rt->shell = &shell;
  rt->requests().fontChanged = true;
  EXPECT_FALSE(pollWithMenus(sc(), true, false));
  EXPECT_TRUE(rt->requests().fontChanged);
  EXPECT_EQ(platform.presentedFrames(), 1u);
  EXPECT_FALSE(pollWithMenus(sc(), false, true));
  EXPECT_FALSE(rt->requests().fontChanged);
  EXPECT_EQ(platform.presentedFrames(), 1u);

  rt->requests().titleRequested = true;
  rt->story.switches.autoMode = true;
  state().backgroundEffectMode() = 2;
  EXPECT_TRUE(pollWithMenus(sc(), false, true));
  EXPECT_FALSE(rt->story.switches.autoMode);
  EXPECT_EQ(state().backgroundEffectMode(), 0);
  EXPECT_EQ(shell.menus, "d");
  EXPECT_TRUE(rt->requests().titleRequested);  // the frame loop consumes it

  rt->requests().quitRequested = true;
  std::uint64_t frames = platform.presentedFrames();
  EXPECT_TRUE(pollWithMenus(sc(), true, true));
  EXPECT_EQ(platform.presentedFrames(), frames);
  rt->shell = saved;
}

TEST_F(PollTest, ClickCheckConsumesTheClickAndEndsTheModes) {
  RecordingShell shell;
  ShellHooks* saved = rt->shell;
  rt->shell = &shell;
  EXPECT_FALSE(clickCheck(sc()));
  setAutoMode(*rt, true);
  setSkipMode(*rt, true);
  rt->story.input.press(InputDecide | InputUp);
  EXPECT_FALSE(clickCheck(sc()));  // clicks do not cancel effects by default
  EXPECT_EQ(rt->story.input.pressed, 0u);
  EXPECT_FALSE(autoMode(*rt));
  EXPECT_FALSE(skipMode(*rt));
  EXPECT_EQ(shell.autoCalls, "Aa");
  EXPECT_EQ(shell.skipCalls, "Ss");
  rt->media.settings.effect.clickCancel = true;
  rt->story.input.press(InputDecide);
  EXPECT_TRUE(clickCheck(sc()));
  rt->shell = saved;
}

TEST_F(PollTest, EndFastForwardOnlyActsDuringAJump) {
  endFastForward(sc());
  EXPECT_FALSE(sc().fastForward);
  sc().fastForward = true;
  endFastForward(sc());
  EXPECT_FALSE(sc().fastForward);
}

TEST_F(PollTest, ReadRateLineCountsReadMarks) {
  rt->media.readStatus.isRead("scr\\a.scr", 0, true);
  rt->media.readStatus.resetScript("scr\\a.scr");
  rt->media.readStatus.registerVoice("scr\\a.scr", 0, 10);
  rt->media.readStatus.isRead("scr\\a.scr", 0, true);
  EXPECT_EQ(sjisToUtf8(readRateText(rt->media.readStatus)), "既読率 1/2667");
}

}  // namespace
}  // namespace ml::test
