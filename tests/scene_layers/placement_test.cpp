// Picture commands: where pictures go, what the game state records, missing pictures
// and placeholders, tints, the gallery, fast-forward recording and the snapshots.
#include <utility>

#include "engine/poll.h"
#include "engine/game_content.h"
#include "media/gfx/layer_slots.h"
#include "scene_fixture.h"
#include "tools/common/bmp_writer.h"

namespace ml::test {
namespace {

using PlacementTest = SceneTest;

TEST_F(PlacementTest, BackgroundIsPlacedAndRecorded) {
  picture("bg01", 10, 20, 30);
  state().layerFade[0] = 7;
  ASSERT_EQ(runScript("bg bg01 FADE_NONE\n"), 1);
  EXPECT_TRUE(layer(0).hasPicture());
  EXPECT_EQ(layer(0).x(), 0);
  EXPECT_EQ(layer(0).y(), 0);
  EXPECT_TRUE(layer(0).holdLastFrame());
  EXPECT_EQ(name(0), "bg01");
  EXPECT_EQ(state().layerX[0], 0);
  EXPECT_EQ(state().layerFade[0], 255);
  EXPECT_EQ(state().layerAlpha[0], 255);
  compose();
  EXPECT_EQ(framePixel(400, 300), 0x0A141Eu);
  EXPECT_TRUE(errors().empty());
}

TEST_F(PlacementTest, BitmapIsPreferredAndMissingPicturesAreReported) {
  writeBytes("cg/bg01.bmp", tools::writeBmp24(tools::RgbaImage(800, 600, 200, 0, 0, 255)));
  picture("bg01", 0, 200, 0);
  runScript("bg bg01 FADE_NONE\nsp 0 nobody FADE_NONE\n");
  compose();
  EXPECT_EQ(framePixel(1, 1), 0xC80000u);
  // The name is kept for the save, the layer stays empty.
  EXPECT_TRUE(layer(10).empty());
  EXPECT_EQ(name(1), "nobody");
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(errors()[0], "ファイルが存在しない|cg\\nobody.psd");
}

TEST_F(PlacementTest, MissingPictureBecomesPlaceholderWhenAsked) {
  rt->story.makePlaceholderPictures = true;
  runScript("bg nothere FADE_NONE\n");
  EXPECT_TRUE(errors().empty());
  ASSERT_TRUE(layer(0).hasPicture());
  EXPECT_EQ(layer(0).width(), 800);
  EXPECT_EQ(layer(0).height(), 600);
  compose();
  EXPECT_EQ(framePixel(10, 10), 0x808080u);
  EXPECT_EQ(framePixel(790, 590), 0x808080u);
  // The name is written in white from (100, 100).
  int bright = 0;
  for (int y = 100; y < 180; ++y)
    for (int x = 100; x < 500; ++x)
      if (red(framePixel(x, y)) > 220) ++bright;
  EXPECT_GT(bright, 100);
}

TEST_F(PlacementTest, CrossFadeToMissingPictureLeavesNoStaleLayer) {
  picture("bgA", 50, 50, 50);
  runScript("bg bgA FADE_NONE\nbg gone FADE_CROSS\n");
  EXPECT_TRUE(layer(0).empty());
  EXPECT_TRUE(layer(1).empty());
}

TEST_F(PlacementTest, SpritesGoToTheirSlotsAndDefaultPositions) {
  for (const char* n : {"a", "b", "c", "d", "e"}) character(n, 200, 400, 0, 0, 200, 400, 90, 90, 90);
  runScript(
      "def_sp_left 100\ndef_sp_center 300\ndef_sp_right 500\ndef_sp_left3 50\ndef_sp_right3 550\n"
      "sp 0 a FADE_NONE\nspl 1 b FADE_NONE\nspr 9 c FADE_NONE\n");
  EXPECT_EQ(state().spritePosition(0), 100);
  EXPECT_EQ(state().spritePosition(4), 550);
  EXPECT_EQ(layer(10).x(), 300);
  EXPECT_EQ(layer(12).x(), 100);
  // A sprite number above 3 is sprite 4.
  EXPECT_EQ(layer(16).x(), 500);
  EXPECT_EQ(name(4), "c");
  EXPECT_EQ(state().layerX[4], 500);

  runScript("sp3 c d e\n");
  EXPECT_EQ(layer(10).x(), 50);   // first name, left of three
  EXPECT_EQ(layer(14).x(), 300);  // middle name, centre
  EXPECT_EQ(layer(12).x(), 550);  // last name, right of three
  EXPECT_EQ(name(1), "c");
  EXPECT_EQ(name(3), "d");
  EXPECT_EQ(name(2), "e");
}

TEST_F(PlacementTest, SlotMappings) {
  static_assert(layerFromSceneSlot(0) == 0 && layerFromSceneSlot(4) == 16 && layerFromSceneSlot(9) == 16);
  static_assert(sceneSlotFromLayer(12) == 2 && sceneSlotFromLayer(16) == 4 && sceneSlotFromLayer(11) == 4);
  static_assert(layerFromMoveNumber(19) == 16 && layerFromMoveNumber(5) == 0 && layerFromMoveNumber(0) == 0);
  for (const char* n : {"a", "b"}) character(n, 100, 100, 0, 0, 100, 100, 90, 90, 90);
  picture("bg", 1, 2, 3);
  runScript("bg bg FADE_NONE\nsp 3 a FADE_NONE\nsp 1 b FADE_NONE\nposi 7 12 34\nposi 2 5 6\n"
            "set_fade 19 100\nset_fade 7 50\nset_alpha 2 77\n");
  EXPECT_EQ(state().layerX[4], 12);
  EXPECT_EQ(state().layerY[4], 34);
  EXPECT_EQ(layer(16).x(), 12);
  EXPECT_EQ(layer(16).y(), 34);
  EXPECT_EQ(layer(12).x(), 5);
  EXPECT_EQ(layer(12).y(), 6);
  EXPECT_EQ(layer(16).fade(), 100);
  EXPECT_EQ(state().layerFade[4], 100);
  EXPECT_EQ(layer(0).fade(), 50);
  EXPECT_EQ(state().layerFade[0], 50);
  EXPECT_EQ(layer(12).alpha(), 77);
  EXPECT_EQ(state().layerAlpha[2], 77);
}

TEST_F(PlacementTest, BackgroundWithoutFadeRemovesSprites) {
  picture("bgA", 10, 10, 10);
  picture("bgB", 20, 20, 20);
  character("s1", 100, 100, 0, 0, 100, 100, 90, 90, 90);
  runScript("bg2 bgA s1\n");
  ASSERT_TRUE(layer(10).hasPicture());
  EXPECT_EQ(name(1), "s1");
  runScript("bg1 bgB\n");
  EXPECT_TRUE(layer(10).empty());
  EXPECT_EQ(name(1), "");
  EXPECT_EQ(name(0), "bgB");

  // The same background with a fade switches at once and still drops the sprites.
  runScript("bg2 bgB s1\n");
  const auto frames = platform.presentedFrames();
  runScript("bg1_fi bgB\n");
  EXPECT_EQ(platform.presentedFrames() - frames, 1u);
  EXPECT_TRUE(layer(10).empty());
  EXPECT_TRUE(layer(0).hasPicture());
}

TEST_F(PlacementTest, FadeInOfNewSceneFirstFadesTheOldOneOut) {
  speed(0);  // step 128
  picture("bgA", 100, 100, 100);
  picture("bgB", 200, 200, 200);
  for (const char* n : {"s1", "s2"}) character(n, 100, 100, 0, 0, 100, 100, 90, 90, 90);
  runScript("bg2 bgA s1\n");
  std::vector<std::pair<std::string, int>> seen;
  std::vector<int> shown;
  platform.onPresent = [&] {
    seen.emplace_back(layer(0).name(), layer(0).fade());
    shown.push_back(red(shownPixel(400, 300)));
  };
  runScript("bg3_fi bgB s1 s2\n");
  const std::vector<std::pair<std::string, int>> expected = {
      {"cg\\bgA.psd", 255}, {"cg\\bgA.psd", 127}, {"", 127},  // the old scene fades to black
      {"cg\\bgB.psd", 0},   {"cg\\bgB.psd", 128}, {"cg\\bgB.psd", 255}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(shown, (std::vector<int>{100, 48, 0, 0, 99, 200}));
  EXPECT_EQ(layer(10).fade(), 255);
  EXPECT_EQ(layer(12).fade(), 255);
  EXPECT_EQ(layer(12).alpha(), 255);
  EXPECT_EQ(name(2), "s2");
}

TEST_F(PlacementTest, BackgroundsSelectTheirTintPreset) {
  ASSERT_EQ(backgroundTintPreset(rt->media.content, "bg01b"), 1);
  ASSERT_EQ(backgroundTintPreset(rt->media.content, "BG01B"), -1);  // names match exactly
  picture("bg01b", 0, 0, 0);
  picture("other", 0, 0, 0);
  character("s1", 100, 100, 0, 0, 100, 100, 100, 100, 100);
  runScript("set_rgb_ex2 50 0 -50\nbg bg01b FADE_NONE\nsp 0 s1 FADE_NONE\n");
  EXPECT_EQ(state().spriteTint(0), 50);
  EXPECT_EQ(state().spriteTint(2), -50);
  compose();
  EXPECT_EQ(framePixel(1, 1), 0x966432u);  // (150, 100, 50)

  runScript("bg other FADE_NONE\n");
  EXPECT_EQ(state().spriteTint(0), 0);
  runScript("set_rgb2 10 20 30\n");
  EXPECT_EQ(state().spriteTint(1), 20);
  runScript("ev other FADE_NONE\n");
  EXPECT_EQ(state().spriteTint(1), 0);
  // set_rgb reads its colour and keeps nothing.
  runScript("set_rgb 1 2 3\nset_rgb_ex1 4 5 6\n");
  EXPECT_EQ(state().spriteTint(0), 0);
  EXPECT_EQ(rt->scene.tintPresets[0][2], 6);
}

TEST_F(PlacementTest, SpriteColourReachesEveryFrame) {
  character("anim", 100, 100, 0, 0, 100, 100, 200, 100, 50, 2);
  runScript("set_hsv 0 0 -50\nsp 0 anim FADE_NONE\n");
  EXPECT_EQ(state().spriteHsv(2), -50);
  const Surface* s = layer(10).surface();
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->frameCount(), 2);
  for (int f = 0; f < 2; ++f) {
    const std::uint32_t p = s->pixels(f)[50 * 100 + 50];
    EXPECT_NEAR(red(p), 100, 1) << f;
    EXPECT_NEAR(green(p), 50, 1) << f;
  }
  // set_hsv keeps half the hue.
  runScript("set_hsv 61 5 6\n");
  EXPECT_EQ(state().spriteHsv(0), 30);
}

TEST_F(PlacementTest, EventPicturesMarkTheGallery) {
  picture("e01", 1, 1, 1);
  picture("e02", 1, 1, 1);
  character("e03", 10, 10, 0, 0, 10, 10, 1, 1, 1);
  runScript("def_cg e01 120\ndef_cg e02 121\ndef_cg E03 122\n"
            "ev e01 FADE_NONE\nbg e02 FADE_NONE\nsp 0 e03 FADE_NONE\n");
  EXPECT_EQ(state().flags[120], 1);
  EXPECT_EQ(state().flags[121], 0);  // backgrounds are not gallery pictures
  EXPECT_EQ(state().flags[122], 1);  // matched without case

  // Names written as defines are replaced before anything else.
  runScript("define 夕焼け e02\ndef_cg e02 123\nev 夕焼け FADE_NONE\n");
  EXPECT_EQ(name(0), "e02");
  EXPECT_EQ(state().flags[123], 1);
}

TEST_F(PlacementTest, RecollectionDoesNotMarkTheGallery) {
  picture("e01", 1, 1, 1);
  load("def_cg e01 120\nev e01 FADE_NONE\n");
  sc().mainGame = false;
  run();
  EXPECT_EQ(state().flags[120], 0);
}

TEST_F(PlacementTest, FastForwardOnlyRecords) {
  sc().fastForward = true;
  runScript(
      "def_sp_left 100\ndef_sp_right 500\ndef_sp_center 300\n"
      "bg bgZ FADE_IN\nbg3 bgB s1 s2\nsp 2 s3 FADE_IN\nmove_xyposi 1 7 8 10\nset_fade 1 40\n");
  EXPECT_EQ(name(0), "bgB");
  EXPECT_EQ(name(1), "s1");
  EXPECT_EQ(state().layerX[1], 7);
  EXPECT_EQ(state().layerY[1], 8);
  EXPECT_EQ(state().layerFade[1], 40);
  EXPECT_EQ(name(2), "s2");
  EXPECT_EQ(state().layerX[2], 500);
  EXPECT_EQ(name(3), "s3");
  EXPECT_EQ(state().layerX[3], 300);
  for (int slot = 0; slot < 20; ++slot) EXPECT_TRUE(layer(slot).empty()) << slot;
  EXPECT_TRUE(errors().empty());  // nothing was looked for
  EXPECT_EQ(platform.presentedFrames(), 0u);

  runScript("sp 1 x FADE_OUT\n");
  EXPECT_EQ(name(2), "");
  runScript("ev evA FADE_IN\n");
  EXPECT_EQ(name(0), "evA");
  EXPECT_EQ(name(1), "");
  EXPECT_EQ(name(3), "");
  runScript("sp2 p q\nsp1 r\n");
  EXPECT_EQ(name(1), "r");
  EXPECT_EQ(state().layerX[1], 300);
  EXPECT_EQ(name(2), "");
  runScript("fade_out\n");
  EXPECT_EQ(name(0), "");
  EXPECT_EQ(name(1), "");
}

TEST_F(PlacementTest, RecordedSceneIsRebuiltAfterFastForward) {
  picture("bgB", 30, 30, 30);
  character("s1", 100, 100, 0, 0, 100, 100, 100, 100, 100);
  sc().fastForward = true;
  runScript("def_sp_center 320\nbg2 bgB s1\nset_rgb2 50 0 0\nsp 2 gone FADE_NONE\n");
  restoreSceneLayers(sc(), state());
  EXPECT_TRUE(layer(0).hasPicture());
  ASSERT_TRUE(layer(10).hasPicture());
  EXPECT_EQ(layer(10).x(), 320);
  EXPECT_TRUE(layer(14).empty());
  EXPECT_TRUE(errors().empty());  // a missing picture is passed over quietly
  EXPECT_EQ(red(layer(10).surface()->pixels(0)[0]), 150);
  // The snapshots were refreshed.
  EXPECT_TRUE(layer(2).hasPicture());
}

TEST_F(PlacementTest, LoadedGameRebuildsPlacesAndLevels) {
  picture("bgB", 30, 30, 30);
  character("s1", 100, 100, 0, 0, 100, 100, 100, 100, 100);
  recordName(state(), 0, "bgB");
  recordName(state(), 4, "s1");
  state().layerX[4] = 40;
  state().layerY[4] = 12;
  state().layerFade[4] = 90;
  state().layerAlpha[4] = 60;
  state().layerFade[0] = 255;
  state().layerAlpha[0] = 255;
  ASSERT_TRUE(rebuildSceneFromState(sc()));
  ASSERT_TRUE(layer(16).hasPicture());
  EXPECT_EQ(layer(16).x(), 40);
  EXPECT_EQ(layer(16).y(), 12);
  EXPECT_EQ(layer(16).fade(), 90);
  EXPECT_EQ(layer(16).alpha(), 60);
  EXPECT_EQ(state().layerFade[4], 90);
  EXPECT_EQ(state().layerAlpha[4], 60);
  EXPECT_TRUE(layer(0).hasPicture());
  EXPECT_TRUE(layer(10).empty());
}

TEST_F(PlacementTest, LetterboxAndDarkeningShadeOnlyTheScene) {
  picture("white", 255, 255, 255);
  runScript("bg white FADE_NONE\nmask 80 560\n");
  EXPECT_EQ(state().letterboxTop(), 10);
  EXPECT_EQ(state().letterboxBottom(), 70);
  Sprite& window = layer(40);
  ASSERT_TRUE(window.makeBox(800, 20));
  window.surface()->fill(0xFFFFFFFFu);
  window.setPosition(0, 300);
  compose();
  EXPECT_EQ(framePixel(5, 79), 0u);
  EXPECT_EQ(framePixel(5, 80), 0xFFFFFFu);
  EXPECT_EQ(framePixel(5, 559), 0xFFFFFFu);
  EXPECT_EQ(framePixel(5, 560), 0u);
  EXPECT_EQ(framePixel(5, 599), 0u);
  runScript("mask 0 560\n");
  compose();
  EXPECT_EQ(framePixel(5, 0), 0xFFFFFFu);
  EXPECT_EQ(framePixel(5, 599), 0xFFFFFFu);

  runScript("set_all_fade -256\n");
  EXPECT_EQ(static_cast<std::int8_t>(state().flags[2034]), -128);
  compose();
  EXPECT_EQ(framePixel(5, 5), 0u);
  EXPECT_EQ(framePixel(5, 310), 0xFFFFFFu);  // the interface stays bright
  runScript("set_all_fade 0\n");
  EXPECT_EQ(state().flags[2034], 0);
  compose();
  EXPECT_EQ(framePixel(5, 5), 0xFFFFFFu);
}

TEST_F(PlacementTest, SceneDarkeningStepsThroughTheRamp) {
  speed(4);  // step 16
  std::vector<int> levels;
  onPoll = [&] { levels.push_back(static_cast<std::int8_t>(state().flags[2034]) * 2); };
  runScript("set_all_fade -64\n");
  EXPECT_EQ(levels, (std::vector<int>{0, -16, -32, -48}));
  EXPECT_EQ(static_cast<std::int8_t>(state().flags[2034]), -32);
  levels.clear();
  runScript("set_all_fade -300\n");  // clamped to -256
  EXPECT_EQ(static_cast<std::int8_t>(state().flags[2034]), -128);
  // Skip mode and held Ctrl leave the ramp its frames.
  levels.clear();
  setSkipMode(*rt, true);
  platform.setCtrlHeld(true);
  runScript("set_all_fade -208\n");
  platform.setCtrlHeld(false);
  setSkipMode(*rt, false);
  EXPECT_EQ(levels, (std::vector<int>{-256, -240, -224}));
  EXPECT_EQ(static_cast<std::int8_t>(state().flags[2034]), -104);
}

TEST_F(PlacementTest, SnapshotsHoldTheSceneAndTheWindow) {
  picture("bg", 0, 0, 100);
  character("s1", 100, 100, 0, 0, 100, 100, 0, 100, 0);
  Sprite& part = layer(30);
  ASSERT_TRUE(part.makeBox(50, 50));
  part.surface()->fill(0xFFFF0000u);
  part.setPosition(700, 500);
  runScript("def_sp_center 200\nbg2 bg s1\n");
  const Surface* scene = layer(2).surface();
  const Surface* window = layer(3).surface();
  ASSERT_NE(scene, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(layer(2).visible());
  EXPECT_FALSE(layer(3).visible());
  EXPECT_EQ(scene->pixels(0)[10 * 800 + 10] & 0xFFFFFFu, 0x000064u);
  EXPECT_EQ(scene->pixels(0)[10 * 800 + 210] & 0xFFFFFFu, 0x006400u);
  EXPECT_EQ(scene->pixels(0)[510 * 800 + 710] & 0xFFFFFFu, 0x000064u);
  EXPECT_EQ(window->pixels(0)[510 * 800 + 710] & 0xFFFFFFu, 0xFF0000u);
  EXPECT_EQ(window->pixels(0)[10 * 800 + 210] & 0xFFFFFFu, 0x006400u);
  // Hidden snapshots never reach the frame.
  layer(0).release();
  layer(10).release();
  part.release();
  compose();
  EXPECT_EQ(framePixel(10, 10), 0u);
}

TEST_F(PlacementTest, AnimationCommands) {
  character("anim", 10, 10, 0, 0, 10, 10, 1, 1, 1, 3);
  runScript("sp 0 anim FADE_NONE\nsp_loop 0 LOOP\n");
  EXPECT_FALSE(layer(10).holdLastFrame());
  runScript("sp_loop 0 LOOP_STOP\n");
  EXPECT_FALSE(layer(10).animating());
  runScript("sp_loop 0 LOOP_NONE\nsp_loop 0 SPIN\n");
  EXPECT_TRUE(layer(10).holdLastFrame());
  EXPECT_TRUE(layer(10).animating());
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_EQ(errors()[0], "パラメータが不正|SPIN");

  // sp_wait on an empty slot does not hang.
  runScript("sp_wait 2\n");
  runScript("mono 10 SET\n");
  EXPECT_TRUE(layer(10).monochrome());
  runScript("mono 10 RESET\nmono 999 SET\n");
  EXPECT_FALSE(layer(10).monochrome());
}

}  // namespace
}  // namespace ml::test
