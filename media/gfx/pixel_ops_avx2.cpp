// The fast set at AVX2 level: eight pixels per vector. This file is compiled with
// -mavx2; nothing in it may run unless the processor reports AVX2 (the selection
// checks before handing the table out).
#include "media/gfx/pixel_ops_internal.h"

#include <immintrin.h>

#include "media/gfx/pixel_ops_simd.h"

namespace ml {
namespace {

struct Avx2 {
  using T = __m256i;
  static constexpr int kPixels = 8;
  static constexpr int kAllBits = 0xFF;
  static constexpr bool kMaskedIO = true;
  static constexpr bool kMaddubs = true;

  static T load(const std::uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const T*>(p)); }
  static void store(std::uint32_t* p, T v) { _mm256_storeu_si256(reinterpret_cast<T*>(p), v); }
  // Lanes below n enabled.
  static T tailMask(int n) {
    return _mm256_cmpgt_epi32(_mm256_set1_epi32(n), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  }
  static T maskload(const std::uint32_t* p, T m) {
    return _mm256_maskload_epi32(reinterpret_cast<const int*>(p), m);
  }
  static void maskstore(std::uint32_t* p, T m, T v) {
    _mm256_maskstore_epi32(reinterpret_cast<int*>(p), m, v);
  }
  static T zero() { return _mm256_setzero_si256(); }
  static T set32(std::uint32_t v) { return _mm256_set1_epi32(int(v)); }
  static T set16(int v) { return _mm256_set1_epi16(short(v)); }
  static T and_(T a, T b) { return _mm256_and_si256(a, b); }
  static T or_(T a, T b) { return _mm256_or_si256(a, b); }
  static T xor_(T a, T b) { return _mm256_xor_si256(a, b); }
  static T andnot(T a, T b) { return _mm256_andnot_si256(a, b); }
  static T cmpeq32(T a, T b) { return _mm256_cmpeq_epi32(a, b); }
  static int mask32(T a) { return _mm256_movemask_ps(_mm256_castsi256_ps(a)); }
  // The in-lane unpacks and the pack undo each other, so pixel order is kept.
  static T unpacklo8(T a, T b) { return _mm256_unpacklo_epi8(a, b); }
  static T unpackhi8(T a, T b) { return _mm256_unpackhi_epi8(a, b); }
  static T unpacklo32(T a, T b) { return _mm256_unpacklo_epi32(a, b); }
  static T unpackhi32(T a, T b) { return _mm256_unpackhi_epi32(a, b); }
  static T packus16(T a, T b) { return _mm256_packus_epi16(a, b); }
  static T mullo16(T a, T b) { return _mm256_mullo_epi16(a, b); }
  static T add16(T a, T b) { return _mm256_add_epi16(a, b); }
  static T add32(T a, T b) { return _mm256_add_epi32(a, b); }
  static T subsu8(T a, T b) { return _mm256_subs_epu8(a, b); }
  template <int N> static T srli16(T a) { return _mm256_srli_epi16(a, N); }
  template <int N> static T srli32(T a) { return _mm256_srli_epi32(a, N); }
  template <int N> static T slli32(T a) { return _mm256_slli_epi32(a, N); }
  static T blendv(T mask, T a, T b) { return _mm256_blendv_epi8(b, a, mask); }
  static bool allClear(T p) { return _mm256_testz_si256(p, set32(0xFF000000u)) != 0; }
  static bool allOpaque(T p) { return _mm256_testc_si256(p, set32(0xFF000000u)) != 0; }
  template <int Byte> static T spread16(T a) {
    return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(a, Byte * 0x55), Byte * 0x55);
  }

  // (s*w + d*(255-w)) >> 8 with one byte multiply-add per 16 channels. The pixels are
  // made signed by subtracting 128, so w*s' + (255-w)*d' = w*s + (255-w)*d - 32640
  // lies in -32640..32385 (no saturation), and adding 32640 back gives the exact sum.
  template <int Byte>
  static T mixWeighted(T s, T d, T w) {
    // Weight pairs (w, 255 - w) beside each (s, d) pair.
    const T spreadLo = _mm256_setr_epi8(Byte, Byte, Byte, Byte, Byte, Byte, Byte, Byte,
                                        Byte + 4, Byte + 4, Byte + 4, Byte + 4, Byte + 4, Byte + 4, Byte + 4, Byte + 4,
                                        Byte, Byte, Byte, Byte, Byte, Byte, Byte, Byte,
                                        Byte + 4, Byte + 4, Byte + 4, Byte + 4, Byte + 4, Byte + 4, Byte + 4, Byte + 4);
    const T spreadHi = _mm256_add_epi8(spreadLo, _mm256_set1_epi8(8));
    const T invert = _mm256_set1_epi16(short(0xFF00));
    const T wl = _mm256_xor_si256(_mm256_shuffle_epi8(w, spreadLo), invert);
    const T wh = _mm256_xor_si256(_mm256_shuffle_epi8(w, spreadHi), invert);
    return mixPairs(s, d, wl, wh);
  }

  // One weight for every pixel.
  static T mixUniform(T s, T d, int w) {
    const T pairs = _mm256_set1_epi16(short(w | ((255 - w) << 8)));
    return mixPairs(s, d, pairs, pairs);
  }

  // The mix itself, with the weight pairs (w, 255 - w) of the low and high halves.
  static T mixPairs(T s, T d, T wl, T wh) {
    const T flip = _mm256_set1_epi8(-128);
    const T sx = _mm256_xor_si256(s, flip), dx = _mm256_xor_si256(d, flip);
    const T lo = _mm256_unpacklo_epi8(sx, dx), hi = _mm256_unpackhi_epi8(sx, dx);
    const T bias = _mm256_set1_epi16(32640);
    const T tl = _mm256_srli_epi16(_mm256_add_epi16(_mm256_maddubs_epi16(wl, lo), bias), 8);
    const T th = _mm256_srli_epi16(_mm256_add_epi16(_mm256_maddubs_epi16(wh, hi), bias), 8);
    return _mm256_packus_epi16(tl, th);
  }
};

const PixelOps kAvx2 = {
    .name = "avx2",
    .fast = true,
    .blendAlpha = simd::blendAlpha<Avx2>,
    .blendAlphaScaled = simd::blendAlphaScaled<Avx2>,
    .blendAlphaDarkened = simd::blendAlphaDarkened<Avx2>,
    .copyDarkened = simd::copyDarkened<Avx2>,
    .copyGrey = simd::copyGrey<Avx2>,
    .copyPixels = pixel_detail::copyPixels,
    .copyMosaic = pixel_detail::copyMosaic,
    .copyRotated = pixel_detail::copyRotated,
    .darkenFrame = simd::darkenFrame<Avx2>,
    .crossFade = simd::crossFade<Avx2>,
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

const PixelOps& pixel_detail::avx2Table() { return kAvx2; }

}  // namespace ml
