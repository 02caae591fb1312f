// The integer routines that walk 32-bit pixel rows: sprite blending, darkened, grey,
// mosaic and rotated copies, whole-frame effects of transitions, colour adjustments
// and the thumbnail box filter.
//
// Pixels are 32-bit values, bytes blue, green, red, alpha in memory (alpha in bits
// 24-31). Most blend and copy routines come in two sets with slightly different
// colours: the portable set and the fast (SIMD) set; both are part of the game's look,
// so callers keep a reference to the set chosen at start-up and never mix them.
// Routines that exist only once are the same function in every set.
//
// Rectangle arguments: destination address of the first pixel and its pitch in pixels,
// source address and pitch in pixels, width in pixels, row count. A width or row count
// below 1 draws nothing. Levels are 0-255; out-of-range levels are clamped.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ml {

// The composed frame every whole-frame routine is made for.
inline constexpr int kFrameWidth = 800;
inline constexpr int kFrameHeight = 600;
inline constexpr std::size_t kFramePixels = std::size_t(kFrameWidth) * kFrameHeight;

struct PixelOps {
  const char* name;  // "portable", "sse2", "avx2"
  bool fast;         // the SIMD set, with its own colours where the two sets differ

  // --- sprite drawing -----------------------------------------------------------
  // a = 0: unchanged; otherwise d = (s*a + d*(255-a)) >> 8 per colour. Fast set:
  // a = 255 copies the source pixel exactly; portable set blends it too (v -> v-1).
  void (*blendAlpha)(std::uint32_t* dst, int dstPitch, const std::uint32_t* src,
                     int srcPitch, int width, int rows);
  // e = (a*level) >> 8; e = 0 unchanged, else blended with e. Same in both sets.
  void (*blendAlphaScaled)(std::uint32_t* dst, int dstPitch, const std::uint32_t* src,
                           int srcPitch, int width, int rows, int level);
  // a = 0: unchanged. Portable: blend, then max(0, t - (255-fade)).
  // Fast: d = (((s*fade) >> 8)*a + d*(255-a)) >> 8.
  void (*blendAlphaDarkened)(std::uint32_t* dst, int dstPitch, const std::uint32_t* src,
                             int srcPitch, int width, int rows, int fade);
  // d = max(0, s - (255-fade)) per colour; alpha copied. Same in both sets.
  void (*copyDarkened)(std::uint32_t* dst, int dstPitch, const std::uint32_t* src,
                       int srcPitch, int width, int rows, int fade);
  // Grey g in all three colours, alpha copied. Fast: (29b + 150g + 76r) >> 8;
  // portable: g = the source's green.
  void (*copyGrey)(std::uint32_t* dst, int dstPitch, const std::uint32_t* src,
                   int srcPitch, int width, int rows);
  // Plain copy of the rows (all four bytes).
  void (*copyPixels)(std::uint32_t* dst, int dstPitch, const std::uint32_t* src,
                     int srcPitch, int width, int rows);
  // Blocks of b x b (b = type rounded down to even, types 2-16; others draw nothing),
  // each filled with the source pixel at its top-left; partial blocks are left alone.
  void (*copyMosaic)(std::uint32_t* dst, int dstPitch, const std::uint32_t* src,
                     int srcPitch, int width, int rows, int type);
  // Rotation about (width/2, height/2) by whole degrees (any int, taken mod 360);
  // destination and source are separate width x height pictures with pitch width.
  // Pixels whose source lies outside stay as they were.
  void (*copyRotated)(std::uint32_t* dst, int width, int height, const std::uint32_t* src,
                      int angle);

  // --- whole-frame and effect routines ------------------------------------------
  // amount clamped to -255..0; d = (d*(255+amount)) >> 8 per colour; alpha cleared.
  // Contiguous pixels (pitch = width).
  void (*darkenFrame)(std::uint32_t* pixels, int width, int rows, int amount);
  // P alpha 0: Q's colour, alpha (Qa*(255-v)) >> 8. Else Q alpha 0: P's colour, alpha
  // (Pa*v) >> 8. Else every byte (P*v + Q*(255-v)) >> 8. Same in both sets.
  void (*crossFade)(std::uint32_t* dst, int dstPitch, const std::uint32_t* p, int pPitch,
                    const std::uint32_t* q, int qPitch, int width, int rows, int level);
  // Writes alpha<<24 | red<<16 | green<<8 | blue into count pixels.
  void (*fillPixels)(std::uint32_t* pixels, int red, int green, int blue, int alpha,
                     std::size_t count);
  // Every byte max(0, byte - step) / min(255, byte + step). A negative step works the
  // other way round. Callers pass kFramePixels for the back buffer.
  void (*subtractAll)(std::uint32_t* pixels, std::size_t count, int step);
  void (*addAll)(std::uint32_t* pixels, std::size_t count, int step);
  // Every byte (source byte * level) >> 8 (level 0-256).
  void (*scaleCopyAll)(std::uint32_t* dst, const std::uint32_t* src, std::size_t count,
                       int level);
  // Every byte max(source byte, level).
  void (*maxCopyAll)(std::uint32_t* dst, const std::uint32_t* src, std::size_t count,
                     int level);
  // Where threshold >= the pattern pixel's green byte, dst takes the source pixel.
  void (*maskedCopy)(int threshold, const std::uint32_t* pattern, const std::uint32_t* src,
                     std::uint32_t* dst, std::size_t count);
  // The top-left pixel of every whole 4x4 block (at multiples of 4) receives the sum of
  // each colour over the block >> 4; alpha and the other pixels are unchanged.
  void (*boxFilter4x4)(std::uint32_t* pixels, int width, int rows, int pitchBytes);
  // Rows of 3-byte pixels (blue, green, red) to pixels with alpha 255. Source rows are
  // read from srcRow backwards (next row at srcRow - srcRowLength); destination rows
  // are written forwards with pitch width.
  void (*expand24To32)(std::uint32_t* dst, const std::uint8_t* srcRow, int width, int rows,
                       std::ptrdiff_t srcRowLength);

  // --- colour adjustments (in place, alpha unchanged) ----------------------------
  // colour = clamp(trunc((1 + percent/100) * colour), 0, 255), each channel its own.
  void (*scaleRgbPercent)(std::uint32_t* pixels, std::size_t count, int redPercent,
                          int greenPercent, int bluePercent);
  // Hue shift in degrees, saturation and value changes in percent, through HSV.
  void (*adjustHsv)(std::uint32_t* pixels, std::size_t count, int hueShift,
                    int saturationPercent, int valuePercent);
};

// The portable set (plain C++).
const PixelOps& portablePixelOps();
// The best SIMD set this processor runs (AVX2 where present, else SSE2).
const PixelOps& fastPixelOps();
// The individual SIMD sets, for tests and benchmarks; null where the processor or the
// build lacks them.
const PixelOps* sse2PixelOps();
const PixelOps* avx2PixelOps();

// The set to use: the portable one when forced, else the fast one.
const PixelOps& selectPixelOps(bool forcePortable);
// Start-up choice: MIRELUNE_PORTABLE_PIXELS=1 in the environment forces the portable set.
const PixelOps& pixelOpsFromEnvironment();

}  // namespace ml
