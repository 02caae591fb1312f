#include "tools/common/bmp_writer.h"

#include <algorithm>

#include "tools/common/byte_writer.h"

namespace ml::tools {
namespace {

// File header and information header; sizes are patched once the data is written.
void putHeaders(std::vector<std::uint8_t>& out, int width, int height, int bits, int compression,
                int paletteSize) {
  out.push_back('B');
  out.push_back('M');
  putLe32(out, 0);  // file size, patched
  putLe32(out, 0);  // reserved
  putLe32(out, 14 + 40 + paletteSize * 4);
  putLe32(out, 40);
  putLe32(out, static_cast<std::uint32_t>(width));
  putLe32(out, static_cast<std::uint32_t>(height));  // positive: bottom-up rows
  putLe16(out, 1);
  putLe16(out, static_cast<std::uint32_t>(bits));
  putLe32(out, static_cast<std::uint32_t>(compression));
  putLe32(out, 0);  // image size, patched
  putLe32(out, 2835);  // 72 dpi
  putLe32(out, 2835);
  putLe32(out, static_cast<std::uint32_t>(paletteSize));
  putLe32(out, 0);
}

void finish(std::vector<std::uint8_t>& out, std::size_t dataStart) {
  patchLe32(out, 2, static_cast<std::uint32_t>(out.size()));
  patchLe32(out, 34, static_cast<std::uint32_t>(out.size() - dataStart));
}

// One row in RLE8: runs of equal indices as (count, index); stretches without runs as
// absolute groups (0, n, n indices, padded to an even length) when n >= 3.
void rleRow(const std::uint8_t* row, int width, std::vector<std::uint8_t>& out) {
  int i = 0;
  while (i < width) {
    int run = 1;
    while (i + run < width && run < 255 && row[i + run] == row[i]) ++run;
    if (run >= 3 || width - i < 3) {
      out.push_back(static_cast<std::uint8_t>(run));
      out.push_back(row[i]);
      i += run;
      continue;
    }
    // Literal group up to the next run of three.
    int n = 0;
    while (i + n < width && n < 255) {
      if (i + n + 2 < width && row[i + n] == row[i + n + 1] && row[i + n] == row[i + n + 2]) break;
      ++n;
    }
    if (n < 3) {
      for (int k = 0; k < n; ++k) {
        out.push_back(1);
        out.push_back(row[i + k]);
      }
    } else {
      out.push_back(0);
      out.push_back(static_cast<std::uint8_t>(n));
      out.insert(out.end(), row + i, row + i + n);
      if (n % 2) out.push_back(0);
    }
    i += n;
  }
}

}  // namespace

std::vector<std::uint8_t> writeBmp24(const RgbaImage& image) {
  std::vector<std::uint8_t> out;
  putHeaders(out, image.width, image.height, 24, 0, 0);
  std::size_t dataStart = out.size();
  int pad = (4 - (image.width * 3) % 4) % 4;
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* p = image.at(x, y);
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
    }
    out.insert(out.end(), pad, 0);
  }
  finish(out, dataStart);
  return out;
}

std::vector<std::uint8_t> writeBmp8(const IndexedImage& image, bool rle) {
  std::vector<std::uint8_t> out;
  int colours = static_cast<int>(std::min<std::size_t>(image.palette.size(), 256));
  putHeaders(out, image.width, image.height, 8, rle ? 1 : 0, colours);
  for (int i = 0; i < colours; ++i) {
    out.push_back(image.palette[i][2]);
    out.push_back(image.palette[i][1]);
    out.push_back(image.palette[i][0]);
    out.push_back(0);
  }
  std::size_t dataStart = out.size();
  int pad = (4 - image.width % 4) % 4;
  for (int y = image.height - 1; y >= 0; --y) {
    const std::uint8_t* row = image.indices.data() + std::size_t(y) * image.width;
    if (rle) {
      rleRow(row, image.width, out);
      out.push_back(0);
      out.push_back(y == 0 ? 1 : 0);  // end of line, or end of picture after the top row
    } else {
      out.insert(out.end(), row, row + image.width);
      out.insert(out.end(), pad, 0);
    }
  }
  finish(out, dataStart);
  return out;
}

}  // namespace ml::tools
