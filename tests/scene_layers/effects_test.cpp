// Whole-screen effects: shakes, full-screen fades, flashes, zoom, rotation, the mask
// wipe and the background-effect switch.
#include <utility>

#include "engine/poll.h"
#include "scene_fixture.h"
#include "tools/common/bmp_writer.h"

namespace ml::test {
namespace {

using EffectsTest = SceneTest;

// Rows coloured by their number, so that a shifted frame tells how far it moved.
tools::RgbaImage rowsPicture() {
  tools::RgbaImage image(800, 600);
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) image.set(x, y, std::uint8_t(x % 200 + 1), std::uint8_t(y % 200 + 1), 50);
  return image;
}

using Offsets = std::vector<std::pair<int, int>>;

TEST_F(EffectsTest, ShakeDecaysUpAndDown) {
  picture("rows", rowsPicture());
  runScript("bg rows FADE_NONE\n");
  Offsets seen;
  std::vector<std::uint32_t> top, bottom;
  platform.onPresent = [&] {
    seen.emplace_back(rt->scene.backBuffer.shakeX(), rt->scene.backBuffer.shake());
    top.push_back(shownPixel(5, 0));
    bottom.push_back(shownPixel(5, 599));
  };
  const auto frames = platform.presentedFrames();
  runScript("shake SHAKE_1\n");
  const std::vector<int> expected = {-100, 81, -81, 64, -64, 49, -49, 36, -36, 25, -25,
                                     16,   -16, 9, -9, 4, -4,  1,   -1,  0,  0};
  ASSERT_EQ(seen.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(seen[i].second, expected[i]) << i;
    EXPECT_EQ(seen[i].first, 0) << i;
  }
  // The first frame moves the picture up: row 100 is at the top.
  EXPECT_EQ(green(top[0]), 101);
  EXPECT_EQ(bottom[0], 0u);  // the band left below is black
  EXPECT_EQ(green(bottom.back()), 200);  // row 599 again once the shake is over
  EXPECT_EQ(platform.presentedFrames() - frames, expected.size());  // nothing composed in between

  seen.clear();
  runScript("shake SHAKE_2\n");
  ASSERT_EQ(seen.size(), 21u);
  EXPECT_EQ(seen[0].second, -25);  // (20 / 4) squared
  runScript("shake SHAKE_3\n");
  EXPECT_EQ(errors().back(), "パラメータが不正|SHAKE_3");
}

TEST_F(EffectsTest, DecayingFourWayShake) {
  Offsets seen;
  platform.onPresent = [&] { seen.emplace_back(rt->scene.backBuffer.shakeX(), rt->scene.backBuffer.shake()); };
  runScript("shake2 10 1 16 0\n");
  const Offsets expected = {{0, 0}, {-16, 0}, {0, 0}, {9, 0}, {0, 0}, {-4, 0},
                            {0, 0}, {1, 0},   {0, 0}, {0, 0}, {0, 0}};
  EXPECT_EQ(seen, expected);

  seen.clear();
  runScript("shake2 2 2 0 9\n");  // k = trunc(2 / 3) is raised to 1
  EXPECT_EQ(seen, (Offsets{{0, -4}, {0, -4}, {0, 0}, {0, 0}, {0, 0}}));

  seen.clear();
  runScript("shake2 3 0 -4 -9\n");  // no square root of a negative amplitude: no shake
  EXPECT_EQ(seen, (Offsets{{0, 0}, {0, 0}, {0, 0}, {0, 0}}));
}

TEST_F(EffectsTest, ConstantFourWayShake) {
  Offsets seen;
  platform.onPresent = [&] { seen.emplace_back(rt->scene.backBuffer.shakeX(), rt->scene.backBuffer.shake()); };
  runScript("shake3 5 2 5 3\n");
  const Offsets expected = {{0, -3}, {0, -3}, {-5, 0}, {-5, 0}, {0, 3}, {0, 3},
                            {5, 0},  {5, 0},  {0, -3}, {0, -3}, {0, 0}};
  EXPECT_EQ(seen, expected);
}

TEST_F(EffectsTest, ShakesStopEarlyAndSkipFastForward) {
  Offsets seen;
  platform.onPresent = [&] { seen.emplace_back(rt->scene.backBuffer.shakeX(), rt->scene.backBuffer.shake()); };
  setSkipMode(*rt, true);
  runScript("shake3 100 10 5 5\n");
  EXPECT_EQ(seen, (Offsets{{0, 0}}));
  setSkipMode(*rt, false);
  seen.clear();
  sc().fastForward = true;
  runScript("shake SHAKE_1\nshake2 4 1 4 4\n");
  EXPECT_TRUE(seen.empty());
}

TEST_F(EffectsTest, FullScreenFadeToBlackRunsWholeEvenInSkipMode) {
  speed(4);  // step 16
  picture("white", 255, 255, 255);
  runScript("bg white FADE_NONE\n");
  setSkipMode(*rt, true);
  std::vector<int> levels;
  platform.onPresent = [&] { levels.push_back(red(shownPixel(400, 300))); };
  runScript("fade_all_out\n");
  ASSERT_EQ(levels.size(), 16u);
  EXPECT_EQ(levels[0], 239);
  EXPECT_EQ(levels[14], 15);
  EXPECT_EQ(levels[15], 0);
  EXPECT_EQ(red(shownPixel(0, 0)), 0);

  levels.clear();
  runScript("fade_all_in\n");  // the scene comes back from black
  ASSERT_EQ(levels.size(), 16u);
  EXPECT_EQ(levels[0], 0);
  EXPECT_EQ(levels[1], 255 * 16 / 256);
  EXPECT_EQ(levels[15], 255 * 240 / 256);
  EXPECT_TRUE(layer(257).empty());
}

TEST_F(EffectsTest, FullScreenFadesToAndFromWhite) {
  speed(0);  // step 128
  picture("dark", 10, 20, 30);
  runScript("bg dark FADE_NONE\n");
  std::vector<std::uint32_t> shown;
  platform.onPresent = [&] { shown.push_back(shownPixel(400, 300)); };
  runScript("fade_all_white_out\n");
  EXPECT_EQ(shown, (std::vector<std::uint32_t>{0x8A949Eu, 0xFFFFFFu}));
  shown.clear();
  sc().fastForward = true;  // full-screen fades run in every mode
  runScript("fade_all_white_in\n");
  sc().fastForward = false;
  EXPECT_EQ(shown, (std::vector<std::uint32_t>{0xFFFFFFu, 0x7F7F7Fu}));
  EXPECT_TRUE(layer(257).empty());
}

TEST_F(EffectsTest, FlashColourHoldsUntilSwitchedOff) {
  picture("white", 255, 255, 255);
  runScript("bg white FADE_NONE\nflash 0 0 0\n");
  EXPECT_TRUE(rt->scene.backBuffer.solidFill());
  compose();
  EXPECT_EQ(framePixel(400, 300), 0u);
  runScript("bg white FADE_NONE\n");
  EXPECT_EQ(shownPixel(400, 300), 0u);
  runScript("flash -1 0 0\n");
  EXPECT_FALSE(rt->scene.backBuffer.solidFill());
  compose();
  EXPECT_EQ(framePixel(400, 300), 0xFFFFFFu);
  runScript("flash 10 20 30\n");
  compose();
  EXPECT_EQ(framePixel(0, 0), 0x0A141Eu);
}

TEST_F(EffectsTest, WhiteFlashesLastTheirTime) {
  picture("dark", 10, 20, 30);
  runScript("bg dark FADE_NONE\n");
  std::vector<std::pair<std::uint32_t, std::uint32_t>> shown;  // (time, pixel)
  platform.onPresent = [&] { shown.emplace_back(platform.ticks(), shownPixel(10, 10)); };
  const std::uint32_t start = platform.ticks();
  runScript("flash2 0.1 0.05 0.1\n");
  EXPECT_NEAR(double(platform.ticks() - start), 250.0, 30.0);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.front().second, 0xFFFFFFu);
  EXPECT_EQ(shown.back().second, 0xFFFFFFu);
  int dark = 0;
  for (const auto& s : shown) dark += s.second == 0x0A141Eu;
  EXPECT_NEAR(dark, 5, 1);
  EXPECT_FALSE(rt->scene.backBuffer.solidFill());

