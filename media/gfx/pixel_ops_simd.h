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

#include "media/gfx/pixel_ops.h"

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

// Every byte mixed with one weight w for all pixels: (s*w + d*(255-w)) >> 8.
template <class V>
inline typename V::T mixUniform(typename V::T s, typename V::T d, int w) {
  if constexpr (V::kMaddubs) {
    return V::mixUniform(s, d, w);
  } else {
    typename V::T z = V::zero();
    typename V::T vw = V::set16(w);
    return V::packus16(mix16<V>(V::unpacklo8(s, z), V::unpacklo8(d, z), vw),
                       mix16<V>(V::unpackhi8(s, z), V::unpackhi8(d, z), vw));
  }
}

// Memory access of a block: whole vectors; the first lanes only, for rows shorter than
// a vector (masked where the instruction set has it, else through a small buffer; the
// other lanes read as 0 and are never written); or a whole vector whose store is held
// back until the rest of the row is done.
template <class V>
struct FullIO {
  typename V::T load(const uint32_t* p) const { return V::load(p); }
  void store(uint32_t* p, typename V::T v) const { V::store(p, v); }
};

template <class V>
struct PartialIO {
  int left;
  typename V::T load(const uint32_t* p) const {
    if constexpr (V::kMaskedIO) {
      return V::maskload(p, V::tailMask(left));
    } else {
      alignas(32) uint32_t t[V::kPixels] = {};
      std::memcpy(t, p, size_t(left) * 4);
      return V::load(t);
    }
  }
  void store(uint32_t* p, typename V::T v) const {
    if constexpr (V::kMaskedIO) {
      V::maskstore(p, V::tailMask(left), v);
    } else {
      alignas(32) uint32_t t[V::kPixels];
      V::store(t, v);
      std::memcpy(p, t, size_t(left) * 4);
    }
  }
};

template <class V>
struct HeldIO {
  typename V::T* value;
  uint32_t** where;
  typename V::T load(const uint32_t* p) const { return V::load(p); }
  void store(uint32_t* p, typename V::T v) const {
    *value = v;
    *where = p;
  }
};

// Runs block(x, io) over the vectors of a row of width pixels. A row that does not end
// on a vector boundary gets its last vector computed first, from the untouched pixels,
// at width - n; it overlaps the vector before it, and is stored after the rest: every
// routine here gives each pixel a value that depends only on that pixel's inputs, so
// the overlapping pixels are written twice with the same value. With kPaired, pair(x)
// may finish two vectors at once (long clear or opaque runs) and returns true if so.
template <class V, bool kPaired, class Block, class Pair>
inline void forRow(ptrdiff_t width, Block block, Pair pair) {
  constexpr ptrdiff_t n = V::kPixels;
  if (width <= 0) return;
  if (width < n) {
    block(0, PartialIO<V>{int(width)});
    return;
  }
  typename V::T held = V::zero();
  uint32_t* heldAt = nullptr;
  if (width % n != 0) block(width - n, HeldIO<V>{&held, &heldAt});
  ptrdiff_t x = 0;
  if constexpr (kPaired) {
    for (; x + 2 * n <= width; x += 2 * n) {
      if (!pair(x)) {
        block(x, FullIO<V>{});
        block(x + n, FullIO<V>{});
      }
    }
  }
  for (; x + n <= width; x += n) block(x, FullIO<V>{});
  if (heldAt != nullptr) V::store(heldAt, held);
}

template <class V, class Block>
inline void forRect(uint32_t* dst, int dstPitch, const uint32_t* src, int srcPitch, int width,
                    int rows, Block block) {
  for (int y = 0; y < rows; ++y) {
    uint32_t* d = dst + ptrdiff_t(y) * dstPitch;
    const uint32_t* s = src + ptrdiff_t(y) * srcPitch;
    forRow<V, false>(
        width, [&](ptrdiff_t x, auto io) { block(d + x, s + x, io); }, [](ptrdiff_t) { return false; });
  }
}

// --- sprite drawing -------------------------------------------------------------

