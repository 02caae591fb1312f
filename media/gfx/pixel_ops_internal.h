// Pieces shared by the pixel routine sets: the routines that exist only once (every
// set points at the same function) and the per-set tables. Not for callers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "media/gfx/pixel_ops.h"

namespace ml::pixel_detail {

// One implementation each, used by every set.
void copyPixels(std::uint32_t* dst, int dstPitch, const std::uint32_t* src, int srcPitch,
                int width, int rows);
void copyMosaic(std::uint32_t* dst, int dstPitch, const std::uint32_t* src, int srcPitch,
                int width, int rows, int type);
void copyRotated(std::uint32_t* dst, int width, int height, const std::uint32_t* src,
                 int angle);
void fillPixels(std::uint32_t* pixels, int red, int green, int blue, int alpha,
                std::size_t count);
void subtractAll(std::uint32_t* pixels, std::size_t count, int step);
void addAll(std::uint32_t* pixels, std::size_t count, int step);
void scaleCopyAll(std::uint32_t* dst, const std::uint32_t* src, std::size_t count, int level);
void maxCopyAll(std::uint32_t* dst, const std::uint32_t* src, std::size_t count, int level);
void maskedCopy(int threshold, const std::uint32_t* pattern, const std::uint32_t* src,
                std::uint32_t* dst, std::size_t count);
void boxFilter4x4(std::uint32_t* pixels, int width, int rows, int pitchBytes);
void expand24To32(std::uint32_t* dst, const std::uint8_t* srcRow, int width, int rows,
                  std::ptrdiff_t srcRowLength);
void scaleRgbPercent(std::uint32_t* pixels, std::size_t count, int redPercent,
                     int greenPercent, int bluePercent);
void adjustHsv(std::uint32_t* pixels, std::size_t count, int hueShift, int saturationPercent,
               int valuePercent);

// The rotation tables: 65536 * cos and -65536 * sin of whole degrees, truncated.
std::int32_t rotationCos(int degrees);
std::int32_t rotationSin(int degrees);

// Tables of the SIMD sets. The AVX2 table may only be used where the processor has it.
const PixelOps* sse2Table();
const PixelOps& avx2Table();

}  // namespace ml::pixel_detail
