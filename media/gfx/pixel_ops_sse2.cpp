// The fast set at SSE2 level: four pixels per vector. Every x86-64 processor has it.
#include "media/gfx/pixel_ops_internal.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include "media/gfx/pixel_ops_simd.h"

namespace ml {
namespace {

struct Sse2 {
  using T = __m128i;
  static constexpr int kPixels = 4;
  static constexpr int kAllBits = 0xF;
  static constexpr bool kMaskedIO = false;  // row ends go through a small buffer

  static T load(const std::uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const T*>(p)); }
  static void store(std::uint32_t* p, T v) { _mm_storeu_si128(reinterpret_cast<T*>(p), v); }
  // Never called (kMaskedIO is false), present so the shared code compiles.
  static T tailMask(int) { return zero(); }
  static T maskload(const std::uint32_t* p, T) { return load(p); }
  static void maskstore(std::uint32_t* p, T, T v) { store(p, v); }
  static T zero() { return _mm_setzero_si128(); }
  static T set32(std::uint32_t v) { return _mm_set1_epi32(int(v)); }
  static T set16(int v) { return _mm_set1_epi16(short(v)); }
  static T and_(T a, T b) { return _mm_and_si128(a, b); }
  static T or_(T a, T b) { return _mm_or_si128(a, b); }
  static T xor_(T a, T b) { return _mm_xor_si128(a, b); }
  static T andnot(T a, T b) { return _mm_andnot_si128(a, b); }
  static T cmpeq32(T a, T b) { return _mm_cmpeq_epi32(a, b); }
  static int mask32(T a) { return _mm_movemask_ps(_mm_castsi128_ps(a)); }
  static T unpacklo8(T a, T b) { return _mm_unpacklo_epi8(a, b); }
  static T unpackhi8(T a, T b) { return _mm_unpackhi_epi8(a, b); }
  static T unpacklo32(T a, T b) { return _mm_unpacklo_epi32(a, b); }
  static T unpackhi32(T a, T b) { return _mm_unpackhi_epi32(a, b); }
  static T packus16(T a, T b) { return _mm_packus_epi16(a, b); }
  static T mullo16(T a, T b) { return _mm_mullo_epi16(a, b); }
  static T add16(T a, T b) { return _mm_add_epi16(a, b); }
  static T add32(T a, T b) { return _mm_add_epi32(a, b); }
  static T subsu8(T a, T b) { return _mm_subs_epu8(a, b); }
  template <int N> static T srli16(T a) { return _mm_srli_epi16(a, N); }
  template <int N> static T srli32(T a) { return _mm_srli_epi32(a, N); }
  template <int N> static T slli32(T a) { return _mm_slli_epi32(a, N); }
  static T blendv(T mask, T a, T b) { return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b)); }
  static bool allClear(T p) {
    return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(p, set32(0xFF000000u)), zero())) == 0xFFFF;
  }
  static bool allOpaque(T p) {
    const T a = set32(0xFF000000u);
    return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(p, a), a)) == 0xFFFF;
  }
  static constexpr bool kMaddubs = false;
  // Unused (kMaddubs is false), present so the shared code compiles.
  template <int Byte> static T mixWeighted(T, T, T w) { return w; }
  static T mixUniform(T s, T, int) { return s; }
  // Lane Byte of each unpacked pixel copied into all four of its lanes.
  template <int Byte> static T spread16(T a) {
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(a, Byte * 0x55), Byte * 0x55);
  }
};

const PixelOps kSse2 = {
    .name = "sse2",
    .fast = true,
    .blendAlpha = simd::blendAlpha<Sse2>,
    .blendAlphaScaled = simd::blendAlphaScaled<Sse2>,
    .blendAlphaDarkened = simd::blendAlphaDarkened<Sse2>,
    .copyDarkened = simd::copyDarkened<Sse2>,
    .copyGrey = simd::copyGrey<Sse2>,
    .copyPixels = pixel_detail::copyPixels,
    .copyMosaic = pixel_detail::copyMosaic,
    .copyRotated = pixel_detail::copyRotated,
    .darkenFrame = simd::darkenFrame<Sse2>,
    .crossFade = simd::crossFade<Sse2>,
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

const PixelOps* pixel_detail::sse2Table() { return &kSse2; }

}  // namespace ml

#else

namespace ml {
const PixelOps* pixel_detail::sse2Table() { return nullptr; }
}  // namespace ml

#endif