template <class V>
void blendAlpha(uint32_t* dst, int dstPitch, const uint32_t* src, int srcPitch, int width,
                int rows) {
  auto block = [](uint32_t* d, const uint32_t* s, auto io) {
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
  };
  // Sprites are mostly long runs of clear or opaque pixels: two vectors are tested at
  // once, and taken one at a time only where a run changes.
  constexpr ptrdiff_t n = V::kPixels;
  for (int y = 0; y < rows; ++y) {
    uint32_t* d = dst + ptrdiff_t(y) * dstPitch;
    const uint32_t* s = src + ptrdiff_t(y) * srcPitch;
    forRow<V, true>(
        width, [&](ptrdiff_t x, auto io) { block(d + x, s + x, io); },
        [&](ptrdiff_t x) {
          typename V::T s0 = V::load(s + x), s1 = V::load(s + x + n);
          if (V::allClear(V::or_(s0, s1))) return true;
          if (V::allOpaque(V::and_(s0, s1))) {
            V::store(d + x, s0);
            V::store(d + x + n, s1);
            return true;
          }
          return false;
        });
  }
}

template <class V>
void blendAlphaScaled(uint32_t* dst, int dstPitch, const uint32_t* src, int srcPitch,
                      int width, int rows, int level) {
  const int l = clampTo(level, 0, 255);
  const int opaqueWeight = (255 * l) >> 8;
  forRect<V>(dst, dstPitch, src, srcPitch, width, rows, [l, opaqueWeight](uint32_t* d, const uint32_t* s, auto io) {
    typename V::T sv = io.load(s);
    // Boards and other opaque areas: one weight for the whole vector.
    if (V::allOpaque(sv) && opaqueWeight != 0) {
      io.store(d, mixUniform<V>(sv, io.load(d), opaqueWeight));
      return;
    }
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
  const typename V::T mul = V::unpacklo32(V::set32(lo), V::set32(hi));
  // The frame is contiguous: one long row.
  forRow<V, false>(
      ptrdiff_t(width) * rows,
      [&](ptrdiff_t x, auto io) {
        typename V::T z = V::zero();
        typename V::T dv = io.load(pixels + x);
        typename V::T l = V::template srli16<8>(V::mullo16(V::unpacklo8(dv, z), mul));
        typename V::T h = V::template srli16<8>(V::mullo16(V::unpackhi8(dv, z), mul));
        io.store(pixels + x, V::packus16(l, h));
      },
      [](ptrdiff_t) { return false; });
}

template <class V>
void crossFade(uint32_t* dst, int dstPitch, const uint32_t* p, int pPitch, const uint32_t* q,
               int qPitch, int width, int rows, int level) {
  const int v = clampTo(level, 0, 255);
  for (int y = 0; y < rows; ++y) {
    uint32_t* d = dst + ptrdiff_t(y) * dstPitch;
    const uint32_t* pr = p + ptrdiff_t(y) * pPitch;
    const uint32_t* qr = q + ptrdiff_t(y) * qPitch;
    forRow<V, false>(
        width,
        [&](ptrdiff_t x, auto io) {
          typename V::T pv = io.load(pr + x), qv = io.load(qr + x);
          typename V::T z = V::zero();
          typename V::T r = mixUniform<V>(pv, qv, v);
          // Where one side is clear the other side's colour shows unmixed; the alpha
          // byte of the mix is then already the wanted (Xa * weight) >> 8.
          typename V::T am = V::set32(kAlphaMask), cm = V::set32(~kAlphaMask);
          typename V::T pClear = V::cmpeq32(V::and_(pv, am), z);
          typename V::T qClear = V::andnot(pClear, V::cmpeq32(V::and_(qv, am), z));
          r = select<V>(V::and_(pClear, cm), qv, r);
          r = select<V>(V::and_(qClear, cm), pv, r);
          io.store(d + x, r);
        },
        [](ptrdiff_t) { return false; });
  }
}

}  // namespace simd
}  // namespace
}  // namespace ml