  // With the script's waits cancelled every white phase lasts one frame.
  rt->media.settings.effect.waitCancel = true;
  shown.clear();
  runScript("flash3 1 1 1 1 1\n");
  ASSERT_EQ(shown.size(), 3u);
  for (const auto& s : shown) EXPECT_EQ(s.second, 0xFFFFFFu);
}

TEST_F(EffectsTest, ZoomFreezesTheFrameUntilZoomedBackIn) {
  speed(0);
  picture("a", 200, 0, 0);
  picture("b", 0, 0, 200);
  runScript("bg a FADE_NONE\n");
  std::vector<int> holds;
  platform.onPresent = [&] { holds.push_back(rt->scene.backBuffer.hold()); };
  runScript("zoom ZOOM_OUT\n");
  EXPECT_EQ(holds, (std::vector<int>{0, 128, 255}));
  runScript("bg b FADE_NONE\n");
  EXPECT_EQ(shownPixel(400, 300), 0xC80000u);  // the new picture does not show yet
  holds.clear();
  runScript("zoom ZOOM_IN\n");
  EXPECT_EQ(holds, (std::vector<int>{255, 127, 0}));
  runScript("bg b FADE_NONE\n");
  EXPECT_EQ(shownPixel(400, 300), 0x0000C8u);
}

