#include "media/gfx/layer_table.h"

#include <gtest/gtest.h>

#include "media/gfx/back_buffer.h"
#include "pictures/picture_fixture.h"
#include "recording_ops.h"

namespace ml::test {
namespace {

class LayerTableTest : public PictureTest {
 protected:
  LayerTable layers{media};
};

// A slot number from a damaged save or an odd script argument must never reach memory
// outside the table, and whatever is put into the stand-in must never be shown.
TEST_F(LayerTableTest, SlotsOutsideTheTableGetAnEmptySpareThatIsNeverDrawn) {
  BackBuffer back{media};
  ASSERT_TRUE(back.create());
  for (int slot : {-1, -260, 260, 261, 100000}) {
    Sprite& spare = layers[slot];
    EXPECT_TRUE(spare.empty()) << slot;
    ASSERT_TRUE(spare.makeBox(800, 600)) << slot;
    spare.surface()->fill(0xFFFF0000u);
    spare.setVisible(true);
  }
  EXPECT_TRUE(layers[-1].empty()) << "the spare is emptied whenever it is handed out again";
  layers[-1].makeBox(800, 600);
  PixelOps ops = recordingOps();
  ASSERT_TRUE(back.compose(layers.all(), ops));
  EXPECT_EQ(back.pixels()[0] & 0xFFFFFFu, 0u);

  layers.clear(-5);
  layers.clear(kLayerSlotCount);
  EXPECT_EQ(&layers[kLayerSlotCount - 1], &*(layers.end() - 1));
}

TEST_F(LayerTableTest, EverySlotKnowsItsNumberAndClearAllEmptiesThem) {
  int index = 0;
  for (Sprite& s : layers) {
    EXPECT_EQ(&s, &layers[index]);
    ASSERT_TRUE(s.makeBox(2, 2));
    ++index;
  }
  EXPECT_EQ(index, kLayerSlotCount);
  layers.clear(kSpriteSlot1);
  EXPECT_TRUE(layers[kSpriteSlot1].empty());
  EXPECT_FALSE(layers[kSpriteSlot2].empty());
  layers.clearAll();
  for (Sprite& s : layers) EXPECT_TRUE(s.empty());
}

}  // namespace
}  // namespace ml::test
