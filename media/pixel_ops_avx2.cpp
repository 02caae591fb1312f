// The fast set at AVX2 level: eight pixels per vector. This file is compiled with
// -mavx2; nothing in it may run unless the processor reports AVX2 (the selection
// checks before handing the table out).
#include "media/pixel_ops_internal.h"

#include <immintrin.h>

#include "media/pixel_ops_simd.h"

namespace ml {
namespace {

struct Avx2 {
  using T = __m256i;
  static constexpr int kPixels = 8;
  static constexpr int kAllBits = 0xFF;

  static T load(const std::uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const T*>(p)); }
  static void store(std::uint32_t* p, T v) { _mm256_storeu_si256(reinterpret_cast<T*>(p), v); }
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
  static T alpha16(T a) {
    return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(a, 0xFF), 0xFF);
  }
};

const PixelOps kAvx2 = {
    "avx2",
    true,
    simd::blendAlpha<Avx2>,
    simd::blendAlphaScaled<Avx2>,
    simd::blendAlphaDarkened<Avx2>,
    simd::copyDarkened<Avx2>,
    simd::copyGrey<Avx2>,
    pixel_detail::copyPixels,
    pixel_detail::copyMosaic,
    pixel_detail::copyRotated,
    simd::darkenFrame<Avx2>,
    simd::crossFade<Avx2>,
    pixel_detail::fillPixels,
    pixel_detail::subtractAll,
    pixel_detail::addAll,
    pixel_detail::scaleCopyAll,
    pixel_detail::maxCopyAll,
    pixel_detail::maskedCopy,
    pixel_detail::boxFilter4x4,
    pixel_detail::expand24To32,
    pixel_detail::scaleRgbPercent,
    pixel_detail::adjustHsv,
};

}  // namespace

const PixelOps& pixel_detail::avx2Table() { return kAvx2; }

}  // namespace ml
