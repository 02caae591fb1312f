// Whole-frame routines of the transitions, fills and the plain copy. Each exists once
// and is shared by every set; SSE2 is part of every x86-64 processor, so the vector
// loops need no probe. Other processors take the plain loops, with the same results.
#include <cstring>

#include "media/gfx/pixel_ops_internal.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ml::pixel_detail {
namespace {

using std::size_t;
using std::uint32_t;
using std::uint8_t;

int clampTo(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Applies op to every byte; the vector loop handles 16 bytes at a time.
template <typename Vec, typename Byte>
void forEachByte(uint32_t* pixels, size_t count, Vec vec, Byte byte) {
  size_t i = 0;
#if defined(__SSE2__)
  for (; i + 4 <= count; i += 4) {
    __m128i* p = reinterpret_cast<__m128i*>(pixels + i);
    _mm_storeu_si128(p, vec(_mm_loadu_si128(p)));
  }
#else
  (void)vec;
#endif
  uint8_t* bytes = reinterpret_cast<uint8_t*>(pixels + i);
  for (size_t b = 0; b < (count - i) * 4; ++b) bytes[b] = byte(bytes[b]);
}

template <typename Vec, typename Byte>
void forEachSourceByte(uint32_t* dst, const uint32_t* src, size_t count, Vec vec, Byte byte) {
  size_t i = 0;
#if defined(__SSE2__)
  for (; i + 4 <= count; i += 4) {
    __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), vec(s));
  }
#else
  (void)vec;
#endif
  const uint8_t* sb = reinterpret_cast<const uint8_t*>(src + i);
  uint8_t* db = reinterpret_cast<uint8_t*>(dst + i);
  for (size_t b = 0; b < (count - i) * 4; ++b) db[b] = byte(sb[b]);
}

}  // namespace

void copyPixels(uint32_t* dst, int dstPitch, const uint32_t* src, int srcPitch, int width,
                int rows) {
  if (width <= 0) return;
  for (int y = 0; y < rows; ++y) {
    std::memmove(dst + std::ptrdiff_t(y) * dstPitch, src + std::ptrdiff_t(y) * srcPitch,
                 size_t(width) * 4);
  }
}

void fillPixels(uint32_t* pixels, int red, int green, int blue, int alpha, size_t count) {
  // Each value keeps to its own byte, so a stray level cannot spill into its neighbour.
  uint32_t v = (uint32_t(alpha & 0xFF) << 24) | (uint32_t(red & 0xFF) << 16) |
               (uint32_t(green & 0xFF) << 8) | uint32_t(blue & 0xFF);
  size_t i = 0;
#if defined(__SSE2__)
  __m128i vv = _mm_set1_epi32(int(v));
  for (; i + 16 <= count; i += 16) {
    __m128i* p = reinterpret_cast<__m128i*>(pixels + i);
    _mm_storeu_si128(p, vv);
    _mm_storeu_si128(p + 1, vv);
    _mm_storeu_si128(p + 2, vv);
    _mm_storeu_si128(p + 3, vv);
  }
#endif
  for (; i < count; ++i) pixels[i] = v;
}

void subtractAll(uint32_t* pixels, size_t count, int step) {
  step = clampTo(step, -255, 255);
  if (step < 0) return addAll(pixels, count, -step);
  uint8_t s = uint8_t(step);
#if defined(__SSE2__)
  __m128i vs = _mm_set1_epi8(char(s));
  auto vec = [vs](__m128i x) { return _mm_subs_epu8(x, vs); };
#else
  auto vec = 0;
#endif
  forEachByte(pixels, count, vec, [s](uint8_t b) { return uint8_t(b > s ? b - s : 0); });
}

void addAll(uint32_t* pixels, size_t count, int step) {
  step = clampTo(step, -255, 255);
  if (step < 0) return subtractAll(pixels, count, -step);
  uint8_t s = uint8_t(step);
#if defined(__SSE2__)
  __m128i vs = _mm_set1_epi8(char(s));
  auto vec = [vs](__m128i x) { return _mm_adds_epu8(x, vs); };
#else
  auto vec = 0;
#endif
  forEachByte(pixels, count, vec,
              [s](uint8_t b) { return uint8_t(b + s > 255 ? 255 : b + s); });
}

void scaleCopyAll(uint32_t* dst, const uint32_t* src, size_t count, int level) {
  // 256 is accepted as the exact identity; 255 * 256 still fits a 16-bit lane.
  uint32_t l = uint32_t(clampTo(level, 0, 256));
#if defined(__SSE2__)
  __m128i vl = _mm_set1_epi16(short(l));
  __m128i zero = _mm_setzero_si128();
  auto vec = [vl, zero](__m128i s) {
    __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), vl), 8);
    __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), vl), 8);
    return _mm_packus_epi16(lo, hi);
  };
#else
  auto vec = 0;
#endif
  forEachSourceByte(dst, src, count, vec, [l](uint8_t b) { return uint8_t((b * l) >> 8); });
}

void maxCopyAll(uint32_t* dst, const uint32_t* src, size_t count, int level) {
  uint8_t l = uint8_t(clampTo(level, 0, 255));
#if defined(__SSE2__)
  __m128i vl = _mm_set1_epi8(char(l));
  auto vec = [vl](__m128i s) { return _mm_max_epu8(s, vl); };
#else
  auto vec = 0;
#endif
  forEachSourceByte(dst, src, count, vec, [l](uint8_t b) { return b > l ? b : l; });
}

void maskedCopy(int threshold, const uint32_t* pattern, const uint32_t* src, uint32_t* dst,
                size_t count) {
  size_t i = 0;
#if defined(__SSE2__)
  // Copy where green <= T, that is where not (green > T); a signed compare of the
  // green byte against T works for every int T.
  __m128i t = _mm_set1_epi32(threshold);
  __m128i greenMask = _mm_set1_epi32(0xFF);
  for (; i + 4 <= count; i += 4) {
    __m128i pat = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pattern + i));
    __m128i green = _mm_and_si128(_mm_srli_epi32(pat, 8), greenMask);
    __m128i keep = _mm_cmpgt_epi32(green, t);
    __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    __m128i* dp = reinterpret_cast<__m128i*>(dst + i);
    __m128i d = _mm_loadu_si128(dp);
    _mm_storeu_si128(dp, _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, s)));
  }
#endif
  for (; i < count; ++i) {
    if (threshold >= int((pattern[i] >> 8) & 0xFF)) dst[i] = src[i];
  }
}

}  // namespace ml::pixel_detail
