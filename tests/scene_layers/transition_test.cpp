// The transition engine: level ramps frame by frame, the stop test, cross-fades,
// mosaic and scroll-outs, checked on the layers and on the frames shown.
#include "engine/poll.h"
#include "media/gfx/pixel_ops.h"
#include "scene/transition.h"
#include "scene_fixture.h"

namespace ml::test {
namespace {

using TransitionTest = SceneTest;

TEST_F(TransitionTest, FadeInShowsEveryStepThenTheFullPicture) {
  speed(0);  // step 128
  picture("bg", 200, 100, 40);
  std::vector<int> levels;
  std::vector<std::uint32_t> shown;
  platform.onPresent = [&] {
    levels.push_back(layer(0).fade());
    shown.push_back(shownPixel(400, 300));
  };
  runScript("bg bg FADE_IN\n");
  EXPECT_EQ(levels, (std::vector<int>{0, 128, 255}));
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0], 0u);
  // Half way the picture is darkened, not blended: each channel loses 255 - 128.
  EXPECT_NEAR(red(shown[1]), 200 * 128 / 256, 2);
  EXPECT_NEAR(green(shown[1]), 100 * 128 / 256, 2);
  EXPECT_EQ(shown[2], 0xC86428u);
}

TEST_F(TransitionTest, StepIsReadAtEveryFrame) {
  speed(4);  // step 16
  picture("bg", 255, 255, 255);
  std::vector<int> levels;
  platform.onPresent = [&] {
    levels.push_back(layer(0).fade());
    if (levels.size() == 2) speed(0);  // the player changes the speed mid-fade
  };
  runScript("bg bg FADE_IN\n");
  EXPECT_EQ(levels, (std::vector<int>{0, 16, 144, 255}));
}

TEST_F(TransitionTest, SlowestHalfSpeedFadeOutStillEnds) {
  picture("bg", 255, 255, 255);
  runScript("bg bg FADE_NONE\n");
  speed(11);  // step 1, halved to 0: still one level per frame
  const auto before = platform.presentedFrames();
  runScript("fo2\n");
  EXPECT_EQ(platform.presentedFrames() - before, 256u);  // 255 .. 1, then the empty scene
  EXPECT_TRUE(layer(0).empty());
  EXPECT_EQ(name(0), "");
}

TEST_F(TransitionTest, FadeOutRemovesAndFadeStopKeeps) {
  speed(0);
  picture("bg", 255, 255, 255);
  character("s", 100, 100, 0, 0, 100, 100, 0, 255, 0);
  runScript("bg bg FADE_NONE\nsp 0 s FADE_NONE\nfade FADE_STOP\n");
  EXPECT_TRUE(layer(0).hasPicture());
  EXPECT_TRUE(layer(10).hasPicture());
  EXPECT_EQ(layer(0).fade(), 0);
  EXPECT_EQ(layer(10).fade(), 0);
  EXPECT_EQ(name(0), "bg");
  EXPECT_EQ(shownPixel(400, 300), 0u);
  EXPECT_EQ(shownPixel(50, 50), 0u);

  runScript("fade FADE_IN\n");
  EXPECT_EQ(shownPixel(400, 300), 0xFFFFFFu);
  EXPECT_EQ(shownPixel(50, 50), 0x00FF00u);

  std::vector<int> sprite;
  platform.onPresent = [&] { sprite.push_back(layer(10).alpha()); };
  runScript("sp_fade_out\n");  // sprites fade by their alpha level
  EXPECT_EQ(sprite, (std::vector<int>{255, 127, 127}));
  EXPECT_TRUE(layer(10).empty());
  EXPECT_EQ(name(1), "");
  EXPECT_TRUE(layer(0).hasPicture());

  runScript("fade_out\n");
  EXPECT_TRUE(layer(0).empty());
  EXPECT_EQ(name(0), "");
  EXPECT_EQ(shownPixel(400, 300), 0u);
}

