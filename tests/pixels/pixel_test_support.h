// Helpers of the pixel routine tests: the sets to run, images with guard bands around
// the rectangle, and random pixels whose alpha comes in runs like a real sprite's.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "media/gfx/pixel_ops.h"

namespace ml::pixel_test {

// Every set this machine can run: portable, SSE2, and AVX2 where present.
inline std::vector<const PixelOps*> allSets() {
  std::vector<const PixelOps*> sets{&portablePixelOps()};
  if (const PixelOps* s = sse2PixelOps()) sets.push_back(s);
  if (const PixelOps* s = avx2PixelOps()) sets.push_back(s);
  return sets;
}

inline std::string setName(const testing::TestParamInfo<const PixelOps*>& info) {
  return info.param->name;
}

inline constexpr int kEdgeWidths[] = {1, 2, 3, 7, 8, 9, 15, 16, 17, 31, 33, 799, 800};

inline std::uint32_t byteOf(std::uint32_t p, int i) { return (p >> (8 * i)) & 0xFFu; }
inline std::uint32_t pixelOf(std::uint32_t b, std::uint32_t g, std::uint32_t r,
                             std::uint32_t a) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

enum class AlphaMix { Random, Runs };

// Random pixels; with Runs the alpha byte comes in runs of 0, of 255 and of other
// values, so that the skip and copy paths of the fast set meet every alignment.
inline void fillRandom(std::vector<std::uint32_t>& v, std::mt19937& rng,
                       AlphaMix mix = AlphaMix::Random) {
  std::uniform_int_distribution<std::uint32_t> any;
  std::uniform_int_distribution<int> runLength(1, 23);
  std::uniform_int_distribution<int> kind(0, 2);
  std::uniform_int_distribution<std::uint32_t> partial(1, 254);
  int left = 0, k = 0;
  for (auto& p : v) {
    p = any(rng);
    if (mix == AlphaMix::Runs) {
      if (left == 0) {
        left = runLength(rng);
        k = kind(rng);
      }
      --left;
      std::uint32_t a = k == 0 ? 0 : (k == 1 ? 255 : partial(rng));
      p = (p & 0x00FFFFFFu) | (a << 24);
    }
  }
}

// A width x rows picture inside a larger buffer: guard pixels before and after it and
// in the pitch padding of every row.
struct Image {
  static constexpr int kGuard = 41;
  int width = 0;
  int rows = 0;
  int pitch = 0;
  std::vector<std::uint32_t> buf;

  Image(int w, int r, int p) : width(w), rows(r), pitch(p) {
    buf.resize(std::size_t(kGuard) * 2 + std::size_t(r) * std::size_t(p));
  }
  std::uint32_t* origin() { return buf.data() + kGuard; }
  const std::uint32_t* origin() const { return buf.data() + kGuard; }
  std::uint32_t at(int x, int y) const { return origin()[std::size_t(y) * pitch + x]; }
  std::uint32_t& at(int x, int y) { return origin()[std::size_t(y) * pitch + x]; }
};

inline Image randomImage(int w, int r, int p, std::mt19937& rng,
                         AlphaMix mix = AlphaMix::Random) {
  Image img(w, r, p);
  fillRandom(img.buf, rng, mix);
  return img;
}

// Checks every pixel inside the rectangle against the expected value and every pixel
// outside against the picture before the call. Stops after a few reports.
inline void expectImage(const Image& before, const Image& after,
                        const std::function<std::uint32_t(int, int)>& expected,
                        const std::string& what) {
  int failures = 0;
  for (std::size_t i = 0; i < after.buf.size() && failures < 5; ++i) {
    const long rel = long(i) - Image::kGuard;
    const bool inRows = rel >= 0 && rel < long(after.rows) * after.pitch;
    const int x = inRows ? int(rel % after.pitch) : -1;
    const int y = inRows ? int(rel / after.pitch) : -1;
    if (inRows && x < after.width) {
      const std::uint32_t want = expected(x, y);
      if (after.buf[i] != want) {
        ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") is 0x" << std::hex
                      << after.buf[i] << ", expected 0x" << want;
        ++failures;
      }
    } else if (after.buf[i] != before.buf[i]) {
      ADD_FAILURE() << what << ": pixel outside the rectangle changed at buffer index " << i
                    << " (row " << y << ", column " << x << ")";
      ++failures;
    }
  }
}

}  // namespace ml::pixel_test
