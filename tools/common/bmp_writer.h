// Writes Windows bitmaps in the forms the engine reads: 24-bit, and 8-bit with a
// palette stored plain or run-length (RLE8). Rows are stored bottom-up after a 14-byte
// file header and a 40-byte information header.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tools/common/png_io.h"

namespace ml::tools {

// Alpha is ignored: a bitmap is opaque.
std::vector<std::uint8_t> writeBmp24(const RgbaImage& image);

// An 8-bit bitmap from palette indices (width * height, rows top to bottom) and up to
// 256 palette colours (red, green, blue).
struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> indices;
  std::vector<std::array<std::uint8_t, 3>> palette;
};
std::vector<std::uint8_t> writeBmp8(const IndexedImage& image, bool rle);

}  // namespace ml::tools
