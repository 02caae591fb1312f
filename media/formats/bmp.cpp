#include "media/formats/bmp.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "media/gfx/surface.h"
#include "media/media_context.h"
#include "platform/byte_reader.h"
#include "platform/reporter.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

constexpr std::string_view kTag = "SCRIPT";
// File header (14 bytes) and information header (40 bytes); the palette follows.
constexpr std::size_t kHeadersSize = 54;

void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  out[at] = static_cast<std::uint8_t>(v);
  out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  put16(out, at, v & 0xFFFF);
  put16(out, at + 2, v >> 16);
}

}  // namespace

bool decodeBmp(const std::vector<std::uint8_t>& bytes, std::string_view name, Surface& out,
               Reporter& reporter) {
  out.release();
  auto damaged = [&]() {
    // A header that does not fit its bytes reads as a file that cannot be opened.
    reporter.systemError(kTag, 311, SJ("メモリが足りない、またはファイルが開けない"), name);
    out.release();
    return false;
  };
  const std::size_t size = bytes.size();
  if (size < kHeadersSize) return damaged();
  ByteReader header(bytes.data(), size);
  header.seek(10);
  const std::uint32_t offset = header.u32le();
  const std::uint32_t infoSize = header.u32le();
  const std::int64_t width = header.i32le();
  const std::int64_t height = std::llabs(static_cast<std::int64_t>(header.i32le()));
  header.skip(2);  // planes
  const int bits = header.u16le();
  const std::uint32_t compression = header.u32le();
  if (width <= 0 || height <= 0 || offset > size) return damaged();
  if (bits != 24 && bits != 8) {
    reporter.systemError(kTag, 351, SJ("サポートされない色数"), name);
    return false;
  }
  const int w = static_cast<int>(std::min<std::int64_t>(width, 1 << 30));
  const int h = static_cast<int>(std::min<std::int64_t>(height, 1 << 30));
  // Raw rows must lie within the bytes before anything is allocated for them.
  const bool raw = bits == 24 || compression == 0;
  const std::uint64_t rowLength =
      bits == 24 ? (std::uint64_t(w) * 3 + 3) & ~std::uint64_t(3) : (std::uint64_t(w) + 3) & ~std::uint64_t(3);
  ByteReader data(bytes.data(), size);
  data.seek(offset);
  std::span<const std::uint8_t> rows;
  if (raw) {
    if (rowLength * std::uint64_t(h) > data.remaining()) return damaged();
    rows = data.bytes(static_cast<std::size_t>(rowLength * std::uint64_t(h)));
  }
  // A size beyond the picture budget is refused before the frame is made: a few
  // hundred run-length bytes can claim a canvas of gigabytes.
  if (!out.media().pictureBudget.admits(w, h, 1)) return damaged();
  if (!out.create(w, h, 1)) return false;
  std::uint32_t* frame = out.pixels(0);

  if (bits == 24) {
    for (int y = 0; y < h; ++y) {
      // The last stored row is the top image row.
      const std::uint8_t* src = rows.data() + rowLength * std::uint64_t(h - 1 - y);
      std::uint32_t* dst = frame + std::size_t(y) * w;
      for (int x = 0; x < w; ++x, src += 3)
        dst[x] = 0xFF000000u | std::uint32_t(src[2]) << 16 | std::uint32_t(src[1]) << 8 | src[0];
    }
  } else {
    // Palette entries (blue, green, red, unused) right after the information header;
    // entries the file does not hold are black. Other tools write longer information
    // headers (108 or 124 bytes, its size at byte 14); reading the palette at byte 54
    // there would take header fields for colours.
    const std::size_t paletteAt =
        infoSize > 40 && infoSize <= size - 14 ? 14 + std::size_t(infoSize) : kHeadersSize;
    ByteReader entries(bytes.data(), size);
    entries.seek(paletteAt);
    std::array<std::uint32_t, 256> palette;
    for (std::uint32_t& colour : palette) {
      std::span<const std::uint8_t> c = entries.remaining() >= 3 ? entries.bytes(std::min<std::size_t>(4, entries.remaining()))
                                                                  : std::span<const std::uint8_t>();
      colour = c.size() >= 3 ? 0xFF000000u | std::uint32_t(c[2]) << 16 | std::uint32_t(c[1]) << 8 | c[0] : 0xFF000000u;
    }
    if (compression == 0) {
      for (int y = 0; y < h; ++y) {
        const std::uint8_t* src = rows.data() + rowLength * std::uint64_t(h - 1 - y);
        std::uint32_t* dst = frame + std::size_t(y) * w;
        for (int x = 0; x < w; ++x) dst[x] = palette[src[x]];
      }
    } else if (compression == 1) {
      // Pairs from the bottom row up; writes outside the frame are dropped.
      std::int64_t x = 0, y = h - 1;
      auto put = [&](std::uint8_t index) {
        if (x >= 0 && x < w) frame[std::size_t(y) * w + std::size_t(x)] = palette[index];
        ++x;
      };
      while (y >= 0 && data.remaining() >= 2) {
        const std::uint8_t count = data.u8(), value = data.u8();
        if (count > 0) {
          if (x >= w) continue;
          for (int i = 0; i < count && x < w; ++i) put(value);
          x = std::min<std::int64_t>(x, w);
          continue;
        }
        if (value == 0) {  // end of row
          --y;
          x = 0;
        } else if (value == 1) {  // end of picture
          break;
        } else if (value == 2) {  // delta: its offsets are skipped without moving
          data.skip(std::min<std::size_t>(2, data.remaining()));
        } else {  // literal indices, padded to an even count
          for (std::uint8_t index : data.bytes(std::min<std::size_t>(value, data.remaining()))) put(index);
          x = std::min<std::int64_t>(x, w);
          if (value % 2 != 0) data.skip(std::min<std::size_t>(1, data.remaining()));
        }
      }
    }
    // Other compressions leave the frame transparent black.
  }
  out.setAlphaFlag(true);
  return true;
}

