#include "tools/common/bmp_writer.h"

#include <gtest/gtest.h>

#include "platform/byte_reader.h"

namespace ml::tools {
namespace {

std::uint32_t get32(const std::vector<std::uint8_t>& b, std::size_t at) { return le32(b.data() + at); }
std::uint16_t get16(const std::vector<std::uint8_t>& b, std::size_t at) { return le16(b.data() + at); }

// RLE8 decoded the way the engine's loader does it: from the bottom row up.
std::vector<std::uint8_t> decodeRle8(const std::vector<std::uint8_t>& b, int w, int h) {
  std::vector<std::uint8_t> out(std::size_t(w) * h, 0xEE);
  std::size_t p = get32(b, 10);
  int x = 0, y = h - 1;
  while (p + 1 < b.size()) {
    int count = b[p], value = b[p + 1];
    p += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i, ++x)
        if (x < w && y >= 0) out[std::size_t(y) * w + x] = static_cast<std::uint8_t>(value);
    } else if (value == 0) {
      --y;
      x = 0;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      p += 2;
    } else {
      for (int i = 0; i < value; ++i, ++x)
        if (x < w && y >= 0 && p + i < b.size()) out[std::size_t(y) * w + x] = b[p + i];
      p += value + (value & 1);
    }
  }
  return out;
}

TEST(BmpWriterTest, TwentyFourBitRowsAreBottomUpAndPadded) {
  RgbaImage img(3, 2);
  img.set(0, 0, 10, 20, 30);
  img.set(2, 0, 40, 50, 60);
  img.set(0, 1, 70, 80, 90);
  std::vector<std::uint8_t> b = writeBmp24(img);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(get32(b, 2), b.size());
  EXPECT_EQ(get32(b, 10), 54u);
  EXPECT_EQ(get32(b, 14), 40u);
  EXPECT_EQ(get32(b, 18), 3u);
  EXPECT_EQ(get32(b, 22), 2u);
  EXPECT_EQ(get16(b, 28), 24);
  EXPECT_EQ(get32(b, 30), 0u);
  // Rows of 9 bytes padded to 12; the bottom image row comes first.
  ASSERT_EQ(b.size(), 54u + 24u);
  EXPECT_EQ(b[54], 90);  // (0, 1) blue
  EXPECT_EQ(b[56], 70);  // (0, 1) red
  EXPECT_EQ(b[66], 30);  // (0, 0) blue
  EXPECT_EQ(b[72], 60);  // (2, 0) blue
  EXPECT_EQ(b[74], 40);  // (2, 0) red
  EXPECT_EQ(b[75], 0);   // padding
}

TEST(BmpWriterTest, EightBitPlainAndRunLength) {
  IndexedImage img;
  img.width = 37;  // odd widths exercise padding and odd literal groups
  img.height = 5;
  img.palette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {1, 2, 3}};
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x)
      img.indices.push_back(static_cast<std::uint8_t>(x < 20 ? (y % 4) : ((x * 7 + y) % 4)));

  std::vector<std::uint8_t> plain = writeBmp8(img, false);
  EXPECT_EQ(get16(plain, 28), 8);
  EXPECT_EQ(get32(plain, 30), 0u);
  EXPECT_EQ(get32(plain, 10), 54u + 4 * 4);
  EXPECT_EQ(plain[54 + 3 * 4 + 0], 3);  // palette entries are blue, green, red, 0
  EXPECT_EQ(plain[54 + 3 * 4 + 2], 1);
  EXPECT_EQ(plain.size(), 54u + 16 + 40 * 5);
  for (int x = 0; x < img.width; ++x)
    EXPECT_EQ(plain[70 + x], img.indices[4 * 37 + x]);  // bottom row first

  std::vector<std::uint8_t> rle = writeBmp8(img, true);
  EXPECT_EQ(get32(rle, 30), 1u);
  EXPECT_EQ(get32(rle, 34), rle.size() - get32(rle, 10));
  EXPECT_EQ(decodeRle8(rle, img.width, img.height), img.indices);
  EXPECT_LT(rle.size(), plain.size());
}

}  // namespace
}  // namespace ml::tools
