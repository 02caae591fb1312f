// Choice of the pixel routine set, once at start-up: the best SIMD level the processor
// reports, unless the portable set is forced.
#include <cstdlib>
#include <cstring>

#include "media/gfx/pixel_ops.h"
#include "media/gfx/pixel_ops_internal.h"

namespace ml {

const PixelOps* sse2PixelOps() { return pixel_detail::sse2Table(); }

const PixelOps* avx2PixelOps() {
#if defined(__x86_64__) || defined(__i386__)
  // The AVX2 code must never run on a processor without it.
  __builtin_cpu_init();  // safe even before static constructors have run
  if (__builtin_cpu_supports("avx2")) return &pixel_detail::avx2Table();
#endif
  return nullptr;
}

const PixelOps& fastPixelOps() {
  if (const PixelOps* ops = avx2PixelOps()) return *ops;
  if (const PixelOps* ops = sse2PixelOps()) return *ops;
  return portablePixelOps();
}

const PixelOps& selectPixelOps(bool forcePortable) {
  return forcePortable ? portablePixelOps() : fastPixelOps();
}

const PixelOps& pixelOpsFromEnvironment() {
  const char* v = std::getenv("MIRELUNE_PORTABLE_PIXELS");
  const bool force = v != nullptr && v[0] != '\0' && std::strcmp(v, "0") != 0;
  return selectPixelOps(force);
}

}  // namespace ml
