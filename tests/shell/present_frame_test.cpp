#include "platform/present_frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace ml {
namespace {

// A frame whose pixel tells its own position: (x, y) packed.
std::vector<std::uint32_t> positionFrame() {
  std::vector<std::uint32_t> f(800 * 600);
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) f[y * 800 + x] = static_cast<std::uint32_t>(y << 12 | x);
  return f;
}

PresentRequest request(const std::vector<std::uint32_t>& f) {
  PresentRequest r;
  r.pixels = f.data();
  return r;
}

TEST(PresentPlan, PlainFrameIsCopiedWhole) {
  auto f = positionFrame();
  PresentPlan p = planPresent(request(f));
  EXPECT_TRUE(p.drawFrame);
  EXPECT_FALSE(p.hasBand);
  EXPECT_EQ(p.source, (Rect{0, 0, 800, 600}));
  EXPECT_EQ(p.target, (Rect{0, 0, 800, 600}));
}

TEST(PresentPlan, NothingWithoutFrameOrWhileSuppressed) {
  PresentRequest none;
  EXPECT_FALSE(planPresent(none).drawFrame);
  auto f = positionFrame();
  PresentRequest r = request(f);
  r.suppressed = true;
  r.shakeY = 10;
  PresentPlan p = planPresent(r);
  EXPECT_FALSE(p.drawFrame);
  EXPECT_FALSE(p.hasBand);
}

TEST(PresentPlan, VerticalShakeBandsAndHorizontalIgnored) {
  auto f = positionFrame();
  PresentRequest r = request(f);
  r.shakeY = -7;
  r.shakeX = 30;  // ignored while the frame shakes vertically
  PresentPlan up = planPresent(r);
  EXPECT_EQ(up.source, (Rect{0, 7, 800, 593}));
  EXPECT_EQ(up.target, (Rect{0, 0, 800, 593}));
  EXPECT_EQ(up.band, (Rect{0, 593, 800, 7}));
  r.shakeY = 7;
  PresentPlan down = planPresent(r);
  EXPECT_EQ(down.source, (Rect{0, 0, 800, 593}));
  EXPECT_EQ(down.target, (Rect{0, 7, 800, 593}));
  EXPECT_EQ(down.band, (Rect{0, 0, 800, 7}));
}

TEST(PresentPlan, HorizontalShakeBands) {
  auto f = positionFrame();
  PresentRequest r = request(f);
  r.shakeX = -12;
  PresentPlan left = planPresent(r);
  EXPECT_EQ(left.source, (Rect{12, 0, 788, 600}));
  EXPECT_EQ(left.target, (Rect{0, 0, 788, 600}));
  EXPECT_EQ(left.band, (Rect{788, 0, 12, 600}));
  r.shakeX = 12;
  PresentPlan right = planPresent(r);
  EXPECT_EQ(right.source, (Rect{0, 0, 788, 600}));
  EXPECT_EQ(right.target, (Rect{12, 0, 788, 600}));
  EXPECT_EQ(right.band, (Rect{0, 0, 12, 600}));
}

TEST(PresentPlan, ShakeBeyondTheFrameIsAllBlack) {
  auto f = positionFrame();
  PresentRequest r = request(f);
  r.shakeY = 5000;
  PresentPlan p = planPresent(r);
  EXPECT_FALSE(p.drawFrame);
  EXPECT_EQ(p.band, (Rect{0, 0, 800, 600}));
  std::vector<std::uint32_t> out;
  renderPresent(r, out);
  ASSERT_EQ(out.size(), 800u * 600u);
  for (std::uint32_t px : out) ASSERT_EQ(px, 0xFF000000u);
}