TEST_F(TransitionTest, QuarterSpeedFadeIn) {
  speed(2);  // step 32, a quarter is 8
  picture("bg", 255, 255, 255);
  std::vector<int> levels;
  platform.onPresent = [&] { levels.push_back(layer(0).fade()); };
  runScript("bg bg FADE_IN2\n");
  ASSERT_EQ(levels.size(), 33u);
  EXPECT_EQ(levels[1], 8);
  EXPECT_EQ(levels[31], 248);
  EXPECT_EQ(levels.back(), 255);
}

TEST_F(TransitionTest, ClickEndsAFadeOnlyWithClickCancel) {
  speed(4);
  picture("bg", 255, 255, 255);
  auto clickAtThirdPoll = [&] {
    polls = 0;
    onPoll = [&] {
      if (polls == 3) rt->story.input.press(InputDecide);
    };
  };
  setAutoMode(*rt, true);
  clickAtThirdPoll();
  auto before = platform.presentedFrames();
  runScript("bg bg FADE_IN\n");
  EXPECT_EQ(platform.presentedFrames() - before, 17u);  // 0, 16 .. 240, then 255
  EXPECT_FALSE(rt->story.switches.autoMode);  // the click still switches auto off

  rt->media.settings.effect.clickCancel = true;
  clickAtThirdPoll();
  before = platform.presentedFrames();
  runScript("fade_in\n");
  EXPECT_EQ(platform.presentedFrames() - before, 3u);  // two steps, then the end
  EXPECT_EQ(layer(0).fade(), 255);
}

TEST_F(TransitionTest, CtrlSkipAndAutoJumpToTheEnd) {
  speed(4);
  picture("bg", 255, 255, 255);
  platform.setCtrlHeld(true);
  auto before = platform.presentedFrames();
  runScript("bg bg FADE_IN\n");
  EXPECT_EQ(platform.presentedFrames() - before, 1u);
  EXPECT_EQ(layer(0).fade(), 255);
  platform.setCtrlHeld(false);

  setSkipMode(*rt, true);
  before = platform.presentedFrames();
  runScript("fade_out\n");
  EXPECT_EQ(platform.presentedFrames() - before, 1u);
  EXPECT_TRUE(layer(0).empty());
  setSkipMode(*rt, false);

  // Auto mode cuts effects short only with Skip/Effect.
  setAutoMode(*rt, true);
  before = platform.presentedFrames();
  runScript("bg bg FADE_IN\n");
  EXPECT_EQ(platform.presentedFrames() - before, 17u);
  rt->media.settings.skip.effect = true;
  before = platform.presentedFrames();
  runScript("fade_out\n");
  EXPECT_EQ(platform.presentedFrames() - before, 1u);
}

TEST_F(TransitionTest, BackgroundCrossFadeKeepsTheNewOneBelow) {
  speed(1);  // step 64
  picture("a", 200, 0, 0);
  picture("b", 0, 0, 200);
  character("s", 100, 100, 0, 0, 100, 100, 0, 200, 0);
  runScript("bg a FADE_NONE\nsp 0 s FADE_NONE\n");
  struct Seen {
    int partner, sprite;
    std::uint32_t bg, spritePixel;
  };
  std::vector<Seen> seen;
  platform.onPresent = [&] {
    seen.push_back({layer(1).hasPicture() ? layer(1).alpha() : -1, layer(10).alpha(), shownPixel(400, 300),
                    shownPixel(50, 50)});
  };
  runScript("bg b FADE_CROSS\n");
  ASSERT_EQ(seen.size(), 5u);
  // The old background, above the new one, fades away; the sprite comes back from 0.
  EXPECT_EQ(seen[0].partner, 255);
  EXPECT_EQ(seen[0].sprite, 0);
  EXPECT_EQ(seen[0].bg, 0xC80000u);
  EXPECT_EQ(seen[2].partner, 127);
  EXPECT_EQ(seen[2].sprite, 128);
  EXPECT_NEAR(red(seen[2].bg), 200 * 127 / 256, 2);
  EXPECT_NEAR(blue(seen[2].bg), 200 * 129 / 256, 2);
  EXPECT_EQ(seen[4].partner, -1);
  EXPECT_EQ(seen[4].bg, 0x0000C8u);
  EXPECT_EQ(seen[4].spritePixel, 0x00C800u);
  EXPECT_TRUE(layer(1).empty());
  EXPECT_EQ(name(0), "b");
}

