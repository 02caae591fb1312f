// Moves and level changes of single layers: straight moves frame by frame, self-running
// moves with their wait, vertical moves and scroll, gradual alpha.
#include <utility>

#include "engine/poll.h"
#include "scene_fixture.h"

namespace ml::test {
namespace {

class MotionTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    character("s", 100, 100, 0, 0, 100, 100, 0, 200, 0);
    runScript("sp 0 s FADE_NONE\n");
  }
  std::vector<std::pair<int, int>> track() {
    positions.clear();
    platform.onPresent = [this] { positions.emplace_back(layer(10).x(), layer(10).y()); };
    return positions;
  }
  std::vector<std::pair<int, int>> positions;
};

using Positions = std::vector<std::pair<int, int>>;

TEST_F(MotionTest, StraightMoveReachesItsTarget) {
  track();
  runScript("move_xyposi 1 100 50 4\n");
  EXPECT_EQ(positions, (Positions{{25, 12}, {50, 25}, {75, 37}, {100, 50}}));
  EXPECT_EQ(state().layerX[1], 100);
  EXPECT_EQ(state().layerY[1], 50);
  EXPECT_EQ(shownPixel(150, 100), 0x00C800u);

  // Backwards, and a frame count below 1 moves in one frame.
  track();
  runScript("move_xyposi 1 0 50 0\n");
  EXPECT_EQ(positions, (Positions{{0, 50}}));
  // No distance: at once.
  track();
  runScript("move_xyposi 1 0 50 10\n");
  EXPECT_EQ(positions.size(), 1u);

  // A layer without a picture still takes its frames (it moves from 800, 600).
  const auto frames = platform.presentedFrames();
  runScript("move_xyposi 2 400 300 5\n");
  EXPECT_EQ(platform.presentedFrames() - frames, 5u);
  EXPECT_EQ(state().layerX[2], 400);
  EXPECT_TRUE(layer(12).empty());
}

TEST_F(MotionTest, StraightMoveJumpsToTheTargetWhenCut) {
  track();
  polls = 0;
  onPoll = [&] {
    if (polls == 3) platform.setCtrlHeld(true);
  };
  runScript("move_xyposi 1 300 0 30\n");
  EXPECT_EQ(positions, (Positions{{10, 0}, {20, 0}, {300, 0}}));
}

TEST_F(MotionTest, SelfRunningMoveAndItsWait) {
  const auto frames = platform.presentedFrames();
  runScript("move_xyset 1 100 0 10 26 0\n");
  EXPECT_EQ(platform.presentedFrames(), frames);  // returns at once
  EXPECT_EQ(state().layerX[1], 100);
  EXPECT_EQ(state().layerFade[1], 255);
  EXPECT_EQ(layer(10).fadeStep(), 26);
  track();
  runScript("move_xywait 1\n");
  // Ten frames of moving, the last one passing the target.
  EXPECT_GE(positions.size(), 8u);
  EXPECT_LE(positions.size(), 11u);
  EXPECT_EQ(layer(10).x(), 100);
  EXPECT_EQ(layer(10).fade(), 255);
  EXPECT_EQ(layer(10).velocityX(), 0);
  EXPECT_EQ(layer(10).fadeStep(), 0);

  // Cut short, the move and the ramps jump to their ends.
  runScript("move_xyset 1 0 0 100 0 -5\n");
  EXPECT_EQ(state().layerAlpha[1], 0);
  platform.setCtrlHeld(true);
  runScript("move_xywait 1\n");
  EXPECT_EQ(layer(10).x(), 0);
  EXPECT_EQ(layer(10).alpha(), 0);
  EXPECT_EQ(layer(10).alphaStep(), 0);
}

TEST_F(MotionTest, SelfRunningMoveInFastForwardSetsTheEnd) {
  sc().fastForward = true;
  runScript("move_xyset 1 40 30 10 -3 5\n");
  EXPECT_EQ(layer(10).x(), 40);
  EXPECT_EQ(layer(10).y(), 30);
  EXPECT_EQ(layer(10).fade(), 0);
  EXPECT_EQ(layer(10).alpha(), 255);
  EXPECT_EQ(layer(10).velocityX(), 0);
  EXPECT_EQ(state().layerFade[1], 0);
  runScript("move_xywait 1\n");
  EXPECT_EQ(platform.presentedFrames(), 1u);  // only the first placement's redraw
}

TEST_F(MotionTest, VerticalMovesAndScroll) {
  track();
  runScript("move_yposi 1 20 6\n");
  EXPECT_EQ(positions, (Positions{{0, 6}, {0, 12}, {0, 18}, {0, 20}}));
  track();
  runScript("move_yposi 1 0 -8\n");
  EXPECT_EQ(positions, (Positions{{0, 12}, {0, 4}, {0, 0}}));
  track();
  runScript("move_yposi 1 -50 0\n");  // a step of 0 would never arrive
  EXPECT_EQ(positions, (Positions{{0, -50}}));

  track();
  runScript("posi 1 0 -14\nscroll 1 SCROLL_DOWN\n");
  EXPECT_EQ(positions, (Positions{{0, -9}, {0, -4}, {0, 0}}));
  runScript("scroll 1 LEFT\n");
  EXPECT_EQ(errors().back(), "パラメータが不正|LEFT");
  sc().fastForward = true;
  runScript("posi 1 0 -90\nscroll 1 UP\nmove_yposi 1 33 1\n");
  EXPECT_EQ(layer(10).y(), 33);
}

TEST_F(MotionTest, GradualAlpha) {
  std::vector<int> levels;
  platform.onPresent = [&] { levels.push_back(layer(10).alpha()); };
  runScript("set_alpha2 1 0 100\n");
  EXPECT_EQ(levels, (std::vector<int>{155, 55, 0}));
  EXPECT_EQ(state().layerAlpha[1], 0);
  levels.clear();
  runScript("set_alpha2 1 200 -150\n");
  EXPECT_EQ(levels, (std::vector<int>{150, 200}));
  levels.clear();
  runScript("set_alpha2 1 10 0\n");  // no step: at once
  EXPECT_TRUE(levels.empty());
  EXPECT_EQ(layer(10).alpha(), 10);
  sc().fastForward = true;
  runScript("set_alpha2 1 90 1\nset_alpha 1 80\n");
  EXPECT_EQ(layer(10).alpha(), 10);  // only recorded
  EXPECT_EQ(state().layerAlpha[1], 80);
  sc().fastForward = false;
  // Held Ctrl does not cut the ramp short, as it would a move.
  levels.clear();
  platform.setCtrlHeld(true);
  runScript("set_alpha2 1 250 80\n");
  platform.setCtrlHeld(false);
  EXPECT_EQ(levels, (std::vector<int>{90, 170, 250}));
}

TEST_F(MotionTest, SpriteWaitEndsAtTheLastFrame) {
  character("anim", 10, 10, 0, 0, 10, 10, 1, 1, 1, 4);
  runScript("sp 1 anim FADE_NONE\n");
  const auto frames = platform.presentedFrames();
  runScript("sp_wait 1\n");
  EXPECT_TRUE(layer(12).isLastFrame());
  EXPECT_LE(platform.presentedFrames() - frames, 4u);
}

}  // namespace
}  // namespace ml::test