TEST(PresentPlan, ZoomStretchesTheCentredRectangle) {
  auto f = positionFrame();
  PresentRequest r = request(f);
  r.zoom = 16;  // not above 16: plain copy
  EXPECT_EQ(planPresent(r).source, (Rect{0, 0, 800, 600}));
  r.zoom = 64;  // w = 800 - 200 = 600, t = 600 - 150 = 450
  PresentPlan p = planPresent(r);
  EXPECT_EQ(p.source, (Rect{100, 75, 600, 450}));
  EXPECT_EQ(p.target, (Rect{0, 0, 800, 600}));
  r.zoom = 17;  // integer halves: w = 800 - 53 = 747, left 400 - 373 = 27
  EXPECT_EQ(planPresent(r).source, (Rect{27, 20, 747, 561}));
  r.zoom = 300;  // past the whole frame: one pixel is kept, never a negative size
  PresentPlan big = planPresent(r);
  EXPECT_EQ(big.source.width, 1);
  EXPECT_EQ(big.source.height, 1);
}

TEST(RenderPresent, ShakeMovesRowsAndPaintsTheBandBlack) {
  auto f = positionFrame();
  PresentRequest r = request(f);
  r.shakeY = 3;
  std::vector<std::uint32_t> out;
  renderPresent(r, out);
  EXPECT_EQ(out[0], 0xFF000000u);
  EXPECT_EQ(out[2 * 800 + 799], 0xFF000000u);
  EXPECT_EQ(out[3 * 800 + 5], 0xFF000000u | (0u << 12 | 5u));
  EXPECT_EQ(out[599 * 800 + 0], 0xFF000000u | (596u << 12));
}

TEST(RenderPresent, ZoomSamplesTheSourceRectangle) {
  auto f = positionFrame();
  PresentRequest r = request(f);
  r.zoom = 128;  // source 400x300 at (200, 150), doubled
  std::vector<std::uint32_t> out;
  renderPresent(r, out);
  EXPECT_EQ(out[0] & 0xFFFFFF, (150u << 12) | 200u);
  EXPECT_EQ(out[599 * 800 + 799] & 0xFFFFFF, (449u << 12) | 599u);
  EXPECT_EQ(out[1 * 800 + 1] & 0xFFFFFF, (150u << 12) | 200u);  // pixels doubled
  EXPECT_EQ(out[2 * 800 + 2] & 0xFFFFFF, (151u << 12) | 201u);
}

TEST(RenderPresent, SuppressedPaintKeepsThePreviousPicture) {
  auto f = positionFrame();
  std::vector<std::uint32_t> out(800 * 600, 0xFF123456u);
  PresentRequest r = request(f);
  r.suppressed = true;
  renderPresent(r, out);
  EXPECT_EQ(out[1234], 0xFF123456u);
}

TEST(FitGameArea, KeepsFourToThreeWithBars) {
  EXPECT_EQ(fitGameArea(800, 600), (Rect{0, 0, 800, 600}));
  EXPECT_EQ(fitGameArea(1920, 1080), (Rect{240, 0, 1440, 1080}));  // pillar bars
  EXPECT_EQ(fitGameArea(1280, 1024), (Rect{0, 32, 1280, 960}));   // letter bars
  EXPECT_EQ(fitGameArea(0, 0).width, 0);
}

TEST(FitGameArea, MapsOutputPositionsIntoTheGameArea) {
  Rect area = fitGameArea(1920, 1080);
  int x = -1, y = -1;
  EXPECT_TRUE(toGameArea(area, 240, 0, x, y));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_TRUE(toGameArea(area, 240 + 1439, 1079, x, y));
  EXPECT_EQ(x, 799);
  EXPECT_EQ(y, 599);
  EXPECT_TRUE(toGameArea(area, 960, 540, x, y));
  EXPECT_EQ(x, 400);
  EXPECT_EQ(y, 300);
  EXPECT_FALSE(toGameArea(area, 100, 500, x, y));  // in the left bar
  // Windowed: the game area lies below a menu bar of 19 pixels.
  Rect windowed{0, 19, 800, 600};
  EXPECT_FALSE(toGameArea(windowed, 10, 5, x, y));
  EXPECT_TRUE(toGameArea(windowed, 10, 19, x, y));
  EXPECT_EQ(y, 0);
}

}  // namespace
}  // namespace ml