TEST_F(TransitionTest, SpriteCrossFadeBlendsEqualPicturesInPlace) {
  speed(1);  // step 64
  // Same size, same place, different shapes: blended into the old picture's pixels.
  character("p", 100, 100, 0, 0, 60, 100, 200, 0, 0);
  character("q", 100, 100, 40, 0, 60, 100, 0, 0, 200);
  runScript("sp1 p\n");
  std::vector<std::array<std::uint32_t, 3>> seen;
  platform.onPresent = [&] { seen.push_back({shownPixel(10, 50), shownPixel(50, 50), shownPixel(90, 50)}); };
  runScript("sp1_cf q\n");
  ASSERT_EQ(seen.size(), 5u);  // levels 0, 64, 128, 192, then the new sprite alone
  // Where both are opaque the colours mix; where only one is, its alpha follows.
  EXPECT_NEAR(red(seen[0][1]), 200, 4);
  EXPECT_EQ(blue(seen[0][1]), 0);
  EXPECT_NEAR(red(seen[2][1]), 200 * 127 / 256, 2);
  EXPECT_NEAR(blue(seen[2][1]), 200 * 128 / 256, 2);
  EXPECT_NEAR(red(seen[2][0]), 200 * 127 / 256, 3);   // old alone, its alpha halved
  EXPECT_NEAR(blue(seen[2][2]), 200 * 128 / 256, 3);  // new alone, likewise
  EXPECT_EQ(seen[4][0], 0u);
  EXPECT_EQ(seen[4][2], 0x0000C8u);
  EXPECT_TRUE(layer(11).empty());
  EXPECT_TRUE(layer(10).visible());
  EXPECT_EQ(layer(10).alpha(), 255);
  EXPECT_EQ(name(1), "q");
}

TEST_F(TransitionTest, SpriteCrossFadeByLevelsAndFadeOutOfUnnamedSprites) {
  speed(1);
  character("small", 50, 50, 0, 0, 50, 50, 200, 0, 0);
  character("big", 100, 100, 0, 0, 100, 100, 0, 0, 200);
  character("other", 100, 100, 0, 0, 100, 100, 0, 200, 0);
  runScript("def_sp_left 0\ndef_sp_right 400\nsp2 small other\n");
  std::vector<std::array<int, 3>> levels;
  platform.onPresent = [&] {
    levels.push_back({layer(10).alpha(), layer(11).hasPicture() ? layer(11).alpha() : -1,
                      layer(13).hasPicture() ? layer(13).alpha() : -1});
  };
  runScript("def_sp_center 0\nsp1_cf big\n");
  ASSERT_EQ(levels.size(), 5u);
  EXPECT_EQ(levels[1], (std::array<int, 3>{64, 191, 191}));  // sprite 2 fades out unnamed
  EXPECT_TRUE(layer(12).empty());
  EXPECT_TRUE(layer(13).empty());
  EXPECT_EQ(name(2), "");
  EXPECT_EQ(name(1), "big");
  EXPECT_EQ(shownPixel(60, 60), 0x0000C8u);
}

