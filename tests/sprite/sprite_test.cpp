#include "media/gfx/sprite.h"

#include <gtest/gtest.h>

#include "media/formats/bmp.h"
#include "media/text/text_rules.h"
#include "pictures/picture_fixture.h"
#include "recording_ops.h"
#include "tools/common/psd_writer.h"

namespace ml::test {
namespace {

class SpriteTest : public PictureTest {
 protected:
  SpriteTest() { target.create(800, 600, 1); }

  // A box whose frame f is filled with colour base + f and alpha as given.
  void fillBox(Sprite& s, std::uint32_t base) {
    Surface* surf = s.surface();
    for (int f = 0; f < surf->frameCount(); ++f) {
      std::uint32_t* p = surf->pixels(f);
      for (int i = 0; i < surf->width() * surf->height(); ++i) p[i] = base + std::uint32_t(f);
      surf->computeContent(f);
    }
  }
  void drawTimes(Sprite& s, int n) {
    for (int i = 0; i < n; ++i) s.draw(target, ops);
  }
  std::vector<int> framesOver(Sprite& s, int n) {
    std::vector<int> out;
    for (int i = 0; i < n; ++i) {
      s.draw(target, ops);
      out.push_back(s.currentFrame());
    }
    return out;
  }

  Surface target{media};
  PixelOps ops = recordingOps();
  Sprite sprite{media, 7};
};

TEST_F(SpriteTest, EmptySpriteIgnoresSettersAndReportsItsDefaults) {
  EXPECT_TRUE(sprite.empty());
  EXPECT_FALSE(sprite.setPosition(1, 2));
  EXPECT_FALSE(sprite.setFade(3));
  EXPECT_FALSE(sprite.setAlpha(3));
  EXPECT_FALSE(sprite.setVisible(true));
  EXPECT_FALSE(sprite.setFrame(1));
  EXPECT_FALSE(sprite.setVelocity(1, 1));
  EXPECT_FALSE(sprite.setMosaic(30));
  EXPECT_EQ(sprite.x(), 800);
  EXPECT_EQ(sprite.y(), 600);
  EXPECT_EQ(sprite.currentFrame(), -1);
  EXPECT_EQ(sprite.frameCount(), -1);
  EXPECT_EQ(sprite.fade(), 255);
  EXPECT_EQ(sprite.rawTargetX(), 10000);
  EXPECT_FALSE(sprite.visible());
  EXPECT_EQ(sprite.draw(target, ops), 0);
  EXPECT_FALSE(sprite.hitTest(0, 0));
  // The board mode works on an empty sprite too.
  settings.window.alpha = 77;
  sprite.setBoardMode(1);
  EXPECT_EQ(sprite.alpha(), 77);
  sprite.setBoardMode(2);
  EXPECT_EQ(sprite.alpha(), 255);
  EXPECT_EQ(sprite.slot(), 7);
}

TEST_F(SpriteTest, MovesTowardsItsTargetAndStopsThere) {
  ASSERT_TRUE(sprite.makeBox(4, 4));
  sprite.setPosition(0, 50);
  sprite.setTarget(10, 50);
  sprite.setVelocity(65536, 0);
  drawTimes(sprite, 10);
  EXPECT_EQ(sprite.x(), 10);
  EXPECT_EQ(sprite.velocityX(), 65536);  // exactly on the target, not past it
  drawTimes(sprite, 1);
  EXPECT_EQ(sprite.x(), 10);
  EXPECT_EQ(sprite.velocityX(), 0);

  // Upwards by one and a half pixels per composition.
  sprite.setPosition(100, 100);
  sprite.setTarget(100, 90);
  sprite.setVelocity(0, -98304);
  drawTimes(sprite, 6);
  EXPECT_EQ(sprite.rawY(), (100 << 16) - 6 * 98304);
  drawTimes(sprite, 1);
  EXPECT_EQ(sprite.y(), 90);
  EXPECT_EQ(sprite.velocityY(), 0);
}

TEST_F(SpriteTest, FadeAndAlphaStepsStopAtTheirEnds) {
  ASSERT_TRUE(sprite.makeBox(4, 4));
  sprite.setFade(0);
  sprite.setFadeStep(16);
  sprite.setAlpha(255);
  sprite.setAlphaStep(-100);
  drawTimes(sprite, 15);
  EXPECT_EQ(sprite.fade(), 240);
  EXPECT_EQ(sprite.alpha(), 0);
  EXPECT_EQ(sprite.alphaStep(), 0);
  drawTimes(sprite, 1);
  EXPECT_EQ(sprite.fade(), 255);  // 256 becomes 255
  EXPECT_EQ(sprite.fadeStep(), 0);
  EXPECT_TRUE(sprite.setFade(400));
  EXPECT_EQ(sprite.fade(), 255);
  EXPECT_TRUE(sprite.setAlpha(-4));
  EXPECT_EQ(sprite.alpha(), 0);
}

TEST_F(SpriteTest, AnimationModes) {
  ASSERT_TRUE(sprite.makeBox(4, 4, 4));
  fillBox(sprite, 0xFF000000u);
  EXPECT_EQ(framesOver(sprite, 6), (std::vector<int>{1, 2, 3, 0, 1, 2}));  // loop

  sprite.setFrame(0);
  sprite.setLoopStart(2);
  EXPECT_EQ(framesOver(sprite, 6), (std::vector<int>{1, 2, 3, 2, 3, 2}));

  sprite.setFrame(0);
  sprite.setHoldLastFrame(true);
  EXPECT_EQ(framesOver(sprite, 5), (std::vector<int>{1, 2, 3, 3, 3}));
  EXPECT_TRUE(sprite.isLastFrame());

  sprite.setHoldLastFrame(false);
  sprite.setLoopStart(0);
  sprite.setReverse(true);
  EXPECT_EQ(framesOver(sprite, 5), (std::vector<int>{2, 1, 0, 3, 2}));
  sprite.setHoldLastFrame(true);
  EXPECT_EQ(framesOver(sprite, 4), (std::vector<int>{1, 0, 0, 0}));

  sprite.setReverse(false);
  sprite.setHoldLastFrame(false);
  sprite.setFrame(0);
  sprite.setPingPong(true);
  EXPECT_EQ(framesOver(sprite, 8), (std::vector<int>{1, 2, 3, 2, 1, 0, 1, 2}));
  sprite.setPingPong(false);
  EXPECT_EQ(sprite.frameStep(), 1);

  sprite.setFrame(0);
  sprite.setFrameDelay(3);
  EXPECT_EQ(framesOver(sprite, 7), (std::vector<int>{0, 0, 1, 1, 1, 2, 2}));

  sprite.setAnimating(false);
  EXPECT_EQ(framesOver(sprite, 4), (std::vector<int>{2, 2, 2, 2}));

  // setFrame: beyond the end means the last frame; 0 or less restarts forwards.
  EXPECT_TRUE(sprite.setFrame(99));
  EXPECT_EQ(sprite.currentFrame(), 3);
  sprite.setReverse(true);
  sprite.setFrame(-5);
  EXPECT_EQ(sprite.currentFrame(), 0);
  EXPECT_EQ(sprite.frameStep(), 1);
}

TEST_F(SpriteTest, AnimationStaysWithinTheFramesAndStopsOffScreen) {
  ASSERT_TRUE(sprite.makeBox(4, 4, 1));
  fillBox(sprite, 0xFF000000u);
  sprite.setPingPong(true);
  for (int f : framesOver(sprite, 5)) EXPECT_EQ(f, 0);

  ASSERT_TRUE(sprite.makeBox(4, 4, 3));
  fillBox(sprite, 0xFF000000u);
  sprite.setPosition(900, 0);
  EXPECT_EQ(framesOver(sprite, 3), (std::vector<int>{0, 0, 0}));
  EXPECT_FALSE(sprite.empty());

  // A frame with no visible pixel draws nothing but the animation goes through it.
  ASSERT_TRUE(sprite.makeBox(4, 4, 3));
  fillBox(sprite, 0xFF000000u);
  std::fill(sprite.surface()->pixels(1), sprite.surface()->pixels(1) + 16, 0u);
  sprite.surface()->computeContent(1);
  sprite.setFrame(1);
  opCalls().clear();
  EXPECT_EQ(sprite.draw(target, ops), 0);
  EXPECT_TRUE(opCalls().empty());
  EXPECT_EQ(sprite.currentFrame(), 2);
}

TEST_F(SpriteTest, ReleasesItselfWhenItLeavesTheScreenDownwards) {
  ASSERT_TRUE(sprite.makeBox(10, 10));
  fillBox(sprite, 0xFF102030u);
  sprite.setReleaseOffScreen(true);
  sprite.setPosition(10, -20);  // wholly above: kept
  sprite.draw(target, ops);
  EXPECT_FALSE(sprite.empty());
  sprite.setPosition(10, 600);  // wholly below: released at the next composition
  sprite.draw(target, ops);
  EXPECT_TRUE(sprite.empty());
  EXPECT_FALSE(sprite.visible());
}

TEST_F(SpriteTest, DrawingRoutineFollowsTheSpriteState) {
  ASSERT_TRUE(sprite.makeBox(8, 6));
  fillBox(sprite, 0x80405060u);
  sprite.setPosition(100, 200);
  const std::uint32_t* dst = target.pixels(0) + 200 * 800 + 100;
  const std::uint32_t* src = sprite.surface()->pixels(0);
  struct Case {
    bool alphaFlag;
    int alpha, fade, mosaic, rotation;
    bool mono;
    const char* routine;
    int level;
  } cases[] = {
      {true, 255, 255, 0, 0, false, "blendAlpha", -1},
      {true, 255, 90, 0, 0, false, "blendAlphaDarkened", 90},
      {true, 120, 90, 0, 0, false, "blendAlphaScaled", 120},
      {true, 0, 255, 0, 0, false, nullptr, 0},
      {true, 255, 255, 200, 30, true, "blendAlpha", -1},  // alpha wins over the rest
      {false, 255, 255, 0, 0, true, "copyGrey", -1},
      {false, 10, 30, 200, 30, true, "copyGrey", -1},
      {false, 255, 255, 0, 0, false, "copyPixels", -1},
      {false, 255, 40, 0, 0, false, "copyDarkened", 40},
      {false, 255, 255, 15, 0, false, "copyPixels", -1},
      {false, 255, 255, 16, 0, false, "copyMosaic", 2},
      {false, 255, 255, 255, 90, false, "copyMosaic", 16},
  };
  for (const Case& c : cases) {
    sprite.setAlphaFlag(c.alphaFlag);
    sprite.setAlpha(c.alpha);
    sprite.setFade(c.fade);
    sprite.setMosaic(c.mosaic);
    sprite.setRotation(c.rotation);
    sprite.setMonochrome(c.mono);
    opCalls().clear();
    sprite.draw(target, ops);
    if (!c.routine) {
      EXPECT_TRUE(opCalls().empty());
      continue;
    }
    ASSERT_EQ(opCalls().size(), 1u) << c.routine;
    const OpCall& call = opCalls()[0];
    EXPECT_EQ(call.name, c.routine);
    EXPECT_EQ(call.level, c.level) << c.routine;
    EXPECT_EQ(call.dst, dst);
    EXPECT_EQ(call.dstPitch, 800);
    EXPECT_EQ(call.src, src);
    EXPECT_EQ(call.srcPitch, 8);
    EXPECT_EQ(call.width, 8);
    EXPECT_EQ(call.rows, 6);
  }
}

TEST_F(SpriteTest, RotationTurnsAWholeScreenPictureOnly) {
  ASSERT_TRUE(sprite.makeBox(800, 600));
  sprite.setRotation(370);
  opCalls().clear();
  sprite.draw(target, ops);
  ASSERT_EQ(opCalls().size(), 1u);
  EXPECT_EQ(opCalls()[0].name, "copyRotated");
  EXPECT_EQ(opCalls()[0].level, 10);
  EXPECT_EQ(opCalls()[0].dst, target.pixels(0));
  // A smaller picture cannot be turned about the screen's centre: drawn unturned.
  ASSERT_TRUE(sprite.makeBox(50, 40));
  sprite.setRotation(45);
  opCalls().clear();
  sprite.draw(target, ops);
  ASSERT_EQ(opCalls().size(), 1u);
  EXPECT_EQ(opCalls()[0].name, "copyPixels");
}

TEST_F(SpriteTest, DrawsOnlyTheContentRectangleClippedToTheTarget) {
  tools::RgbaImage img(40, 30, 0, 0, 0, 0);
  for (int y = 5; y < 25; ++y)
    for (int x = 10; x < 30; ++x) img.set(x, y, 200, 100, 50, 255);
  std::vector<tools::PsdLayer> layers(1);
  layers[0].image = img;
  writeGameFile("cg/part.psd", tools::writeLayeredPsd(40, 30, layers, tools::PsdCompression::Raw));
  ASSERT_TRUE(sprite.loadPicture("cg\\part.psd", 1234));
  EXPECT_EQ(sprite.loadTime(), 1234u);
  EXPECT_EQ(sprite.name(), "cg\\part.psd");
  EXPECT_TRUE(sprite.visible());
  EXPECT_TRUE(sprite.alphaFlag());
  sprite.setPosition(-15, -8);  // content starts at (-5, -3) on the target
  opCalls().clear();
  sprite.draw(target, ops);
  ASSERT_EQ(opCalls().size(), 1u);
  const OpCall& c = opCalls()[0];
  EXPECT_EQ(c.dst, target.pixels(0));
  EXPECT_EQ(c.src, sprite.surface()->pixels(0) + 8 * 40 + 15);
  EXPECT_EQ(c.width, 15);
  EXPECT_EQ(c.rows, 17);
  sprite.setPosition(780, 590);  // content from (790, 595): 10 x 5 remain
  opCalls().clear();
  sprite.draw(target, ops);
  ASSERT_EQ(opCalls().size(), 1u);
  EXPECT_EQ(opCalls()[0].dst, target.pixels(0) + 595 * 800 + 790);
  EXPECT_EQ(opCalls()[0].width, 10);
  EXPECT_EQ(opCalls()[0].rows, 5);
}

TEST_F(SpriteTest, HitTestNeedsAVisibleOpaquePixel) {
  ASSERT_TRUE(sprite.makeBox(10, 10, 2));
  sprite.surface()->pixels(0)[3 * 10 + 4] = 0x01000000u;
  sprite.surface()->pixels(1)[3 * 10 + 5] = 0xFF000000u;
  sprite.setPosition(100, 50);
  EXPECT_TRUE(sprite.hitTest(104, 53));
  EXPECT_FALSE(sprite.hitTest(105, 53));
  EXPECT_FALSE(sprite.hitTest(99, 50));
  EXPECT_FALSE(sprite.hitTest(110, 53));
  sprite.setFrame(1);
  EXPECT_TRUE(sprite.hitTest(105, 53));
  sprite.setVisible(false);
  EXPECT_FALSE(sprite.hitTest(105, 53));
}

TEST_F(SpriteTest, MessageBoxUsesTheWindowColourAndOpacity) {
  settings.window.red = 10;
  settings.window.green = 20;
  settings.window.blue = 30;
  settings.window.alpha = 140;
  ASSERT_TRUE(sprite.makeMessageBox(16, 420, 768, 160));
  EXPECT_EQ(sprite.name(), "MESSAGE_BOX");
  EXPECT_EQ(sprite.x(), 16);
  EXPECT_EQ(sprite.y(), 420);
  EXPECT_EQ(sprite.alpha(), 140);
  EXPECT_EQ(sprite.fade(), 255);
  EXPECT_TRUE(sprite.alphaFlag());
  EXPECT_EQ(sprite.surface()->pixels(0)[768 * 160 - 1], 0xFF0A141Eu);
  opCalls().clear();
  sprite.draw(target, ops);
  ASSERT_EQ(opCalls().size(), 1u);
  EXPECT_EQ(opCalls()[0].name, "blendAlphaScaled");
  EXPECT_EQ(opCalls()[0].level, 140);
  ASSERT_TRUE(sprite.makeMessageBox(0, 0, 4, 4, 0, 0, 0));
  EXPECT_EQ(sprite.surface()->pixels(0)[0], 0xFF000000u);
  EXPECT_FALSE(sprite.makeMessageBox(0, 0, 0, 4));
  EXPECT_EQ(sites(), (std::vector<int>{155, 352}));
  EXPECT_EQ(lastMessage(), "メッセージボックスが作れません");
  EXPECT_FALSE(sprite.makeBox(-1, 4));
  EXPECT_EQ(lastMessage(), "ボックスが作れません");
  EXPECT_EQ(reporter.entries.back().number, 299);
}

TEST_F(SpriteTest, FailedLoadIsReportedAfterTheLoaderAndLeavesTheSpriteEmpty) {
  ASSERT_TRUE(sprite.makeBox(4, 4));
  EXPECT_FALSE(sprite.loadPicture("cg\\nothing.psd"));
  EXPECT_EQ(sites(), (std::vector<int>{284, 234}));
  EXPECT_EQ(lastMessage(), "ファイルが開けません");
  EXPECT_EQ(lastDetail(), "cg\\nothing.psd");
  EXPECT_TRUE(sprite.empty());
  EXPECT_FALSE(sprite.visible());
}

TEST_F(SpriteTest, LoadResetsTheProperties) {
  writeGameFile("cg/a.bmp", [] {
    std::uint32_t px[4] = {0xFF010203u, 0xFF040506u, 0xFF070809u, 0xFF0A0B0Cu};
    return encodeBmp(px, 2, 2, 0, false);
  }());
  ASSERT_TRUE(sprite.makeBox(4, 4, 3));
  sprite.setPosition(5, 6);
  sprite.setFade(10);
  sprite.setAlpha(20);
  sprite.setVelocity(3, 3);
  sprite.setFrame(2);
  sprite.setAnimating(false);
  sprite.setMosaic(99);
  ASSERT_TRUE(sprite.loadPicture("cg\\a.bmp"));
  EXPECT_EQ(sprite.x(), 0);
  EXPECT_EQ(sprite.fade(), 255);
  EXPECT_EQ(sprite.alpha(), 255);
  EXPECT_EQ(sprite.velocityX(), 0);
  EXPECT_EQ(sprite.currentFrame(), 0);
  EXPECT_EQ(sprite.frameCount(), 1);
  EXPECT_TRUE(sprite.animating());
  EXPECT_EQ(sprite.mosaic(), 0);
  EXPECT_EQ(sprite.width(), 2);
  EXPECT_EQ(sprite.height(), 2);
}

TEST_F(SpriteTest, CopiesBetweenPictures) {
  ASSERT_TRUE(sprite.makeBox(6, 4));
  for (int i = 0; i < 24; ++i) sprite.surface()->pixels(0)[i] = std::uint32_t(i + 1);
  Surface other(media);
  ASSERT_TRUE(other.create(5, 5, 2));
  EXPECT_TRUE(sprite.copyRectTo(other, 3, 1, 10, 2));  // clipped to 2 x 2
  EXPECT_EQ(other.pixels(0)[1 * 5 + 3], 10u);
  EXPECT_EQ(other.pixels(0)[2 * 5 + 4], 17u);
  EXPECT_EQ(other.pixels(0)[1 * 5 + 2], 0u);

  for (int i = 0; i < 25; ++i) other.pixels(1)[i] = 100u + std::uint32_t(i);
  EXPECT_TRUE(sprite.copyFrom(other, 2, 3, 1, 0, -1, -1));  // 6 x 4 wanted, 3 x 2 there
  EXPECT_EQ(sprite.surface()->pixels(0)[0], 117u);
  EXPECT_EQ(sprite.surface()->pixels(0)[2], 119u);
  EXPECT_EQ(sprite.surface()->pixels(0)[3], 4u);
  EXPECT_EQ(sprite.surface()->pixels(0)[6], 122u);
  EXPECT_EQ(sprite.surface()->pixels(0)[12], 13u);

  EXPECT_FALSE(sprite.copyFrom(other, 0, 0, 2, 0, 1, 1));
  EXPECT_EQ(sites(), std::vector<int>{1486});
  EXPECT_EQ(lastMessage(), "ソースのデータがありません");
  Sprite blank(media, 3);
  EXPECT_FALSE(blank.copyFrom(other, 0, 0, 0, 0, 1, 1));
  EXPECT_EQ(reporter.entries.back().number, 1494);
  EXPECT_EQ(lastMessage(), "データが初期化されてません");
}

TEST_F(SpriteTest, TintAndHsvChangeFrameZero) {
  ASSERT_TRUE(sprite.makeBox(2, 1, 2));
  sprite.surface()->pixels(0)[0] = 0x80644B32u;  // r 100, g 75, b 50
  sprite.surface()->pixels(1)[0] = 0x80644B32u;
  EXPECT_TRUE(sprite.tint(50, 0, -100));
  EXPECT_EQ(sprite.surface()->pixels(0)[0], 0x80964B00u);
  EXPECT_EQ(sprite.surface()->pixels(1)[0], 0x80644B32u);
  EXPECT_TRUE(sprite.shiftHsv(0, 0, -100));
  EXPECT_EQ(sprite.surface()->pixels(0)[0], 0x80000000u);
  Sprite blank(media, 3);
  EXPECT_FALSE(blank.tint(1, 1, 1));
}

TEST_F(SpriteTest, SwappingKeepsTheSlots) {
  Sprite other(media, 11);
  ASSERT_TRUE(sprite.makeBox(3, 3));
  sprite.setPosition(40, 2);
  sprite.swapContents(other);
  EXPECT_TRUE(sprite.empty());
  EXPECT_EQ(other.x(), 40);
  EXPECT_EQ(other.slot(), 11);
  EXPECT_EQ(sprite.slot(), 7);
}

TEST_F(SpriteTest, TextSpriteDrawsThroughTheTextLayout) {
  // No font: laid out but not drawn, so the layout's own reports show.
  ASSERT_TRUE(sprite.setText(SJ("あいう\\xえお"), nullptr, 0xFFFFFF, 24, 20, 4, true));
  EXPECT_TRUE(sprite.isText());
  EXPECT_TRUE(sprite.visible());
  EXPECT_EQ(sprite.width(), 20);
  EXPECT_EQ(sprite.height(), 4);
  EXPECT_EQ(sprite.twoByteCount(), 5);
  EXPECT_EQ(sprite.reveal(), Sprite::kRevealAll);
  EXPECT_TRUE(sprite.setPosition(30, 40));
  sprite.draw(target, ops);
  sprite.draw(target, ops);  // the bad escape is blanked: reported once
  EXPECT_EQ(sites(), std::vector<int>{1227});
  EXPECT_EQ(lastDetail(), "[x]");
  EXPECT_EQ(sprite.text(), SJ("あいう\\ えお"));

  // Three lines in a window of two rows: cut for good.
  reporter.entries.clear();
  ASSERT_TRUE(sprite.setText(SJ("あ\nい\nう"), nullptr, 0xFFFFFF, 24, 20, 2, true));
  sprite.draw(target, ops);
  EXPECT_EQ(sites(), std::vector<int>{1180});
  EXPECT_EQ(lastMessage(), "メッセージがあふれました");
  EXPECT_EQ(sprite.text(), SJ("あ\nい\n"));
  EXPECT_EQ(sprite.penY(), 28);
  sprite.draw(target, ops);
  EXPECT_EQ(reporter.entries.size(), 1u);
  sprite.release();
  EXPECT_FALSE(sprite.isText());
  EXPECT_TRUE(sprite.text().empty());
}

}  // namespace
}  // namespace ml::test
