// The fast set's routines written once over a vector width: included by the SSE2 file
// (4 pixels per vector) and by the AVX2 file (8 pixels, compiled with -mavx2).
// Everything here has internal linkage on purpose: each including file gets its own
// copy compiled for its own instruction set, and no AVX2 code can be shared by the
// linker with code that runs on processors without it.
//
// Exactness: a colour product s*w + d*(255-w) is at most 255*255 = 65025, so 16-bit
// lanes hold every sum of the formulas exactly and ">> 8" is a logical lane shift.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "media/pixel_ops.h"

namespace ml {
namespace {
namespace simd {

using std::ptrdiff_t;
using std::size_t;
using std::uint32_t;

constexpr uint32_t kAlphaMask = 0xFF000000u;

inline int clampTo(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// d where mask is set, else r.
template <class V>
inline typename V::T select(typename V::T mask, typename V::T d, typename V::T r) {
  return V::blendv(mask, d, r);
}

// (s*w + d*(255-w)) >> 8 on 16-bit lanes.
template <class V>
inline typename V::T mix16(typename V::T s, typename V::T d, typename V::T w) {
  typename V::T inv = V::xor_(w, V::set16(255));
  return V::template srli16<8>(V::add16(V::mullo16(s, w), V::mullo16(d, inv)));
}

// Every byte of every pixel mixed with that pixel's weight, taken from byte Byte of the
// same pixel in w: (s*w + d*(255-w)) >> 8. Sets with a byte multiply-add use it.
template <class V, int Byte>
inline typename V::T mixWeighted(typename V::T s, typename V::T d, typename V::T w) {
  if constexpr (V::kMaddubs) {
    return V::template mixWeighted<Byte>(s, d, w);
  } else {
    typename V::T z = V::zero();
    typename V::T sl = V::unpacklo8(s, z), sh = V::unpackhi8(s, z);
    typename V::T dl = V::unpacklo8(d, z), dh = V::unpackhi8(d, z);
    typename V::T wl = V::template spread16<Byte>(V::unpacklo8(w, z));
    typename V::T wh = V::template spread16<Byte>(V::unpackhi8(w, z));
    return V::packus16(mix16<V>(sl, dl, wl), mix16<V>(sh, dh, wh));
  }
}

// Memory access of a kernel: whole vectors, or the first lanes only at the end of a
// row (the other lanes read as 0 and are never written).
template <class V>
struct FullIO {
  typename V::T load(const uint32_t* p) const { return V::load(p); }
  void store(uint32_t* p, typename V::T v) const { V::store(p, v); }
};

template <class V>
struct TailIO {
  typename V::T mask;
  typename V::T load(const uint32_t* p) const { return V::maskload(p, mask); }
  void store(uint32_t* p, typename V::T v) const { V::maskstore(p, mask, v); }
};

// Calls kernel(io, offset) for the vectors of a run of count pixels; the last partial
// vector uses masked access where the instruction set has it, else a small buffer, so
// that nothing outside the run is read or written.
template <class V, class Whole, class Tail>
inline void forRun(int count, Whole whole, Tail tail) {
  constexpr int n = V::kPixels;
  int x = 0;
  for (; x + n <= count; x += n) whole(x);
  if (x < count) tail(x, count - x);
}

template <class V, class Kernel>
inline void forRect(uint32_t* dst, int dstPitch, const uint32_t* src, int srcPitch, int width,
                    int rows, Kernel kernel) {
  constexpr int n = V::kPixels;
  for (int y = 0; y < rows; ++y) {
    uint32_t* d = dst + ptrdiff_t(y) * dstPitch;
    const uint32_t* s = src + ptrdiff_t(y) * srcPitch;
    forRun<V>(
        width, [&](int x) { kernel(d + x, s + x, FullIO<V>{}); },
        [&](int x, int left) {
          if constexpr (V::kMaskedIO) {
            kernel(d + x, s + x, TailIO<V>{V::tailMask(left)});
          } else {
            alignas(32) uint32_t ts[n] = {};
            alignas(32) uint32_t td[n] = {};
            const size_t bytes = size_t(left) * 4;
            std::memcpy(ts, s + x, bytes);
            std::memcpy(td, d + x, bytes);
            kernel(td, ts, FullIO<V>{});
            std::memcpy(d + x, td, bytes);
          }
        });
  }
}

// --- sprite drawing -------------------------------------------------------------

template <class V>
void blendAlpha(uint32_t* dst, int dstPitch, const uint32_t* src, int srcPitch, int width,
                int rows) {
  forRect<V>(dst, dstPitch, src, srcPitch, width, rows, [](uint32_t* d, const uint32_t* s, auto io) {
    typename V::T sv = io.load(s);
    if (V::allClear(sv)) return;
    if (V::allOpaque(sv)) {
      io.store(d, sv);
      return;
    }
    typename V::T dv = io.load(d);
    typename V::T r = mixWeighted<V, 3>(sv, dv, sv);
    // Opaque pixels are copied exactly, clear ones leave the destination as it was.
    typename V::T a = V::and_(sv, V::set32(kAlphaMask));
    r = select<V>(V::cmpeq32(a, V::set32(kAlphaMask)), sv, r);
    r = select<V>(V::cmpeq32(a, V::zero()), dv, r);
    io.store(d, r);
  });
}

template <class V>
void blendAlphaScaled(uint32_t* dst, int dstPitch, const uint32_t* src, int srcPitch,
                      int width, int rows, int level) {
  const int l = clampTo(level, 0, 255);
  forRect<V>(dst, dstPitch, src, srcPitch, width, rows, [l](uint32_t* d, const uint32_t* s, auto io) {
    typename V::T sv = io.load(s);
    // e = (a*L) >> 8 in each 32-bit lane (the product fits the lane's low 16 bits).
    typename V::T e32 = V::template srli32<8>(
        V::mullo16(V::template srli32<24>(sv), V::set32(uint32_t(l))));
    typename V::T clear = V::cmpeq32(e32, V::zero());
    if (V::mask32(clear) == V::kAllBits) return;
    typename V::T dv = io.load(d);
    io.store(d, select<V>(clear, dv, mixWeighted<V, 0>(sv, dv, e32)));
  });
}

template <class V>
void blendAlphaDarkened(uint32_t* dst, int dstPitch, const uint32_t* src, int srcPitch,
                        int width, int rows, int fade) {
  const int f = clampTo(fade, 0, 255);
  forRect<V>(dst, dstPitch, src, srcPitch, width, rows, [f](uint32_t* d, const uint32_t* s, auto io) {
    typename V::T sv = io.load(s);
    if (V::allClear(sv)) return;
    typename V::T clear = V::cmpeq32(V::and_(sv, V::set32(kAlphaMask)), V::zero());
    typename V::T dv = io.load(d);
    typename V::T z = V::zero();
    typename V::T vf = V::set16(f);
    typename V::T sl = V::unpacklo8(sv, z), sh = V::unpackhi8(sv, z);
    typename V::T dl = V::unpacklo8(dv, z), dh = V::unpackhi8(dv, z);
    // The source is darkened first ((s*F) >> 8), then blended with its own alpha.
    typename V::T wl = V::template spread16<3>(sl), wh = V::template spread16<3>(sh);
    sl = V::template srli16<8>(V::mullo16(sl, vf));
    sh = V::template srli16<8>(V::mullo16(sh, vf));
    typename V::T r = V::packus16(mix16<V>(sl, dl, wl), mix16<V>(sh, dh, wh));
    io.store(d, select<V>(clear, dv, r));
  });
}

template <class V>
void copyDarkened(uint32_t* dst, int dstPitch, const uint32_t* src, int srcPitch, int width,
                  int rows, int fade) {
  // A saturating byte subtraction; the alpha byte subtracts 0 and is copied.
  const uint32_t cut = 255 - uint32_t(clampTo(fade, 0, 255));
  const uint32_t cuts = cut | (cut << 8) | (cut << 16);
  forRect<V>(dst, dstPitch, src, srcPitch, width, rows, [cuts](uint32_t* d, const uint32_t* s, auto io) {
    io.store(d, V::subsu8(io.load(s), V::set32(cuts)));
  });
}

template <class V>
void copyGrey(uint32_t* dst, int dstPitch, const uint32_t* src, int srcPitch, int width,
              int rows) {
  forRect<V>(dst, dstPitch, src, srcPitch, width, rows, [](uint32_t* d, const uint32_t* s, auto io) {
    typename V::T sv = io.load(s);
    typename V::T byteMask = V::set32(0xFF);
    // Each weighted channel stays below 65536, so 16-bit products in 32-bit lanes
    // are exact.
    typename V::T b = V::and_(sv, byteMask);
    typename V::T g = V::and_(V::template srli32<8>(sv), byteMask);
    typename V::T r = V::and_(V::template srli32<16>(sv), byteMask);
    typename V::T sum = V::add32(V::add32(V::mullo16(b, V::set32(29)), V::mullo16(g, V::set32(150))),
                                 V::mullo16(r, V::set32(76)));
    typename V::T grey = V::template srli32<8>(sum);
    typename V::T out = V::or_(V::or_(grey, V::template slli32<8>(grey)), V::template slli32<16>(grey));
    io.store(d, V::or_(out, V::and_(sv, V::set32(kAlphaMask))));
  });
}

// --- whole-frame routines ---------------------------------------------------------

template <class V>
void darkenFrame(uint32_t* pixels, int width, int rows, int amount) {
  if (width <= 0 || rows <= 0) return;
  const int k = 255 + clampTo(amount, -255, 0);
  // Colour lanes are multiplied by k, the alpha lane by 0: it comes out cleared.
  const uint32_t lo = uint32_t(k) | (uint32_t(k) << 16);
  const uint32_t hi = uint32_t(k);
  const size_t count = size_t(width) * size_t(rows);
  const typename V::T mul = V::unpacklo32(V::set32(lo), V::set32(hi));
  auto kernel = [mul](uint32_t* d, auto io) {
    typename V::T z = V::zero();
    typename V::T dv = io.load(d);
    typename V::T l = V::template srli16<8>(V::mullo16(V::unpacklo8(dv, z), mul));
    typename V::T h = V::template srli16<8>(V::mullo16(V::unpackhi8(dv, z), mul));
    io.store(d, V::packus16(l, h));
  };
  // One long row: the frame is contiguous.
  constexpr size_t n = size_t(V::kPixels);
  size_t i = 0;
  for (; i + n <= count; i += n) kernel(pixels + i, FullIO<V>{});
  if (i < count) {
    const int left = int(count - i);
    if constexpr (V::kMaskedIO) {
      kernel(pixels + i, TailIO<V>{V::tailMask(left)});
    } else {
      alignas(32) uint32_t t[n] = {};
      std::memcpy(t, pixels + i, size_t(left) * 4);
      kernel(t, FullIO<V>{});
      std::memcpy(pixels + i, t, size_t(left) * 4);
    }
  }
}

template <class V>
void crossFade(uint32_t* dst, int dstPitch, const uint32_t* p, int pPitch, const uint32_t* q,
               int qPitch, int width, int rows, int level) {
  const int v = clampTo(level, 0, 255);
  for (int y = 0; y < rows; ++y) {
    uint32_t* d = dst + ptrdiff_t(y) * dstPitch;
    const uint32_t* pr = p + ptrdiff_t(y) * pPitch;
    const uint32_t* qr = q + ptrdiff_t(y) * qPitch;
    auto kernel = [v](uint32_t* out, const uint32_t* pp, const uint32_t* qp, auto io) {
      typename V::T pv = io.load(pp), qv = io.load(qp);
      typename V::T z = V::zero();
      typename V::T w = V::set16(v);
      typename V::T r = V::packus16(mix16<V>(V::unpacklo8(pv, z), V::unpacklo8(qv, z), w),
                                    mix16<V>(V::unpackhi8(pv, z), V::unpackhi8(qv, z), w));
      // Where one side is clear the other side's colour shows unmixed; the alpha byte
      // of the mix is then already the wanted (Xa * weight) >> 8.
      typename V::T am = V::set32(kAlphaMask), cm = V::set32(~kAlphaMask);
      typename V::T pClear = V::cmpeq32(V::and_(pv, am), z);
      typename V::T qClear = V::andnot(pClear, V::cmpeq32(V::and_(qv, am), z));
      r = select<V>(V::and_(pClear, cm), qv, r);
      r = select<V>(V::and_(qClear, cm), pv, r);
      io.store(out, r);
    };
    constexpr int n = V::kPixels;
    forRun<V>(
        width, [&](int x) { kernel(d + x, pr + x, qr + x, FullIO<V>{}); },
        [&](int x, int left) {
          if constexpr (V::kMaskedIO) {
            kernel(d + x, pr + x, qr + x, TailIO<V>{V::tailMask(left)});
          } else {
            alignas(32) uint32_t tp[n] = {}, tq[n] = {}, td[n] = {};
            const size_t bytes = size_t(left) * 4;
            std::memcpy(tp, pr + x, bytes);
            std::memcpy(tq, qr + x, bytes);
            kernel(td, tp, tq, FullIO<V>{});
            std::memcpy(d + x, td, bytes);
          }
        });
  }
}

}  // namespace simd
}  // namespace
}  // namespace ml