TEST_F(EffectsTest, RotationSetAndOneTurn) {
  speed(1);  // 64 degrees a frame
  picture("bg", 1, 2, 3);
  runScript("bg bg FADE_NONE\nrotate 0 90 ROTATE_SET\n");
  EXPECT_EQ(layer(0).rotation(), 90);
  std::vector<int> angles;
  platform.onPresent = [&] { angles.push_back(layer(0).rotation()); };
  runScript("rotate 0 0 ROTATE_MOVE\n");
  EXPECT_EQ(angles, (std::vector<int>{0, 64, 128, 192, 256, 320, 0}));
  runScript("rotate 0 0 ROTATE_BACK\nrotate 400 30 ROTATE_SET\n");
  EXPECT_EQ(errors().back(), "パラメータが不正|ROTATE_BACK");
}

class WipeTest : public EffectsTest {
 protected:
  void SetUp() override {
    EffectsTest::SetUp();
    // Mask: the left half goes first (green 0), the right half at level 200.
    tools::RgbaImage mask(800, 600, 0, 0, 0, 255);
    for (int y = 0; y < 600; ++y)
      for (int x = 400; x < 800; ++x) mask.set(x, y, 0, 200, 0);
    writeBytes("cg/wipe.bmp", tools::writeBmp24(mask));
    picture("old", 200, 0, 0);
    picture("new", 0, 0, 200);
    character("s", 100, 100, 0, 0, 100, 100, 0, 200, 0);
  }
};

TEST_F(WipeTest, MaskWipeRevealsTheNewBackgroundAlongTheMask) {
  speed(4);  // wipe step 8
  runScript("bg2 old s\n");
  Sprite& window = layer(40);
  ASSERT_TRUE(window.makeBox(100, 100));
  window.surface()->fill(0xFFFFFFFFu);
  window.setPosition(600, 400);
  rt->story.switches.messageWindowActive = true;

  std::vector<std::pair<std::uint32_t, std::uint32_t>> shown;  // (left, right)
  bool windowSeen = false;
  platform.onPresent = [&] {
    shown.emplace_back(shownPixel(100, 300), shownPixel(500, 300));
    windowSeen = windowSeen || shownPixel(650, 450) == 0xFFFFFFu;
  };
  runScript("effect FADE_IN 128 wipe new\n");
  ASSERT_EQ(shown.size(), 33u);  // 0, 8 .. 248, then everything
  EXPECT_EQ(shown[0], std::make_pair(0x0000C8u, 0xC80000u));
  EXPECT_EQ(shown[24].second, 0xC80000u);  // level 192
  EXPECT_EQ(shown[25].second, 0x0000C8u);  // level 200
  EXPECT_FALSE(windowSeen);                // the message window stepped aside
  EXPECT_TRUE(window.visible());
  EXPECT_TRUE(rt->story.switches.messageWindowActive);

  EXPECT_EQ(name(0), "new");
  EXPECT_EQ(name(1), "");
  EXPECT_TRUE(layer(10).empty());
  EXPECT_TRUE(layer(12).empty());
  ASSERT_TRUE(layer(0).hasPicture());
  EXPECT_EQ(layer(0).name(), "cg\\new.psd");
  compose();
  EXPECT_EQ(framePixel(100, 100), 0x0000C8u);
}

TEST_F(WipeTest, MissingMaskOrPictureSkipsTheWipe) {
  runScript("bg old FADE_NONE\nef2 nomask new\n");
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(errors()[0], "ファイルが存在しない|cg\\nomask.psd");
  EXPECT_EQ(layer(0).name(), "cg\\old.psd");
  EXPECT_EQ(name(0), "new");  // recorded before the files are looked for
  runScript("ef2 wipe nopicture\n");
  EXPECT_EQ(errors().back(), "ファイルが存在しない|cg\\nopicture.psd");
  EXPECT_EQ(layer(0).name(), "cg\\old.psd");
  runScript("effect FADE_OUT 0 wipe new\n");
  EXPECT_EQ(errors().back(), "パラメータが不正|FADE_OUT");
}

TEST_F(WipeTest, EmptyPictureWipesToBlackAndFastForwardOnlyRecords) {
  runScript("bg old FADE_NONE\nef2 wipe \"\"\n");
  compose();
  EXPECT_EQ(framePixel(100, 100), 0u);
  picture("old", 200, 0, 0);
  runScript("bg old FADE_NONE\nbg_effect 2\n");
  sc().fastForward = true;
  runScript("ef2 wipe new\n");
  EXPECT_EQ(name(0), "new");
  EXPECT_EQ(state().backgroundEffectMode(), 0);
  EXPECT_EQ(layer(0).name(), "cg\\old.psd");
}

TEST_F(EffectsTest, BackgroundEffectModeIsRecorded) {
  platform.advance(12345);
  runScript("bg_effect 3\n");
  EXPECT_EQ(state().backgroundEffectMode(), 3);
  EXPECT_EQ(sc().effectStartSecond, 12);
  runScript("bg_effect_off\n");
  EXPECT_EQ(state().backgroundEffectMode(), 0);
  runScript("bg_effect_on\n");
  EXPECT_EQ(state().backgroundEffectMode(), 1);
}

}  // namespace
}  // namespace ml::test
