// The portable set: plain per-pixel loops. Its colours differ from the fast set at
// alpha 255 (blended, not copied), in the darkened blend and in the grey copy; both
// looks belong to the game.
#include <cstddef>
#include <cstdint>

#include "media/gfx/pixel_ops.h"
#include "media/gfx/pixel_ops_internal.h"

namespace ml {
namespace {

using std::uint32_t;

int clampTo(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

uint32_t byteOf(uint32_t pixel, int i) { return (pixel >> (8 * i)) & 0xFFu; }

// max(0, v - cut) for every byte value, made once per call.
struct CutTable {
  std::uint8_t v[256];
  explicit CutTable(uint32_t cut) {
    for (uint32_t i = 0; i < 256; ++i) v[i] = std::uint8_t(i > cut ? i - cut : 0);
  }
};

// (s*w + d*(255-w)) >> 8 on all four bytes.
uint32_t blendPixel(uint32_t s, uint32_t d, uint32_t w) {
  uint32_t out = 0;
  for (int i = 0; i < 4; ++i) {
    out |= ((byteOf(s, i) * w + byteOf(d, i) * (255 - w)) >> 8) << (8 * i);
  }
  return out;
}

void blendAlpha(uint32_t* dst, int dstPitch, const uint32_t* src, int srcPitch, int width,
                int rows) {
  for (int y = 0; y < rows; ++y) {
    uint32_t* d = dst + std::ptrdiff_t(y) * dstPitch;
    const uint32_t* s = src + std::ptrdiff_t(y) * srcPitch;
    for (int x = 0; x < width; ++x) {
      uint32_t a = s[x] >> 24;
      if (a != 0) d[x] = blendPixel(s[x], d[x], a);
    }
  }
}

void blendAlphaScaled(uint32_t* dst, int dstPitch, const uint32_t* src, int srcPitch,
                      int width, int rows, int level) {
  uint32_t l = uint32_t(clampTo(level, 0, 255));
  for (int y = 0; y < rows; ++y) {
    uint32_t* d = dst + std::ptrdiff_t(y) * dstPitch;
    const uint32_t* s = src + std::ptrdiff_t(y) * srcPitch;
    for (int x = 0; x < width; ++x) {
      uint32_t e = ((s[x] >> 24) * l) >> 8;
      if (e != 0) d[x] = blendPixel(s[x], d[x], e);
    }
  }
}

void blendAlphaDarkened(uint32_t* dst, int dstPitch, const uint32_t* src, int srcPitch,
                        int width, int rows, int fade) {
  const CutTable cut(255 - uint32_t(clampTo(fade, 0, 255)));
  for (int y = 0; y < rows; ++y) {
    uint32_t* d = dst + std::ptrdiff_t(y) * dstPitch;
    const uint32_t* s = src + std::ptrdiff_t(y) * srcPitch;
    for (int x = 0; x < width; ++x) {
      uint32_t a = s[x] >> 24;
      if (a == 0) continue;
      uint32_t t = blendPixel(s[x], d[x], a);
      d[x] = (uint32_t(cut.v[t >> 24]) << 24) | (uint32_t(cut.v[byteOf(t, 2)]) << 16) |
             (uint32_t(cut.v[byteOf(t, 1)]) << 8) | cut.v[byteOf(t, 0)];
    }
  }
}

void copyDarkened(uint32_t* dst, int dstPitch, const uint32_t* src, int srcPitch, int width,
                  int rows, int fade) {
  const CutTable cut(255 - uint32_t(clampTo(fade, 0, 255)));
  for (int y = 0; y < rows; ++y) {
    uint32_t* d = dst + std::ptrdiff_t(y) * dstPitch;
    const uint32_t* s = src + std::ptrdiff_t(y) * srcPitch;
    for (int x = 0; x < width; ++x) {
      const uint32_t p = s[x];
      d[x] = (p & 0xFF000000u) | (uint32_t(cut.v[byteOf(p, 2)]) << 16) |
             (uint32_t(cut.v[byteOf(p, 1)]) << 8) | cut.v[byteOf(p, 0)];
    }
  }
}

void copyGrey(uint32_t* dst, int dstPitch, const uint32_t* src, int srcPitch, int width,
              int rows) {
  for (int y = 0; y < rows; ++y) {
    uint32_t* d = dst + std::ptrdiff_t(y) * dstPitch;
    const uint32_t* s = src + std::ptrdiff_t(y) * srcPitch;
    for (int x = 0; x < width; ++x) {
      uint32_t g = byteOf(s[x], 1);
      d[x] = (s[x] & 0xFF000000u) | (g << 16) | (g << 8) | g;
    }
  }
}

void darkenFrame(uint32_t* pixels, int width, int rows, int amount) {
  if (width <= 0 || rows <= 0) return;
  uint32_t k = uint32_t(255 + clampTo(amount, -255, 0));
  std::size_t count = std::size_t(width) * std::size_t(rows);
  for (std::size_t i = 0; i < count; ++i) {
    uint32_t p = pixels[i];
    pixels[i] = (((byteOf(p, 2) * k) >> 8) << 16) | (((byteOf(p, 1) * k) >> 8) << 8) |
                ((byteOf(p, 0) * k) >> 8);
  }
}

void crossFade(uint32_t* dst, int dstPitch, const uint32_t* p, int pPitch, const uint32_t* q,
               int qPitch, int width, int rows, int level) {
  uint32_t v = uint32_t(clampTo(level, 0, 255));
  for (int y = 0; y < rows; ++y) {
    uint32_t* d = dst + std::ptrdiff_t(y) * dstPitch;
    const uint32_t* pr = p + std::ptrdiff_t(y) * pPitch;
    const uint32_t* qr = q + std::ptrdiff_t(y) * qPitch;
    for (int x = 0; x < width; ++x) {
      uint32_t pa = pr[x] >> 24;
      uint32_t qa = qr[x] >> 24;
      if (pa == 0) {
        d[x] = (qr[x] & 0x00FFFFFFu) | (((qa * (255 - v)) >> 8) << 24);
      } else if (qa == 0) {
        d[x] = (pr[x] & 0x00FFFFFFu) | (((pa * v) >> 8) << 24);
      } else {
        d[x] = blendPixel(pr[x], qr[x], v);
      }
    }
  }
}

const PixelOps kPortable = {
    .name = "portable",
    .fast = false,
    .blendAlpha = blendAlpha,
    .blendAlphaScaled = blendAlphaScaled,
    .blendAlphaDarkened = blendAlphaDarkened,
    .copyDarkened = copyDarkened,
    .copyGrey = copyGrey,
    .copyPixels = pixel_detail::copyPixels,
    .copyMosaic = pixel_detail::copyMosaic,
    .copyRotated = pixel_detail::copyRotated,
    .darkenFrame = darkenFrame,
    .crossFade = crossFade,
    .fillPixels = pixel_detail::fillPixels,
    .subtractAll = pixel_detail::subtractAll,
    .addAll = pixel_detail::addAll,
    .scaleCopyAll = pixel_detail::scaleCopyAll,
    .maxCopyAll = pixel_detail::maxCopyAll,
    .maskedCopy = pixel_detail::maskedCopy,
    .boxFilter4x4 = pixel_detail::boxFilter4x4,
    .expand24To32 = pixel_detail::expand24To32,
    .scaleRgbPercent = pixel_detail::scaleRgbPercent,
    .adjustHsv = pixel_detail::adjustHsv,
};

}  // namespace

const PixelOps& portablePixelOps() { return kPortable; }

}  // namespace ml
