// Pictures made by another program (ImageMagick, see the scripts in tests/data) decode
// to the pixels of their PNG sources; and the project's own writers round-trip.
#include <gtest/gtest.h>

#include "media/gfx/surface.h"
#include "picture_fixture.h"
#include "tools/common/png_io.h"
#include "tools/common/psd_writer.h"

namespace ml::test {
namespace {

using tools::RgbaImage;

std::vector<std::uint8_t> readData(const std::string& path) {
  std::vector<std::uint8_t> out;
  FILE* f = std::fopen((std::string(MIRELUNE_TEST_DATA) + "/" + path).c_str(), "rb");
  if (!f) return out;
  int c;
  while ((c = std::fgetc(f)) != EOF) out.push_back(std::uint8_t(c));
  std::fclose(f);
  return out;
}

RgbaImage readDataPng(const std::string& path) {
  RgbaImage img;
  std::string error;
  EXPECT_TRUE(tools::readPng(std::string(MIRELUNE_TEST_DATA) + "/" + path, img, &error)) << error;
  return img;
}

class SecondSourceTest : public PictureTest {
 protected:
  Surface surface{media};
};

TEST_F(SecondSourceTest, ImageMagickFlatPicturesRawAndRunLength) {
  RgbaImage want = readDataPng("psd/im_flat.png");
  ASSERT_EQ(want.width, 7);
  for (const char* name : {"psd/im_flat_raw.psd", "psd/im_flat_rle.psd"}) {
    ASSERT_TRUE(surface.loadPsdBytes(readData(name), name)) << name;
    ASSERT_EQ(surface.width(), want.width);
    ASSERT_EQ(surface.height(), want.height);
    EXPECT_EQ(surface.frameCount(), 1);
    for (int y = 0; y < want.height; ++y)
      for (int x = 0; x < want.width; ++x)
        EXPECT_EQ(surface.pixels(0)[y * want.width + x], pixelOf(want, x, y)) << name << " " << x << "," << y;
  }
  EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(SecondSourceTest, ImageMagickLayeredPicturesWithTransparency) {
  RgbaImage layer[2] = {readDataPng("psd/im_layer0.png"), readDataPng("psd/im_layer1.png")};
  const int left[2] = {0, 4}, top[2] = {0, 3};
  for (const char* name : {"psd/im_layered_raw.psd", "psd/im_layered_rle.psd"}) {
    ASSERT_TRUE(surface.loadPsdBytes(readData(name), name)) << name;
    ASSERT_EQ(surface.width(), 6);
    ASSERT_EQ(surface.height(), 5);
    ASSERT_EQ(surface.frameCount(), 2);
    for (int f = 0; f < 2; ++f)
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
          int lx = x - left[f], ly = y - top[f];
          bool inside = lx >= 0 && ly >= 0 && lx < layer[f].width && ly < layer[f].height;
          std::uint32_t want = inside ? pixelOf(layer[f], lx, ly) : 0;
          std::uint32_t got = surface.pixels(f)[y * 6 + x];
          EXPECT_EQ(got >> 24, want >> 24) << name << " frame " << f << " at " << x << "," << y;
          if (want >> 24) {
            EXPECT_EQ(got, want) << name << " frame " << f << " at " << x << "," << y;
          }
        }
    // The second layer reaches past the canvas: clipped to its 2 x 2 corner.
    EXPECT_EQ(surface.contentX(1), 4);
    EXPECT_EQ(surface.contentWidth(1), 2);
    EXPECT_EQ(surface.contentHeight(1), 2);
  }
  EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(SecondSourceTest, ImageMagickBitmaps) {
  RgbaImage rgb = readDataPng("bmp/im_rgb.png");
  ASSERT_TRUE(surface.loadBmpBytes(readData("bmp/im_24bit.bmp"), "im_24bit.bmp"));
  ASSERT_EQ(surface.width(), rgb.width);
  for (int y = 0; y < rgb.height; ++y)
    for (int x = 0; x < rgb.width; ++x) EXPECT_EQ(surface.pixels(0)[y * rgb.width + x], pixelOf(rgb, x, y));

  RgbaImage indexed = readDataPng("bmp/im_indexed.png");
  for (const char* name : {"bmp/im_8bit.bmp", "bmp/im_rle8.bmp"}) {
    ASSERT_TRUE(surface.loadBmpBytes(readData(name), name)) << name;
    ASSERT_EQ(surface.width(), indexed.width);
    ASSERT_EQ(surface.height(), indexed.height);
    for (int y = 0; y < indexed.height; ++y)
      for (int x = 0; x < indexed.width; ++x)
        EXPECT_EQ(surface.pixels(0)[y * indexed.width + x], pixelOf(indexed, x, y)) << name << " " << x << "," << y;
  }
  EXPECT_TRUE(reporter.entries.empty());
  EXPECT_FALSE(surface.loadBmpBytes(readData("bmp/im_1bit.bmp"), "im_1bit.bmp"));
  EXPECT_EQ(sites(), std::vector<int>{351});
}

TEST_F(SecondSourceTest, PngRoundTripKeepsEveryByte) {
  RgbaImage img = patterned(13, 7, 0);
  for (int i = 0; i < 13 * 7; ++i) img.pixels[i * 4 + 3] = std::uint8_t(i * 3);
  std::vector<std::uint8_t> png;
  std::string error;
  ASSERT_TRUE(tools::encodePng(img, png, &error)) << error;
  RgbaImage back;
  ASSERT_TRUE(tools::decodePng(png, back, &error)) << error;
  EXPECT_EQ(back.width, 13);
  EXPECT_EQ(back.height, 7);
  EXPECT_EQ(back.pixels, img.pixels);
  // RGB files read with opaque alpha; damaged bytes give an error, not a crash.
  RgbaImage rgb = readDataPng("bmp/im_rgb.png");
  EXPECT_EQ(rgb.at(0, 0)[3], 255);
  png.resize(png.size() / 2);
  EXPECT_FALSE(tools::decodePng(png, back, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(tools::encodePng(RgbaImage(), png, &error));
}

// A reference PackBits reader that treats -128 as a no-op, as other programs do: the
// writer must never produce that header, which this engine reads as a 129-fold repeat.
std::vector<std::uint8_t> unpack(const std::vector<std::uint8_t>& in) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i < in.size();) {
    int n = static_cast<std::int8_t>(in[i++]);
    EXPECT_NE(n, -128);
    if (n >= 0) {
      out.insert(out.end(), in.begin() + i, in.begin() + i + n + 1);
      i += n + 1;
    } else {
      out.insert(out.end(), std::size_t(1 - n), in[i++]);
    }
  }
  return out;
}

TEST_F(SecondSourceTest, PackBitsRowsDecodeBackAndStayWithinLimits) {
  std::vector<std::vector<std::uint8_t>> rows;
  rows.push_back(std::vector<std::uint8_t>(300, 7));  // long repeat: 128 + 128 + 44
  std::vector<std::uint8_t> lit;
  for (int i = 0; i < 300; ++i) lit.push_back(std::uint8_t(i * 7));
  rows.push_back(lit);  // long literal
  rows.push_back({1});
  rows.push_back({1, 1});
  rows.push_back({1, 2, 2, 3, 3, 3, 4, 5, 5});
  for (const auto& row : rows) {
    std::vector<std::uint8_t> packed;
    tools::packBitsRow(row.data(), int(row.size()), packed);
    EXPECT_EQ(unpack(packed), row);
    EXPECT_LE(packed.size(), row.size() + (row.size() + 127) / 128);
  }
}

}  // namespace
}  // namespace ml::test
