// Windows bitmaps as the game stores user-interface parts and thumbnails: 24-bit, and
// 8-bit with a palette, raw or run-length (RLE8). Reading fills a one-frame Surface
// with opaque pixels; writing produces the 24-bit thumbnails of the save screens.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace ml {

class Reporter;
class Surface;

// Decodes BMP bytes into out (which is created at the picture's size). Headers whose
// offsets or sizes do not fit the bytes are refused. Failures are reported (name is the
// detail) and leave out empty.
bool decodeBmp(const std::vector<std::uint8_t>& bytes, std::string_view name, Surface& out,
               Reporter& reporter);

// Rows and columns of a frame kept by a thumbnail size type (index counted from 0).
// Type 0 and unknown types keep everything.
bool bmpKeepsIndex(int sizeType, int index);
// Number of indices below `length` that a size type keeps (800 -> 120 for type 5).
int bmpKeptCount(int sizeType, int length);

// A 24-bit BMP file of a width x height frame of 32-bit pixels (pitch = width), reduced
// by the size type; with alphaAsGrey each pixel shows its alpha byte as grey.
std::vector<std::uint8_t> encodeBmp(const std::uint32_t* pixels, int width, int height,
                                    int sizeType, bool alphaAsGrey);

}  // namespace ml
