// Colour adjustments (tint in percent, HSV shift) and the choice of the routine set.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "pixel_test_support.h"

namespace ml::pixel_test {
namespace {

using std::uint32_t;

const PixelOps& ops() { return portablePixelOps(); }

uint32_t tint(uint32_t p, int pr, int pg, int pb) {
  ops().scaleRgbPercent(&p, 1, pr, pg, pb);
  return p;
}

uint32_t hsv(uint32_t p, int h, int ps, int pv) {
  ops().adjustHsv(&p, 1, h, ps, pv);
  return p;
}

TEST(Tint, ScalesEachChannelByItsOwnPercentage) {
  EXPECT_EQ(tint(pixelOf(100, 100, 100, 0x42), 10, 0, -50), pixelOf(50, 100, 110, 0x42));
  EXPECT_EQ(tint(pixelOf(200, 200, 200, 0), 100, 100, 100), pixelOf(255, 255, 255, 0));
  // 0.1 x 10 is exactly 1: no rounding of the percentage loses a level.
  EXPECT_EQ(tint(pixelOf(10, 10, 10, 0), -90, -90, -90), pixelOf(1, 1, 1, 0));
  // A negative factor gives black rather than wrapped colours.
  EXPECT_EQ(tint(pixelOf(10, 200, 255, 9), -150, -150, -1000000), pixelOf(0, 0, 0, 9));
  // Huge percentages do not overflow.
  EXPECT_EQ(tint(pixelOf(1, 0, 1, 0), 2000000000, 2000000000, 2000000000), pixelOf(255, 0, 255, 0));
}

TEST(Tint, LeavesPixelsOutsideTheRunAlone) {
  std::vector<uint32_t> px(6, pixelOf(50, 60, 70, 80));
  ops().scaleRgbPercent(px.data() + 1, 4, 100, 100, 100);
  EXPECT_EQ(px[0], pixelOf(50, 60, 70, 80));
  EXPECT_EQ(px[1], pixelOf(100, 120, 140, 80));
  EXPECT_EQ(px[5], pixelOf(50, 60, 70, 80));
}

TEST(Hsv, NoChangeKeepsEveryChannelNearlyAsItWas) {
  // The largest and smallest channels come back within one level (division by 255 and
  // truncation); the middle one may also move by the whole degree of hue that is cut
  // off, at most (max - min) / 60 levels.
  std::mt19937 rng(1);
  std::vector<uint32_t> px(5000);
  fillRandom(px, rng);
  std::vector<uint32_t> out = px;
  ops().adjustHsv(out.data(), out.size(), 0, 0, 0);
  for (std::size_t i = 0; i < px.size(); ++i) {
    int lo = 255, hi = 0;
    for (int c = 0; c < 3; ++c) {
      lo = std::min(lo, int(byteOf(px[i], c)));
      hi = std::max(hi, int(byteOf(px[i], c)));
    }
    for (int c = 0; c < 3; ++c) {
      const int in = int(byteOf(px[i], c));
      const int diff = in - int(byteOf(out[i], c));
      const int slack = (in == lo || in == hi) ? 1 : 1 + (hi - lo) / 60 + 1;
      ASSERT_LE(std::abs(diff), slack) << std::hex << px[i] << " -> " << out[i];
      if (in == lo || in == hi) {
        ASSERT_GE(diff, 0);
      }
    }
    ASSERT_EQ(px[i] >> 24, out[i] >> 24);
  }
  // Greys have no hue to cut.
  EXPECT_EQ(hsv(pixelOf(255, 255, 255, 3), 0, 0, 0), pixelOf(255, 255, 255, 3));
  EXPECT_EQ(hsv(pixelOf(0, 0, 0, 3), 0, 0, 0), pixelOf(0, 0, 0, 3));
}

TEST(Hsv, HueSaturationAndValueChanges) {
  // Red turned by a third is green, by two thirds blue.
  EXPECT_EQ(hsv(pixelOf(0, 0, 255, 7), 120, 0, 0), pixelOf(0, 255, 0, 7));
  EXPECT_EQ(hsv(pixelOf(0, 0, 255, 7), 240, 0, 0), pixelOf(255, 0, 0, 7));
  // Saturation -100 gives the grey of the value; value +100 saturates at white.
  // Saturation -100 leaves the grey of the value (floating-point steps may cut one
  // channel a level lower).
  const uint32_t grey = hsv(pixelOf(10, 200, 40, 0), 0, -100, 0);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(int(byteOf(grey, c)), 200, 1) << std::hex << grey;
  EXPECT_EQ(hsv(pixelOf(128, 128, 128, 0), 0, 0, 100), pixelOf(255, 255, 255, 0));
  EXPECT_EQ(hsv(pixelOf(90, 20, 240, 0), 33, 0, -100), pixelOf(0, 0, 0, 0));
  // A shift far below -360 wraps like any other: -1000 degrees is +80.
  const uint32_t p = pixelOf(30, 140, 220, 1);
  EXPECT_EQ(hsv(p, -1000, 10, -5), hsv(p, 80, 10, -5));
  EXPECT_EQ(hsv(p, 1000, 0, 0), hsv(p, 280, 0, 0));
}

TEST(Choice, SetsAreWhatTheyClaim) {
  EXPECT_STREQ(portablePixelOps().name, "portable");
  EXPECT_FALSE(portablePixelOps().fast);
  EXPECT_EQ(&selectPixelOps(true), &portablePixelOps());
  EXPECT_EQ(&selectPixelOps(false), &fastPixelOps());
  ASSERT_NE(sse2PixelOps(), nullptr);  // every x86-64 processor has SSE2
  EXPECT_TRUE(fastPixelOps().fast);
  if (__builtin_cpu_supports("avx2")) {
    ASSERT_NE(avx2PixelOps(), nullptr);
    EXPECT_STREQ(fastPixelOps().name, "avx2");
  } else {
    EXPECT_EQ(avx2PixelOps(), nullptr);
    EXPECT_STREQ(fastPixelOps().name, "sse2");
  }
}

TEST(Choice, EnvironmentForcesThePortableSet) {
  ::setenv("MIRELUNE_PORTABLE_PIXELS", "1", 1);
  EXPECT_EQ(&pixelOpsFromEnvironment(), &portablePixelOps());
  ::setenv("MIRELUNE_PORTABLE_PIXELS", "0", 1);
  EXPECT_EQ(&pixelOpsFromEnvironment(), &fastPixelOps());
  ::unsetenv("MIRELUNE_PORTABLE_PIXELS");
  EXPECT_EQ(&pixelOpsFromEnvironment(), &fastPixelOps());
}

}  // namespace
}  // namespace ml::pixel_test
