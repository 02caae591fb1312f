// Whole-frame routines: darkening, fills, the transition byte effects and the masked
// copy, on runs of every length around the vector widths and on a full frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "pixel_test_support.h"

namespace ml::pixel_test {
namespace {

using std::uint32_t;
using std::uint8_t;

// Lengths that end in every position of a 4- and 8-pixel vector, and a whole frame.
std::vector<std::size_t> runLengths() {
  std::vector<std::size_t> n;
  for (std::size_t i = 1; i <= 40; ++i) n.push_back(i);
  n.push_back(kFramePixels);
  return n;
}

// A run of count pixels with guard pixels on both sides.
struct PixelRun {
  static constexpr std::size_t kGuard = 19;
  std::vector<uint32_t> buf;
  std::size_t count;
  PixelRun(std::size_t n, std::mt19937& rng) : buf(n + 2 * kGuard), count(n) { fillRandom(buf, rng); }
  uint32_t* data() { return buf.data() + kGuard; }
  const uint32_t* data() const { return buf.data() + kGuard; }
};

template <class F>
void expectRun(const PixelRun& before, const PixelRun& after, F expected, const std::string& what) {
  for (std::size_t i = 0; i < after.buf.size(); ++i) {
    const bool inside = i >= PixelRun::kGuard && i < PixelRun::kGuard + after.count;
    const uint32_t want = inside ? expected(i - PixelRun::kGuard) : before.buf[i];
    if (after.buf[i] != want) {
      ADD_FAILURE() << what << " count " << after.count << ": index " << long(i) - long(PixelRun::kGuard)
                    << " is 0x" << std::hex << after.buf[i] << ", expected 0x" << want;
      return;
    }
  }
}

uint32_t perByte(uint32_t p, uint32_t (*f)(uint32_t, int), int arg) {
  uint32_t out = 0;
  for (int i = 0; i < 4; ++i) out |= f(byteOf(p, i), arg) << (8 * i);
  return out;
}

class FrameRoutines : public testing::TestWithParam<const PixelOps*> {
 protected:
  const PixelOps& ops() const { return *GetParam(); }
};

TEST_P(FrameRoutines, DarkenFrameScalesColoursAndClearsAlpha) {
  std::mt19937 rng(1);
  for (int amount : {-255, -254, -128, -2, -1, 0, 7, -1000}) {
    const uint32_t k = uint32_t(255 + std::clamp(amount, -255, 0));
    for (int width : kEdgeWidths) {
      const int rows = width > 100 ? 2 : 3;
      PixelRun run(std::size_t(width) * rows, rng);
      const PixelRun before = run;
      ops().darkenFrame(run.data(), width, rows, amount);
      expectRun(
          before, run,
          [&](std::size_t i) {
            const uint32_t p = before.data()[i];
            return (((byteOf(p, 2) * k) >> 8) << 16) | (((byteOf(p, 1) * k) >> 8) << 8) |
                   ((byteOf(p, 0) * k) >> 8);
          },
          "darkenFrame " + std::to_string(amount));
      if (HasFailure()) return;
    }
  }
  // The strongest darkening is black.
  std::vector<uint32_t> f(kFramePixels, 0xFFFFFFFFu);
  ops().darkenFrame(f.data(), kFrameWidth, kFrameHeight, -255);
  EXPECT_TRUE(std::all_of(f.begin(), f.end(), [](uint32_t p) { return p == 0; }));
}

TEST_P(FrameRoutines, FillWritesTheComposedValue) {
  std::mt19937 rng(2);
  for (std::size_t n : runLengths()) {
    PixelRun run(n, rng);
    const PixelRun before = run;
    ops().fillPixels(run.data(), 0x12, 0x34, 0x56, 0x78, n);
    expectRun(before, run, [](std::size_t) { return 0x78123456u; }, "fillPixels");
  }
  // A level outside 0-255 stays in its own byte.
  uint32_t p = 0;
  ops().fillPixels(&p, 0x1FF, 0, 0, 0, 1);
  EXPECT_EQ(p, 0x00FF0000u);
}

TEST_P(FrameRoutines, SubtractAndAddSaturatePerByte) {
  std::mt19937 rng(3);
  for (int step : {0, 1, 17, 128, 255, 300, -20}) {
    for (std::size_t n : runLengths()) {
      PixelRun sub(n, rng), add(n, rng);
      const PixelRun subBefore = sub, addBefore = add;
      ops().subtractAll(sub.data(), n, step);
      ops().addAll(add.data(), n, step);
      expectRun(
          subBefore, sub,
          [&](std::size_t i) {
            return perByte(subBefore.data()[i],
                           [](uint32_t b, int s) { return uint32_t(std::clamp(int(b) - s, 0, 255)); },
                           step);
          },
          "subtractAll " + std::to_string(step));
      expectRun(
          addBefore, add,
          [&](std::size_t i) {
            return perByte(addBefore.data()[i],
                           [](uint32_t b, int s) { return uint32_t(std::clamp(int(b) + s, 0, 255)); },
                           step);
          },
          "addAll " + std::to_string(step));
      if (HasFailure()) return;
    }
  }
}

TEST_P(FrameRoutines, ScaleAndMaxCopies) {
  std::mt19937 rng(4);
  for (int level : {0, 1, 100, 255, 256}) {
    for (std::size_t n : runLengths()) {
      PixelRun src(n, rng), scaled(n, rng), maxed(n, rng);
      const PixelRun scaledBefore = scaled, maxedBefore = maxed;
      ops().scaleCopyAll(scaled.data(), src.data(), n, level);
      ops().maxCopyAll(maxed.data(), src.data(), n, level);
      expectRun(
          scaledBefore, scaled,
          [&](std::size_t i) {
            return perByte(src.data()[i], [](uint32_t b, int l) { return (b * uint32_t(l)) >> 8; },
                           level);
          },
          "scaleCopyAll " + std::to_string(level));
      expectRun(
          maxedBefore, maxed,
          [&](std::size_t i) {
            return perByte(src.data()[i],
                           [](uint32_t b, int l) { return std::max(b, uint32_t(std::min(l, 255))); },
                           level);
          },
          "maxCopyAll " + std::to_string(level));
      if (HasFailure()) return;
    }
  }
}

TEST_P(FrameRoutines, MaskedCopyFollowsThePatternsGreen) {
  std::mt19937 rng(5);
  for (int threshold : {-1, 0, 1, 128, 254, 255, 100000}) {
    for (std::size_t n : runLengths()) {
      PixelRun pattern(n, rng), src(n, rng), dst(n, rng);
      const PixelRun before = dst;
      ops().maskedCopy(threshold, pattern.data(), src.data(), dst.data(), n);
      expectRun(
          before, dst,
          [&](std::size_t i) {
            const int green = int(byteOf(pattern.data()[i], 1));
            return threshold >= green ? src.data()[i] : before.data()[i];
          },
          "maskedCopy " + std::to_string(threshold));
      if (HasFailure()) return;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sets, FrameRoutines, testing::ValuesIn(allSets()), setName);

TEST(FrameRoutineChoice, DarkeningByTwoScalesBy253) {
  for (const PixelOps* ops : allSets()) {
    uint32_t p = 0xFF808080u;
    ops->darkenFrame(&p, 1, 1, -2);
    EXPECT_EQ(p, 0x007E7E7Eu) << ops->name;  // 128 * 253 >> 8 = 126
  }
}

}  // namespace
}  // namespace ml::pixel_test
