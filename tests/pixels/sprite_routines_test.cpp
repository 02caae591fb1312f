// The sprite drawing routines of every set against per-pixel formulas written out here,
// on random pictures of awkward widths and pitches, with guard bands around the
// destination rectangle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "pixel_test_support.h"

namespace ml::pixel_test {
namespace {

using std::uint32_t;

// (s*w + d*(255-w)) >> 8 on every byte; the alpha byte mixes with the same weight.
uint32_t refMix(uint32_t s, uint32_t d, uint32_t w) {
  uint32_t out = 0;
  for (int i = 0; i < 4; ++i) {
    out |= ((byteOf(s, i) * w + byteOf(d, i) * (255 - w)) >> 8) << (8 * i);
  }
  return out;
}

uint32_t refBlendAlpha(uint32_t s, uint32_t d, bool fast) {
  const uint32_t a = s >> 24;
  if (a == 0) return d;
  if (a == 255 && fast) return s;
  return refMix(s, d, a);
}

uint32_t refBlendScaled(uint32_t s, uint32_t d, int level) {
  const uint32_t e = ((s >> 24) * uint32_t(level)) >> 8;
  return e == 0 ? d : refMix(s, d, e);
}

uint32_t refBlendDarkened(uint32_t s, uint32_t d, int fade, bool fast) {
  const uint32_t a = s >> 24;
  if (a == 0) return d;
  uint32_t out = 0;
  for (int i = 0; i < 4; ++i) {
    const uint32_t sc = byteOf(s, i), dc = byteOf(d, i);
    uint32_t v;
    if (fast) {
      v = (((sc * uint32_t(fade)) >> 8) * a + dc * (255 - a)) >> 8;
    } else {
      const int t = int((sc * a + dc * (255 - a)) >> 8);
      v = uint32_t(std::max(0, t - (255 - fade)));
    }
    out |= v << (8 * i);
  }
  return out;
}

uint32_t refCopyDarkened(uint32_t s, int fade) {
  uint32_t out = s & 0xFF000000u;
  for (int i = 0; i < 3; ++i) {
    out |= uint32_t(std::max(0, int(byteOf(s, i)) - (255 - fade))) << (8 * i);
  }
  return out;
}

uint32_t refGrey(uint32_t s, bool fast) {
  const uint32_t g =
      fast ? (29 * byteOf(s, 0) + 150 * byteOf(s, 1) + 76 * byteOf(s, 2)) >> 8 : byteOf(s, 1);
  return (s & 0xFF000000u) | (g << 16) | (g << 8) | g;
}

using RectCall = std::function<void(uint32_t* dst, int dstPitch, const uint32_t* src,
                                    int srcPitch, int width, int rows)>;
using PixelRef = std::function<uint32_t(uint32_t s, uint32_t d)>;

// Runs one routine over every edge width, with pitches equal to and larger than the
// width, and checks the result pixel by pixel and the guard bands around it.
void checkAllShapes(const RectCall& call, const PixelRef& ref, AlphaMix mix, unsigned seed,
                    const std::string& what) {
  std::mt19937 rng(seed);
  for (int width : kEdgeWidths) {
    const int rows = width > 100 ? 3 : 5;
    for (int extra : {0, 5}) {
      Image src = randomImage(width, rows, width + extra * 2 + 1, rng, mix);
      Image dst = randomImage(width, rows, width + extra, rng);
      const Image before = dst;
      call(dst.origin(), dst.pitch, src.origin(), src.pitch, width, rows);
      expectImage(before, dst,
                  [&](int x, int y) { return ref(src.at(x, y), before.at(x, y)); },
                  what + " width " + std::to_string(width) + " pitch " +
                      std::to_string(dst.pitch));
      if (testing::Test::HasFailure()) return;
    }
  }
}

class SpriteRoutines : public testing::TestWithParam<const PixelOps*> {
 protected:
  const PixelOps& ops() const { return *GetParam(); }
  bool fast() const { return GetParam()->fast; }
};

TEST_P(SpriteRoutines, BlendAlphaMatchesItsFormula) {
  for (AlphaMix mix : {AlphaMix::Runs, AlphaMix::Random}) {
    checkAllShapes(ops().blendAlpha,
                   [&](uint32_t s, uint32_t d) { return refBlendAlpha(s, d, fast()); }, mix,
                   11, "blendAlpha");
  }
}

TEST_P(SpriteRoutines, BlendAlphaKnownValues) {
  // Clear source leaves the destination, half alpha white over black is 127, and an
  // opaque pixel is exact only in the fast set.
  uint32_t d[3] = {0x12345678u, 0xFF000000u, 0x80808080u};
  const uint32_t s[3] = {0x00FFFFFFu, 0x80FFFFFFu, 0xFF102030u};
  ops().blendAlpha(d, 3, s, 3, 3, 1);
  EXPECT_EQ(d[0], 0x12345678u);
  EXPECT_EQ(d[1] & 0xFFFFFFu, 0x7F7F7Fu);
  if (fast()) {
    EXPECT_EQ(d[2], 0xFF102030u);
  } else {
    EXPECT_EQ(d[2] & 0xFFFFFFu, 0x0F1F2Fu);
  }
}

TEST_P(SpriteRoutines, BlendAlphaScaledMatchesItsFormula) {
  for (int level : {1, 2, 77, 128, 200, 254}) {
    checkAllShapes(
        [&](uint32_t* d, int dp, const uint32_t* s, int sp, int w, int r) {
          ops().blendAlphaScaled(d, dp, s, sp, w, r, level);
        },
        [&](uint32_t s, uint32_t d) { return refBlendScaled(s, d, level); }, AlphaMix::Runs,
        21 + unsigned(level), "blendAlphaScaled level " + std::to_string(level));
  }
}

TEST_P(SpriteRoutines, BlendAlphaScaledAtLevelOneDrawsNothing) {
  std::mt19937 rng(5);
  Image src = randomImage(33, 4, 33, rng);
  Image dst = randomImage(33, 4, 40, rng);
  const Image before = dst;
  ops().blendAlphaScaled(dst.origin(), dst.pitch, src.origin(), src.pitch, 33, 4, 1);
  EXPECT_EQ(dst.buf, before.buf);
}

TEST_P(SpriteRoutines, BlendAlphaDarkenedMatchesItsOwnFormula) {
  for (int fade : {0, 1, 100, 128, 254}) {
    checkAllShapes(
        [&](uint32_t* d, int dp, const uint32_t* s, int sp, int w, int r) {
          ops().blendAlphaDarkened(d, dp, s, sp, w, r, fade);
        },
        [&](uint32_t s, uint32_t d) { return refBlendDarkened(s, d, fade, fast()); },
        AlphaMix::Runs, 31 + unsigned(fade), "blendAlphaDarkened fade " + std::to_string(fade));
  }
}

TEST_P(SpriteRoutines, CopyDarkenedMatchesItsFormula) {
  for (int fade : {0, 1, 128, 254, 255}) {
    checkAllShapes(
        [&](uint32_t* d, int dp, const uint32_t* s, int sp, int w, int r) {
          ops().copyDarkened(d, dp, s, sp, w, r, fade);
        },
        [&](uint32_t s, uint32_t) { return refCopyDarkened(s, fade); }, AlphaMix::Random,
        41 + unsigned(fade), "copyDarkened fade " + std::to_string(fade));
  }
  // Full level copies the colours exactly; level 0 is black.
  uint32_t d[2] = {0, 0};
  const uint32_t s[2] = {0x11FEDCBAu, 0x22FFFFFFu};
  ops().copyDarkened(d, 2, s, 2, 2, 1, 255);
  EXPECT_EQ(d[0] & 0xFFFFFFu, 0xFEDCBAu);
  ops().copyDarkened(d, 2, s, 2, 2, 1, 0);
  EXPECT_EQ(d[1] & 0xFFFFFFu, 0u);
}

TEST_P(SpriteRoutines, CopyGreyMatchesItsOwnFormula) {
  checkAllShapes(ops().copyGrey, [&](uint32_t s, uint32_t) { return refGrey(s, fast()); },
                 AlphaMix::Random, 51, "copyGrey");
}

TEST_P(SpriteRoutines, CopyPixelsCopiesAllFourBytes) {
  checkAllShapes(ops().copyPixels, [](uint32_t s, uint32_t) { return s; }, AlphaMix::Random, 61,
                 "copyPixels");
}

TEST_P(SpriteRoutines, CrossFadeMatchesItsFormula) {
  std::mt19937 rng(71);
  for (int level : {0, 1, 128, 254, 255}) {
    for (int width : kEdgeWidths) {
      const int rows = width > 100 ? 2 : 4;
      Image p = randomImage(width, rows, width + 3, rng, AlphaMix::Runs);
      Image q = randomImage(width, rows, width + 1, rng, AlphaMix::Runs);
      Image dst = randomImage(width, rows, width + 2, rng);
      const Image before = dst;
      ops().crossFade(dst.origin(), dst.pitch, p.origin(), p.pitch, q.origin(), q.pitch, width,
                      rows, level);
      const uint32_t v = uint32_t(level);
      expectImage(
          before, dst,
          [&](int x, int y) {
            const uint32_t pp = p.at(x, y), qq = q.at(x, y);
            if ((pp >> 24) == 0) return (qq & 0xFFFFFFu) | ((((qq >> 24) * (255 - v)) >> 8) << 24);
            if ((qq >> 24) == 0) return (pp & 0xFFFFFFu) | ((((pp >> 24) * v) >> 8) << 24);
            return refMix(pp, qq, v);
          },
          "crossFade level " + std::to_string(level) + " width " + std::to_string(width));
      if (HasFailure()) return;
    }
  }
}

TEST_P(SpriteRoutines, NothingDrawnForEmptyRectangles) {
  uint32_t d[4] = {1, 2, 3, 4};
  const uint32_t s[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
  ops().blendAlpha(d, 4, s, 4, 0, 1);
  ops().blendAlphaScaled(d, 4, s, 4, 4, 0, 128);
  ops().copyDarkened(d, 4, s, 4, -3, 1, 128);
  ops().copyPixels(d, 4, s, 4, 0, 1);
  ops().crossFade(d, 4, s, 4, s, 4, 0, 1, 10);
  EXPECT_EQ(d[0], 1u);
  EXPECT_EQ(d[3], 4u);
}

TEST_P(SpriteRoutines, OutOfRangeLevelsAreClamped) {
  std::mt19937 rng(81);
  Image src = randomImage(17, 2, 17, rng, AlphaMix::Runs);
  Image a = randomImage(17, 2, 17, rng);
  Image b = a;
  ops().blendAlphaScaled(a.origin(), 17, src.origin(), 17, 17, 2, 9999);
  ops().blendAlphaScaled(b.origin(), 17, src.origin(), 17, 17, 2, 255);
  EXPECT_EQ(a.buf, b.buf);
  ops().copyDarkened(a.origin(), 17, src.origin(), 17, 17, 2, -40);
  ops().copyDarkened(b.origin(), 17, src.origin(), 17, 17, 2, 0);
  EXPECT_EQ(a.buf, b.buf);
}

// Buffers of exactly the picture's size, so that the address sanitizer sees any read or
// write past the last pixel (the vector loops must stop at the row's end).
TEST_P(SpriteRoutines, ExactSizedPicturesAreNotOverrun) {
  std::mt19937 rng(101);
  for (int width = 1; width <= 19; ++width) {
    for (int rows : {1, 3}) {
      const std::size_t n = std::size_t(width) * rows;
      std::vector<uint32_t> src(n), p(n), dst(n);
      fillRandom(src, rng, AlphaMix::Runs);
      fillRandom(p, rng, AlphaMix::Runs);
      fillRandom(dst, rng);
      ops().blendAlpha(dst.data(), width, src.data(), width, width, rows);
      ops().blendAlphaScaled(dst.data(), width, src.data(), width, width, rows, 99);
      ops().blendAlphaDarkened(dst.data(), width, src.data(), width, width, rows, 99);
      ops().copyDarkened(dst.data(), width, src.data(), width, width, rows, 99);
      ops().copyGrey(dst.data(), width, src.data(), width, width, rows);
      ops().crossFade(dst.data(), width, src.data(), width, p.data(), width, width, rows, 99);
      ops().darkenFrame(dst.data(), width, rows, -9);
      // In place: the destination is also one of the cross-faded pictures.
      std::vector<uint32_t> expected(n);
      ops().crossFade(expected.data(), width, dst.data(), width, p.data(), width, width, rows, 57);
      ops().crossFade(dst.data(), width, dst.data(), width, p.data(), width, width, rows, 57);
      ASSERT_EQ(dst, expected) << "width " << width;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sets, SpriteRoutines, testing::ValuesIn(allSets()), setName);

// The two fast levels must give identical pixels, whatever the picture.
TEST(FastSets, Sse2AndAvx2Agree) {
  const PixelOps* sse2 = sse2PixelOps();
  const PixelOps* avx2 = avx2PixelOps();
  if (sse2 == nullptr || avx2 == nullptr) GTEST_SKIP() << "only one SIMD level here";
  std::mt19937 rng(91);
  Image src = randomImage(800, 60, 800, rng, AlphaMix::Runs);
  Image base = randomImage(800, 60, 800, rng);
  Image x = base, y = base;
  sse2->blendAlpha(x.origin(), 800, src.origin(), 800, 797, 60);
  avx2->blendAlpha(y.origin(), 800, src.origin(), 800, 797, 60);
  sse2->blendAlphaDarkened(x.origin(), 800, src.origin(), 800, 800, 60, 99);
  avx2->blendAlphaDarkened(y.origin(), 800, src.origin(), 800, 800, 60, 99);
  sse2->blendAlphaScaled(x.origin(), 800, src.origin(), 800, 801 - 2, 60, 200);
  avx2->blendAlphaScaled(y.origin(), 800, src.origin(), 800, 801 - 2, 60, 200);
  EXPECT_EQ(x.buf, y.buf);
}

}  // namespace
}  // namespace ml::pixel_test
