// Mosaic, rotation, the thumbnail box filter and the 24-bit row expansion.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "media/gfx/pixel_ops_internal.h"
#include "pixel_test_support.h"

namespace ml::pixel_test {
namespace {

using std::int64_t;
using std::uint32_t;
using std::uint8_t;

const PixelOps& ops() { return portablePixelOps(); }

TEST(Mosaic, WholeBlocksTakeTheirTopLeftPixel) {
  std::mt19937 rng(1);
  for (int type = 2; type <= 16; ++type) {
    const int b = type & ~1;
    for (int width : {1, 7, 16, 17, 33}) {
      for (int rows : {1, 5, 16, 19}) {
        Image src = randomImage(width, rows, width + 2, rng);
        Image dst = randomImage(width, rows, width + 3, rng);
        const Image before = dst;
        ops().copyMosaic(dst.origin(), dst.pitch, src.origin(), src.pitch, width, rows, type);
        const int coveredX = width / b * b, coveredY = rows / b * b;
        expectImage(
            before, dst,
            [&](int x, int y) {
              if (x >= coveredX || y >= coveredY) return before.at(x, y);
              return src.at(x / b * b, y / b * b);
            },
            "mosaic type " + std::to_string(type));
        if (testing::Test::HasFailure()) return;
      }
    }
  }
}

TEST(Mosaic, TypeThreeOnWidthSevenLeavesTheLastColumn) {
  std::vector<uint32_t> src(7 * 2), dst(7 * 2, 0xABu);
  for (std::size_t i = 0; i < src.size(); ++i) src[i] = uint32_t(i + 1);
  ops().copyMosaic(dst.data(), 7, src.data(), 7, 7, 2, 3);
  EXPECT_EQ(dst[0], 1u);
  EXPECT_EQ(dst[7 + 1], 1u);
  EXPECT_EQ(dst[4], 5u);
  EXPECT_EQ(dst[6], 0xABu);
  EXPECT_EQ(dst[13], 0xABu);
}

TEST(Mosaic, TypesOutsideTheRangeDrawNothing) {
  std::vector<uint32_t> src(64, 7), dst(64, 9);
  for (int type : {-5, 0, 1, 17, 100}) {
    ops().copyMosaic(dst.data(), 8, src.data(), 8, 8, 8, type);
  }
  EXPECT_EQ(dst, std::vector<uint32_t>(64, 9));
}

TEST(Rotation, TablesHoldTruncatedFixedPointValues) {
  EXPECT_EQ(pixel_detail::rotationCos(0), 65536);
  EXPECT_EQ(pixel_detail::rotationSin(0), 0);
  EXPECT_EQ(pixel_detail::rotationCos(60), 32768);   // exactly one half
  EXPECT_EQ(pixel_detail::rotationSin(30), -32768);  // -sin, exactly one half
  EXPECT_EQ(pixel_detail::rotationCos(90), 0);
  EXPECT_EQ(pixel_detail::rotationSin(90), -65536);
  EXPECT_EQ(pixel_detail::rotationCos(45), 46340);  // 46340.95 truncated
  EXPECT_EQ(pixel_detail::rotationSin(45), -46340);
  EXPECT_EQ(pixel_detail::rotationCos(120), -32768);
  EXPECT_EQ(pixel_detail::rotationSin(210), 32768);
  EXPECT_EQ(pixel_detail::rotationCos(1), 65526);  // 65526.02
  EXPECT_EQ(pixel_detail::rotationSin(359), 1143);  // 1143.76
  EXPECT_EQ(pixel_detail::rotationCos(-90), pixel_detail::rotationCos(270));
}

// Source pixel for (x, y) by the rotation formula, with halves rounded away from zero.
int roundHalfAway(int64_t v) { return v >= 0 ? int((v + 32768) >> 16) : -int((-v + 32768) >> 16); }

TEST(Rotation, EveryAngleMapsByTheFormula) {
  std::mt19937 rng(2);
  for (int size : {1, 2, 7, 16}) {
    const int w = size + 3, h = size;
    std::vector<uint32_t> src(std::size_t(w) * h);
    fillRandom(src, rng);
    for (int angle = 0; angle < 360; angle += 7) {
      std::vector<uint32_t> dst(src.size());
      fillRandom(dst, rng);
      const std::vector<uint32_t> before = dst;
      ops().copyRotated(dst.data(), w, h, src.data(), angle);
      const int64_t c = pixel_detail::rotationCos(angle), s = pixel_detail::rotationSin(angle);
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          const int dx = x - w / 2, dy = y - h / 2;
          const int sx = w / 2 + roundHalfAway(dx * c - dy * s);
          const int sy = h / 2 + roundHalfAway(dx * s + dy * c);
          const bool inside = sx >= 0 && sx < w && sy >= 0 && sy < h;
          const uint32_t want = inside ? src[std::size_t(sy) * w + sx] : before[std::size_t(y) * w + x];
          ASSERT_EQ(dst[std::size_t(y) * w + x], want) << "angle " << angle << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(Rotation, HalfTurnMirrorsAboutTheCentre) {
  const int w = 800, h = 600;
  std::vector<uint32_t> src(std::size_t(w) * h);
  for (std::size_t i = 0; i < src.size(); ++i) src[i] = uint32_t(i);
  std::vector<uint32_t> dst(src.size(), 0xDEADBEEFu);
  ops().copyRotated(dst.data(), w, h, src.data(), 180);
  for (int y = 1; y < h; ++y) {
    EXPECT_EQ(dst[std::size_t(y) * w], 0xDEADBEEFu);  // would need column 800
    for (int x = 1; x < w; ++x) {
      ASSERT_EQ(dst[std::size_t(y) * w + x], src[std::size_t(600 - y) * w + (800 - x)])
          << x << "," << y;
    }
  }
  // A quarter turn: (x, y) takes (cx + dy, cy - dx).
  std::fill(dst.begin(), dst.end(), 0u);
  ops().copyRotated(dst.data(), w, h, src.data(), 90);
  EXPECT_EQ(dst[std::size_t(300) * w + 400], src[std::size_t(300) * w + 400]);
  EXPECT_EQ(dst[std::size_t(310) * w + 450], src[std::size_t(250) * w + 410]);
  EXPECT_EQ(dst[std::size_t(0) * w + 0], 0u);  // source row 700 does not exist
}

TEST(BoxFilter, TopLeftOfEveryWholeBlockGetsTheAverage) {
  std::mt19937 rng(3);
  for (int width : {3, 4, 7, 8, 13, 120}) {
    for (int rows : {3, 4, 9}) {
      const int pitchPixels = width + 2;
      Image img = randomImage(width, rows, pitchPixels, rng);
      const Image before = img;
      ops().boxFilter4x4(img.origin(), width, rows, pitchPixels * 4);
      expectImage(
          before, img,
          [&](int x, int y) {
            if (x % 4 != 0 || y % 4 != 0 || x + 4 > width || y + 4 > rows) return before.at(x, y);
            uint32_t out = before.at(x, y) & 0xFF000000u;
            for (int c = 0; c < 3; ++c) {
              uint32_t sum = 0;
              for (int j = 0; j < 4; ++j)
                for (int i = 0; i < 4; ++i) sum += byteOf(before.at(x + i, y + j), c);
              out |= (sum >> 4) << (8 * c);
            }
            return out;
          },
          "boxFilter4x4");
      if (testing::Test::HasFailure()) return;
    }
  }
}

TEST(Expand24, BottomUpRowsBecomeOpaquePixels) {
  // Two stored rows of width 3 (12 bytes each with padding); the last stored row is
  // the first output row.
  const int width = 3, rows = 2, rowLength = 12;
  std::vector<uint8_t> stored(rowLength * rows);
  for (std::size_t i = 0; i < stored.size(); ++i) stored[i] = uint8_t(i * 7 + 1);
  std::vector<uint32_t> out(width * rows + 1, 0x5A5A5A5Au);
  ops().expand24To32(out.data(), stored.data() + rowLength, width, rows, rowLength);
  for (int y = 0; y < rows; ++y) {
    const uint8_t* row = stored.data() + (rows - 1 - y) * rowLength;
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = row + x * 3;
      EXPECT_EQ(out[std::size_t(y) * width + x], pixelOf(p[0], p[1], p[2], 255));
    }
  }
  EXPECT_EQ(out.back(), 0x5A5A5A5Au);
}

}  // namespace
}  // namespace ml::pixel_test
