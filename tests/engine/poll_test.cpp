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
  rt->window.mouseX = 120;
  rt->window.mouseY = 340;
  rt->input.press(InputLogBack | InputLogForward | InputDecide);
  platform.setCtrlHeld(true);
  ASSERT_TRUE(poll(sc()));
  EXPECT_EQ(sc().mouseX, 120);
  EXPECT_EQ(sc().mouseY, 340);
  EXPECT_TRUE(rt->input.isHeld(InputSkip));
  EXPECT_TRUE(rt->input.isPressed(InputSkip));
  EXPECT_FALSE(rt->input.isHeld(InputLogBack | InputLogForward));
  EXPECT_TRUE(rt->input.isHeld(InputDecide));

  // Inactive window: no mouse, no Ctrl.
  platform.setActive(false);
  ASSERT_TRUE(poll(sc()));
  EXPECT_EQ(sc().mouseX, -1);
  EXPECT_EQ(sc().mouseY, -1);
  EXPECT_FALSE(rt->input.isHeld(InputSkip));
  // System/NoActive keeps the mouse.
  rt->settings.system.noActive = true;
  ASSERT_TRUE(poll(sc()));
  EXPECT_EQ(sc().mouseX, 120);
}

TEST_F(PollTest, PollReportsClosingAfterProcessingMessages) {
  platform.setMessageHook([this](HeadlessPlatform&, InputSink*) { rt->window.quitRequested = true; });
  EXPECT_FALSE(poll(sc()));
}

TEST_F(PollTest, PresentShowsFramesOnlyWhileTheWindowCounts) {
  ASSERT_TRUE(present(sc()));
  EXPECT_EQ(platform.presentedFrames(), 1u);
  platform.setActive(false);
  ASSERT_TRUE(present(sc()));
  EXPECT_EQ(platform.presentedFrames(), 1u);
  rt->settings.system.noActive = true;
  ASSERT_TRUE(present(sc()));
  EXPECT_EQ(platform.presentedFrames(), 2u);
}

TEST_F(PollTest, PollWithMenusHandlesQuitTitleAndFontRequests) {
  RecordingShell shell;
  ShellHooks* saved = rt->shell;
  rt->shell = &shell;
  rt->window.fontChanged = true;
  EXPECT_FALSE(pollWithMenus(sc(), true, false));
  EXPECT_TRUE(rt->window.fontChanged);
  EXPECT_EQ(platform.presentedFrames(), 1u);
  EXPECT_FALSE(pollWithMenus(sc(), false, true));
  EXPECT_FALSE(rt->window.fontChanged);
  EXPECT_EQ(platform.presentedFrames(), 1u);

  rt->window.titleRequested = true;
  rt->switches.autoMode = true;
  state().backgroundEffectMode() = 2;
  EXPECT_TRUE(pollWithMenus(sc(), false, true));
  EXPECT_FALSE(rt->switches.autoMode);
  EXPECT_EQ(state().backgroundEffectMode(), 0);
  EXPECT_EQ(shell.menus, "d");
  EXPECT_TRUE(rt->window.titleRequested);  // the frame loop consumes it

  rt->window.quitRequested = true;
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
  rt->input.press(InputDecide | InputUp);
  EXPECT_FALSE(clickCheck(sc()));  // clicks do not cancel effects by default
  EXPECT_EQ(rt->input.pressed, 0u);
  EXPECT_FALSE(autoMode(*rt));
  EXPECT_FALSE(skipMode(*rt));
  EXPECT_EQ(shell.autoCalls, "Aa");
  EXPECT_EQ(shell.skipCalls, "Ss");
  rt->settings.effect.clickCancel = true;
  rt->input.press(InputDecide);
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
  rt->readStatus.isRead("scr\\a.scr", 0, true);
  rt->readStatus.resetScript("scr\\a.scr");
  rt->readStatus.registerVoice("scr\\a.scr", 0, 10);
  rt->readStatus.isRead("scr\\a.scr", 0, true);
  EXPECT_EQ(sjisToUtf8(readRateText(*rt)), "既読率 1/2667");
}

}  // namespace
}  // namespace ml::test