bool bmpKeepsIndex(int sizeType, int i) {
  switch (sizeType) {
    case 1: return i % 2 == 0;
    case 2: return i % 2 == 0 && i % 10 != 0;
    case 3: return i % 4 == 0;
    case 4: return i % 4 == 0 && i % 20 != 0;
    case 5: return i % 4 == 0 && i % 20 != 0 && i % 20 != 12;
    default: return true;
  }
}

int bmpKeptCount(int sizeType, int length) {
  int n = 0;
  for (int i = 0; i < length; ++i) n += bmpKeepsIndex(sizeType, i);
  return n;
}

std::vector<std::uint8_t> encodeBmp(const std::uint32_t* pixels, int width, int height,
                                    int sizeType, bool alphaAsGrey) {
  std::vector<int> columns, rows;
  for (int i = 0; i < width; ++i)
    if (bmpKeepsIndex(sizeType, i)) columns.push_back(i);
  for (int i = 0; i < height; ++i)
    if (bmpKeepsIndex(sizeType, i)) rows.push_back(i);
  const std::size_t outW = columns.size(), outH = rows.size();
  const std::size_t rowLength = (outW * 3 + 3) & ~std::size_t(3);
  const std::size_t imageBytes = rowLength * outH;
  std::vector<std::uint8_t> out(kHeadersSize + imageBytes, 0);
  out[0] = 'B';
  out[1] = 'M';
  put32(out, 2, static_cast<std::uint32_t>(out.size()));
  put32(out, 10, kHeadersSize);
  put32(out, 14, 40);
  put32(out, 18, static_cast<std::uint32_t>(outW));
  put32(out, 22, static_cast<std::uint32_t>(outH));
  put16(out, 26, 1);
  put16(out, 28, 24);
  put32(out, 34, static_cast<std::uint32_t>(imageBytes));
  // Rows bottom-up: the first stored row is the last kept source row.
  std::uint8_t* dst = out.data() + kHeadersSize;
  for (std::size_t r = outH; r-- > 0; dst += rowLength) {
    const std::uint32_t* src = pixels + std::size_t(rows[r]) * width;
    std::uint8_t* p = dst;
    for (int c : columns) {
      std::uint32_t v = src[c];
      if (alphaAsGrey) {
        std::uint8_t a = static_cast<std::uint8_t>(v >> 24);
        p[0] = p[1] = p[2] = a;
      } else {
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
        p[2] = static_cast<std::uint8_t>(v >> 16);
      }
      p += 3;
    }
  }
  return out;
}

}  // namespace ml
