// Routines that move pixels around rather than mixing them: mosaic, rotation, the
// thumbnail box filter and the 24-bit row expansion. One implementation each.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "media/gfx/pixel_ops_internal.h"

namespace ml::pixel_detail {
namespace {

using std::int32_t;
using std::int64_t;
using std::ptrdiff_t;
using std::uint32_t;
using std::uint8_t;

// 65536 * f(degree), truncated toward zero. Where the exact value is a whole number
// (f = 0, ±1/2, ±1) the floating-point result may land just short of it, so values
// within a hair of a whole number are taken as that number.
int32_t fixedOf(double value) {
  double scaled = value * 65536.0;
  double nearest = std::nearbyint(scaled);
  if (std::fabs(scaled - nearest) < 1e-6) return int32_t(nearest);
  return int32_t(std::trunc(scaled));
}

struct RotationTables {
  std::array<int32_t, 360> cosine{};
  std::array<int32_t, 360> sine{};  // -65536 * sin
  RotationTables() {
    const double pi = std::acos(-1.0);
    for (int d = 0; d < 360; ++d) {
      cosine[d] = fixedOf(std::cos(d * pi / 180.0));
      sine[d] = fixedOf(-std::sin(d * pi / 180.0));
    }
  }
};

const RotationTables& rotationTables() {
  static const RotationTables tables;
  return tables;
}

int wrapDegrees(int degrees) {
  int d = degrees % 360;
  return d < 0 ? d + 360 : d;
}

// 16.16 to whole pixels, rounding halves away from zero so that both sides of the
// centre map alike (a half-turn maps x to 2cx - x on both halves).
int32_t roundFixed(int64_t v) {
  return v >= 0 ? int32_t((v + 32768) >> 16) : -int32_t((-v + 32768) >> 16);
}

}  // namespace

int32_t rotationCos(int degrees) { return rotationTables().cosine[std::size_t(wrapDegrees(degrees))]; }
int32_t rotationSin(int degrees) { return rotationTables().sine[std::size_t(wrapDegrees(degrees))]; }

void copyMosaic(uint32_t* dst, int dstPitch, const uint32_t* src, int srcPitch, int width,
                int rows, int type) {
  if (type < 2 || type > 16) return;
  const int b = type & ~1;
  const int blocksX = width / b;
  const int blocksY = rows / b;
  for (int by = 0; by < blocksY; ++by) {
    const uint32_t* s = src + ptrdiff_t(by) * b * srcPitch;
    for (int bx = 0; bx < blocksX; ++bx) {
      const uint32_t v = s[ptrdiff_t(bx) * b];
      for (int y = 0; y < b; ++y) {
        uint32_t* d = dst + (ptrdiff_t(by) * b + y) * dstPitch + ptrdiff_t(bx) * b;
        for (int x = 0; x < b; ++x) d[x] = v;
      }
    }
  }
}

void copyRotated(uint32_t* dst, int width, int height, const uint32_t* src, int angle) {
  if (width <= 0 || height <= 0) return;
  const int deg = wrapDegrees(angle);
  const int64_t c = rotationTables().cosine[std::size_t(deg)];
  const int64_t s = rotationTables().sine[std::size_t(deg)];
  const int cx = width >> 1;
  const int cy = height >> 1;
  for (int y = 0; y < height; ++y) {
    const int64_t dy = y - cy;
    // The products grow by c and s per column; 64 bits keep any frame size exact.
    int64_t u = int64_t(-cx) * c - dy * s;
    int64_t v = int64_t(-cx) * s + dy * c;
    uint32_t* d = dst + ptrdiff_t(y) * width;
    for (int x = 0; x < width; ++x, u += c, v += s) {
      const int32_t sx = cx + roundFixed(u);
      const int32_t sy = cy + roundFixed(v);
      if (sx >= 0 && sx < width && sy >= 0 && sy < height) {
        d[x] = src[ptrdiff_t(sy) * width + sx];
      }
    }
  }
}

void boxFilter4x4(uint32_t* pixels, int width, int rows, int pitchBytes) {
  uint8_t* base = reinterpret_cast<uint8_t*>(pixels);
  for (int by = 0; by + 4 <= rows; by += 4) {
    for (int bx = 0; bx + 4 <= width; bx += 4) {
      uint32_t sum[3] = {0, 0, 0};
      for (int y = 0; y < 4; ++y) {
        const uint8_t* p = base + ptrdiff_t(by + y) * pitchBytes + ptrdiff_t(bx) * 4;
        for (int x = 0; x < 4; ++x) {
          sum[0] += p[x * 4];
          sum[1] += p[x * 4 + 1];
          sum[2] += p[x * 4 + 2];
        }
      }
      uint8_t* corner = base + ptrdiff_t(by) * pitchBytes + ptrdiff_t(bx) * 4;
      corner[0] = uint8_t(sum[0] >> 4);
      corner[1] = uint8_t(sum[1] >> 4);
      corner[2] = uint8_t(sum[2] >> 4);
    }
  }
}

void expand24To32(uint32_t* dst, const uint8_t* srcRow, int width, int rows,
                  ptrdiff_t srcRowLength) {
  if (width <= 0) return;
  for (int y = 0; y < rows; ++y) {
    const uint8_t* s = srcRow - ptrdiff_t(y) * srcRowLength;
    uint32_t* d = dst + ptrdiff_t(y) * width;
    for (int x = 0; x < width; ++x, s += 3) {
      d[x] = 0xFF000000u | (uint32_t(s[2]) << 16) | (uint32_t(s[1]) << 8) | s[0];
    }
  }
}

}  // namespace ml::pixel_detail