TEST_F(TransitionTest, UnchangedSpritesAreLeftAlone) {
  speed(1);
  character("a", 100, 100, 0, 0, 100, 100, 200, 0, 0);
  character("b", 100, 100, 0, 0, 100, 100, 0, 200, 0);
  runScript("def_sp_left 0\ndef_sp_right 400\nsp2 a b\n");
  const std::uint32_t loadedA = layer(10).loadTime(), loadedB = layer(12).loadTime();
  std::vector<std::uint32_t> shown;
  platform.onPresent = [&] { shown.push_back(shownPixel(50, 50)); };
  runScript("sp2_cf a b\n");
  for (std::uint32_t p : shown) EXPECT_EQ(p, 0xC80000u);
  EXPECT_EQ(layer(10).loadTime(), loadedA);
  EXPECT_EQ(layer(12).loadTime(), loadedB);
}

TEST_F(TransitionTest, ScrollOutMovesThreeStepsPerFrameThenRemoves) {
  speed(3);  // step 24: 72 pixels a frame
  character("s", 100, 100, 0, 0, 100, 100, 0, 200, 0);
  runScript("sp 0 s FADE_NONE\n");
  std::vector<int> xs;
  platform.onPresent = [&] { xs.push_back(layer(10).hasPicture() ? layer(10).x() : 9999); };
  runScript("sp 0 s SCROLL_LEFT_OUT\n");
  ASSERT_EQ(xs.size(), 12u);
  EXPECT_EQ(xs[0], -72);
  EXPECT_EQ(xs[10], -792);
  EXPECT_EQ(xs[11], 9999);
  EXPECT_EQ(name(1), "");
}

TEST_F(TransitionTest, MosaicRampsLeaveBlocks) {
  speed(0);
  tools::RgbaImage gradient(800, 600);
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) gradient.set(x, y, std::uint8_t(x), std::uint8_t(y), 0);
  picture("grad", gradient);
  runScript("bg grad FADE_NONE\n");
  layer(0).setAlphaFlag(false);  // mosaic draws pictures without an alpha channel
  std::vector<int> levels;
  platform.onPresent = [&] { levels.push_back(layer(0).mosaic()); };
  runScript("mosaic 0 MOSAIC_OUT\n");
  EXPECT_EQ(levels, (std::vector<int>{0, 128, 255}));
  // Level 255 draws 16 x 16 blocks, each the colour of its top-left pixel.
  EXPECT_EQ(shownPixel(17, 33), shownPixel(31, 47));
  EXPECT_EQ(red(shownPixel(17, 33)), 16);
  EXPECT_EQ(green(shownPixel(17, 33)), 32);
  levels.clear();
  runScript("mosaic 0 MOSAIC_OUTIN\n");
  EXPECT_EQ(levels, (std::vector<int>{0, 128, 255, 127, 0}));
  EXPECT_EQ(layer(0).mosaic(), 0);
  runScript("mosaic 0 MOSAIC_SIDEWAYS\n");
  EXPECT_EQ(errors().back(), "パラメータが不正|MOSAIC_SIDEWAYS");
}

TEST_F(TransitionTest, UnknownTransitionIsReportedAndTheScriptGoesOn) {
  picture("bg", 1, 2, 3);
  EXPECT_EQ(runScript("bg bg FADE_SIDEWAYS\nbg_effect_on\n"), 1);
  ASSERT_FALSE(errors().empty());
  EXPECT_EQ(errors()[0], "パラメータが不正|FADE_SIDEWAYS");
  EXPECT_TRUE(layer(0).hasPicture());
  EXPECT_EQ(state().backgroundEffectMode(), 1);  // the next command still ran
}

TEST_F(TransitionTest, ClosingProgramEndsTheFadeAndTheStep) {
  speed(11);
  picture("bg", 1, 2, 3);
  onPoll = [&] {
    if (polls == 5) rt->requests().quitRequested = true;
  };
  load("bg bg FADE_IN\n");
  EXPECT_EQ(step(), 0);
  EXPECT_LT(platform.presentedFrames(), 10u);
}

}  // namespace
}  // namespace ml::test
