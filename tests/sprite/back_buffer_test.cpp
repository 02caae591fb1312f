#include "media/gfx/back_buffer.h"

#include <gtest/gtest.h>

#include "media/gfx/sprite.h"
#include "pictures/picture_fixture.h"
#include "recording_ops.h"

namespace ml::test {
namespace {

class BackBufferTest : public PictureTest {
 protected:
  BackBufferTest() {
    EXPECT_TRUE(back.create());
    for (int i = 0; i < 260; ++i) layers.emplace_back(media, i);
  }

  // An opaque one-colour box (drawn as a plain copy) in a slot.
  void box(int slot, int x, int y, int w, int h, std::uint32_t colour) {
    Sprite& s = layers[slot];
    ASSERT_TRUE(s.makeBox(w, h));
    s.surface()->fill(colour);
    s.setPosition(x, y);
  }
  std::uint32_t at(int x, int y) { return back.pixels()[y * 800 + x] & 0xFFFFFFu; }

  BackBuffer back{media};
  std::vector<Sprite> layers;
  PixelOps ops = recordingOps();
};

TEST_F(BackBufferTest, SlotsAreDrawnInOrder) {
  box(0, 0, 0, 800, 600, 0xFF102030u);
  box(12, 10, 10, 20, 20, 0xFF00FF00u);
  box(5, 15, 15, 20, 20, 0xFFFF0000u);  // below slot 12
  box(40, 25, 25, 20, 20, 0xFF0000FFu);  // the interface, above everything
  ASSERT_TRUE(back.compose(layers, ops));
  EXPECT_EQ(at(0, 0), 0x102030u);
  EXPECT_EQ(at(16, 16), 0x00FF00u);
  EXPECT_EQ(at(32, 32), 0x0000FFu);
  EXPECT_EQ(at(34, 20), 0xFF0000u);
  layers[12].setVisible(false);
  ASSERT_TRUE(back.compose(layers, ops));
  EXPECT_EQ(at(16, 16), 0xFF0000u);
}

TEST_F(BackBufferTest, HoldKeepsTheLastFrameAndSolidFillReplacesIt) {
  box(0, 0, 0, 100, 100, 0xFFAA0000u);
  ASSERT_TRUE(back.compose(layers, ops));
  layers[0].surface()->fill(0xFF00AA00u);
  back.setHold(1);
  ASSERT_TRUE(back.compose(layers, ops));
  EXPECT_EQ(at(5, 5), 0xAA0000u);
  back.setHold(999);
  EXPECT_EQ(back.hold(), 255);
  back.setHold(-3);
  EXPECT_EQ(back.hold(), 0);
  ASSERT_TRUE(back.compose(layers, ops));
  EXPECT_EQ(at(5, 5), 0x00AA00u);

  back.setSolidFill(true, 1, 2, 3);
  back.setHold(50);  // solid fill wins over the hold
  ASSERT_TRUE(back.compose(layers, ops));
  for (int i : {0, 1234, 479999}) EXPECT_EQ(back.pixels()[i], 0x00010203u);
}

TEST_F(BackBufferTest, ClearsBelowPicturesThatDoNotCoverTheScreen) {
  box(0, 0, 0, 800, 600, 0xFF336699u);
  ASSERT_TRUE(back.compose(layers, ops));
  // Moving one pixel right uncovers column 0, which must come out black.
  layers[0].setTarget(50, 0);
  layers[0].setVelocity(65536, 0);
  ASSERT_TRUE(back.compose(layers, ops));
  EXPECT_EQ(at(0, 300), 0u);
  EXPECT_EQ(at(1, 300), 0x336699u);
}

// Composition may leave out the clear below an opaque full-screen picture; the result
// must be the same as with the clear, whatever the frame held before.
TEST_F(BackBufferTest, OpaqueFullScreenPictureGivesTheSameFrameWithoutTheClear) {
  for (const PixelOps* set : {&portablePixelOps(), &fastPixelOps()}) {
    struct Case {
      bool alphaFlag;
      int fade;
      std::uint32_t hole;  // one pixel of the picture
    } cases[] = {
        {true, 255, 0xFF808080u}, {true, 100, 0xFF808080u}, {true, 255, 0x00808080u},
        {true, 255, 0x7F808080u}, {false, 255, 0x00808080u}, {false, 60, 0x00808080u},
    };
    for (const Case& c : cases) {
      box(0, 0, 0, 800, 600, 0xFF4080C0u);
      layers[0].surface()->pixels(0)[1000] = c.hole;
      layers[0].setAlphaFlag(c.alphaFlag);
      layers[0].setFade(c.fade);
      EXPECT_EQ(layers[0].coversTarget(800, 600), !c.alphaFlag || c.hole >> 24 == 255);
      std::fill(back.pixels(), back.pixels() + kFramePixels, 0u);
      ASSERT_TRUE(back.compose(layers, *set));
      std::vector<std::uint32_t> clean(back.pixels(), back.pixels() + kFramePixels);
      std::fill(back.pixels(), back.pixels() + kFramePixels, 0xDEADBEEFu);
      ASSERT_TRUE(back.compose(layers, *set));
      for (std::size_t i = 0; i < kFramePixels; ++i)
        ASSERT_EQ(back.pixels()[i] & 0xFFFFFFu, clean[i] & 0xFFFFFFu)
            << set->name << " flag " << c.alphaFlag << " fade " << c.fade << " pixel " << i;
    }
  }
}

TEST_F(BackBufferTest, LetterboxBandsCoverTheSceneButNotTheInterface) {
  box(0, 0, 0, 800, 600, 0xFFFFFFFFu);
  box(30, 0, 0, 10, 600, 0xFF00FF00u);
  ASSERT_TRUE(back.compose(layers, ops, SceneShade{80 / 8, 560 / 8, 0}));
  EXPECT_EQ(at(100, 0), 0u);
  EXPECT_EQ(at(100, 79), 0u);
  EXPECT_EQ(at(100, 80), 0xFFFFFFu);
  EXPECT_EQ(at(100, 559), 0xFFFFFFu);
  EXPECT_EQ(at(100, 560), 0u);
  EXPECT_EQ(at(100, 599), 0u);
  EXPECT_EQ(at(5, 0), 0x00FF00u);
  EXPECT_EQ(at(5, 599), 0x00FF00u);
  // No top band: nothing is painted, whatever the bottom.
  ASSERT_TRUE(back.compose(layers, ops, SceneShade{0, 560 / 8, 0}));
  EXPECT_EQ(at(100, 599), 0xFFFFFFu);
  // Bands beyond the frame are clipped to it.
  ASSERT_TRUE(back.compose(layers, ops, SceneShade{255, 255, 0}));
  EXPECT_EQ(at(100, 599), 0u);
  EXPECT_EQ(at(5, 300), 0x00FF00u);
}

TEST_F(BackBufferTest, DarkeningDimsTheSceneWithEitherPixelSet) {
  box(0, 0, 0, 800, 600, 0xFFC8C8C8u);  // 200
  box(31, 0, 0, 10, 10, 0xFFC8C8C8u);
  for (const PixelOps* set : {&portablePixelOps(), &fastPixelOps()}) {
    // The stored byte holds half the level; -128 is the darkest.
    ASSERT_TRUE(back.compose(layers, *set, SceneShade::fromStateBytes(0x80, 0, 0)));
    EXPECT_EQ(at(100, 100), 0u) << set->name;
    EXPECT_EQ(at(5, 5), 0xC8C8C8u) << set->name;  // the interface stays bright
    // 255 as stored at the start of a game reads as -1: 200 * 253 / 256.
    ASSERT_TRUE(back.compose(layers, *set, SceneShade::fromStateBytes(0xFF, 0, 0)));
    EXPECT_EQ(at(100, 100), 0xC5C5C5u) << set->name;
    ASSERT_TRUE(back.compose(layers, *set, SceneShade::fromStateBytes(0, 0, 0)));
    EXPECT_EQ(at(100, 100), 0xC8C8C8u) << set->name;
  }
  opCalls().clear();
  ASSERT_TRUE(back.compose(layers, ops, SceneShade::fromStateBytes(0xC0, 0, 0)));
  bool darkened = false;
  for (const OpCall& c : opCalls())
    if (c.name == "darkenFrame") {
      darkened = true;
      EXPECT_EQ(c.level, -128);
    }
  EXPECT_TRUE(darkened);
}

TEST_F(BackBufferTest, PresentationSettings) {
  back.setShake(-10);
  back.setShakeX(4);
  back.setHold(128);
  back.setWindowed(false);
  PresentRequest r = back.presentRequest();
  EXPECT_EQ(r.pixels, back.pixels());
  EXPECT_EQ(r.shakeY, -10);
  EXPECT_EQ(r.shakeX, 4);
  EXPECT_EQ(r.zoom, 128);
  EXPECT_FALSE(r.suppressed);
  EXPECT_TRUE(back.presentRequest(true).suppressed);
  EXPECT_FALSE(back.isWindowed());
  BackBuffer none(media);
  EXPECT_FALSE(none.compose(layers, ops));
  EXPECT_TRUE(none.presentRequest().suppressed);
}

TEST_F(BackBufferTest, SelfRunningChangesAdvanceOncePerComposition) {
  box(0, 0, 0, 800, 600, 0xFF000000u);
  box(10, 0, 0, 40, 40, 0xFF00FF00u);
  layers[10].setFade(0);
  layers[10].setFadeStep(64);
  layers[10].setTarget(30, 0);
  layers[10].setVelocity(10 << 16, 0);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(back.compose(layers, ops));
  EXPECT_EQ(layers[10].x(), 30);
  EXPECT_EQ(layers[10].fade(), 192);
  back.setHold(1);
  ASSERT_TRUE(back.compose(layers, ops));  // held: nothing is drawn, nothing moves
  EXPECT_EQ(layers[10].fade(), 192);
}

}  // namespace
}  // namespace ml::test
